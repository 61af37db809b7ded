#pragma once

#include "base/Reporter.h"
#include "batch/BatchJob.h"
#include "batch/BatchOptions.h"

#include <QList>

namespace plumark {

// The batch's inputs in order, each with its output path: a file argument as
// it is, a folder argument scanned with its tree like the folder button.
// An input whose result would replace a file of the batch or an earlier
// input's result is marked as not converted, with the reason. With
// --skip-existing, each job is marked to keep a result already there that it
// would write.
QList<BatchJob> planJobs(const BatchOptions& options, Reporter& reporter);

} // namespace plumark
