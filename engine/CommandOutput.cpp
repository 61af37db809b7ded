#include "engine/CommandOutput.h"

#include "base/Failure.h"
#include "engine/ChildProcess.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

// How long a child that closed its output gets to end: ten slices of 100 ms.
constexpr int EndWaitRounds = 10;
constexpr int EndWaitSliceMs = 100;

} // namespace

QString GetCommandOutput(const CommandLine& commandLine, bool captureStdout, bool captureStderr,
                         bool oemConversion, const std::function<void()>& yield)
{
    // The console's code page and the program's are both UTF-8 here, so both
    // conversions decode UTF-8.
    Q_UNUSED(oemConversion);
    if (!captureStdout && !captureStderr)
        throw Failure(QCoreApplication::translate("Failure", "Invalid procedure call or argument"));

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return {};
    const int readEnd = pipeFds[0];
    const int writeEnd = pipeFds[1];

    // Both streams on the one pipe arrive in the order the child wrote them.
    ChildProcess child;
    ChildSetup setup;
    setup.stdoutFd = captureStdout ? writeEnd : -1;
    setup.stderrFd = captureStderr ? writeEnd : -1;
    const int error = child.start(commandLine.argv, setup);
    // Only the child holds the write end now, so the pipe breaks when it ends.
    ::close(writeEnd);
    if (error) {
        ::close(readEnd);
        return QString::fromLatin1(CreateProcessFailedText);
    }

    QStringDecoder decoder(QStringDecoder::Utf8);
    QString result;
    char chunk[1024];
    for (;;) {
        if (yield)
            yield();
        ssize_t bytesRead;
        do
            bytesRead = ::read(readEnd, chunk, sizeof chunk);
        while (bytesRead < 0 && errno == EINTR);
        if (bytesRead <= 0)
            break;
        result += decoder.decode(QByteArrayView(chunk, bytesRead));
    }
    ::close(readEnd);
    // A child that has closed its output is ending: it is given a moment, with
    // yields, so that it is reaped at once. One that goes on running is left
    // to finish on its own and reaped when it ends.
    for (int i = 0; i < EndWaitRounds && !child.waitFor(EndWaitSliceMs); ++i)
        if (yield)
            yield();
    return result;
}

} // namespace plumark
