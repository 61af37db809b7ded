// Any bytes a user hands the program as an input file: the in-process
// converter either writes an AC3 result or names why not, and leaves no
// partial or empty result behind. Memory faults are the sanitizers' to find.
#include "transcode/Ac3Converter.h"
#include "fuzz/FuzzInput.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace plumark;
using plumark::fuzz::require;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("input.m4a"));
    const QString output = folder.filePath(QStringLiteral("input.ac3"));
    QFile file(input);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the input can be written");
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    const transcode::Ac3Result result = transcode::convertToAc3(
        {QFile::encodeName(input), QFile::encodeName(output), QStringLiteral("192k")});

    const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    if (result.converted) {
        QFile written(output);
        require(written.open(QIODevice::ReadOnly) && written.read(2) == QByteArray("\x0b\x77", 2),
                "a converted result starts with an AC3 frame");
        require(left.size() == 2, "only the input and its result are there", left.join(u' '));
        QFile::remove(output);
    } else {
        require(!result.reason.isEmpty(), "a failure names its reason");
        require(left == QStringList{QStringLiteral("input.m4a")},
                "a failure leaves no result behind", left.join(u' '));
    }
    return 0;
}
