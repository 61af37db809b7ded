#pragma once

#include "batch/WorkerPool.h"
#include "transcode/ConverterWorker.h"

namespace plumark {

// What the batch's workers run and how its converters are watched: the
// program's own unless a test gives others.
struct BatchChildren
{
    WorkerPool::Body workerBody = transcode::runConverterWorker;
    Supervision supervision = converterSupervision();
};

// "plumark convert [OPTIONS] PATH...": converts without a window, several
// files at once. argv is the program's own (argv[1] is "convert"). Returns the
// exit status: 0 when every file was converted or skipped, 1 when any was
// not, 2 for a usage error, 130 when stopped by a signal.
int runBatch(int argc, char** argv, const BatchChildren& children = {});

} // namespace plumark
