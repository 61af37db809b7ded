#include "batch/Batch.h"
#include "shell/widgets/Application.h"

#include <cstring>

int main(int argc, char** argv)
{
    // The batch mode runs without any window.
    if (argc > 1 && std::strcmp(argv[1], "convert") == 0)
        return plumark::runBatch(argc, argv);
    return plumark::runWindow(argc, argv);
}
