#pragma once

#include "batch/BatchJob.h"

#include <QList>

namespace plumark {

// The closing report of a batch: how many files were converted, skipped and
// not converted (each of the last named with its reason), results whose rate
// differs from the one asked, and the time taken.
QString summaryText(const QList<BatchJob>& jobs, double seconds, bool stopped);

// The number of kilobits per second a rate token asks for; 0 when unknown.
double askedKbps(const QString& rateToken);

} // namespace plumark
