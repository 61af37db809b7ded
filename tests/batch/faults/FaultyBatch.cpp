// "plumark convert" with faults the shipped program never has, for the tests
// only: its converter workers crash, as a decoder fault would, on the file
// named by PLUMARK_TEST_CRASH_ON, and PLUMARK_TEST_STALL_SECONDS shortens the
// time a converter may go without news.
#include "batch/Batch.h"
#include "transcode/Ac3Converter.h"

#include <QByteArray>
#include <cstdlib>

int main(int argc, char** argv)
{
    plumark::BatchChildren children;
    const QByteArray crashName = qgetenv("PLUMARK_TEST_CRASH_ON");
    children.workerBody = [crashName] {
        return plumark::transcode::runConverterWorkerWith(
            [&crashName](const plumark::transcode::Ac3Job& job) {
                if (job.input.mid(job.input.lastIndexOf('/') + 1) == crashName)
                    std::abort();
            });
    };
    bool valid = false;
    const int stallSeconds = qEnvironmentVariableIntValue("PLUMARK_TEST_STALL_SECONDS", &valid);
    if (valid && stallSeconds > 0)
        children.supervision.stallLimit = std::chrono::seconds(stallSeconds);
    return plumark::runBatch(argc, argv, children);
}
