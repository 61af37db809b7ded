#include "engine/CommandOutput.h"

#include "engine/ChildProcess.h"
#include "shell/Failure.h"

#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

QString GetCommandOutput(const CommandLine& commandLine, bool captureStdout, bool captureStderr,
                         bool oemConversion, const std::function<void()>& yield)
{
    // The console's code page and the program's are both UTF-8 here, so both
    // conversions decode UTF-8.
    Q_UNUSED(oemConversion);
    if (!captureStdout && !captureStderr)
        throw Failure(QStringLiteral("Invalid procedure call or argument"));

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return {};
    const int readEnd = pipeFds[0];
    const int writeEnd = pipeFds[1];

    // Both streams on the one pipe arrive in the order the child wrote them.
    ChildProcess child;
    const int error =
        child.start(commandLine.argv, captureStdout ? writeEnd : -1, captureStderr ? writeEnd : -1);
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
    // The exit status is collected without waiting: now if the child has
    // ended, else before a later start.
    child.poll();
    return result;
}

} // namespace plumark
