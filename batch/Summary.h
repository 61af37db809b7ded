#pragma once

#include "batch/BatchJob.h"

#include <QList>

namespace plumark {

// The closing report of a batch: how many files were converted, skipped and
// not converted (each of the last named with its reason), the results whose
// input ended before its declared length (each named), the results' rates
// and the time taken. askedRate is the token of --bitrate, empty when each
// input keeps its own rate: then one line counts the rates produced;
// otherwise one line appears only when the encoder gave another rate.
QString summaryText(const QList<BatchJob>& jobs, double seconds, bool stopped,
                    const QString& askedRate);

// The number of kilobits per second a rate token asks for; 0 when unknown.
double askedKbps(const QString& rateToken);

} // namespace plumark
