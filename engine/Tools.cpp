#include "engine/Tools.h"

#include "base/Failure.h"
#include "engine/Paths.h"
#include "engine/ToolsOwner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

struct ToolKind
{
    const char* program;    // the name looked up on PATH
    const char* variable;   // the environment variable that may name another
    const char* debPackage; // the Debian package that installs it
};

constexpr ToolKind Converter{"ffmpeg", "PLUMARK_FFMPEG", "ffmpeg"};
constexpr ToolKind Probe{"exiftool", "PLUMARK_EXIFTOOL", "libimage-exiftool-perl"};

Failure missingTool(const ToolKind& kind, const QString& named)
{
    const QString text =
        &kind == &Probe
            ? QCoreApplication::translate(
                  "Failure", "The probe \"%1\" was not found. Install the Debian package \"%2\".")
            : QCoreApplication::translate(
                  "Failure",
                  "The converter \"%1\" was not found. Install the Debian package \"%2\".");
    return Failure(text.arg(named, QLatin1String(kind.debPackage)));
}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Copies the tool's bytes into a new file that must not exist yet, owner-executable.
void copyTool(const QString& toolPath, const QString& path)
{
    const int in = ::open(nativePath(toolPath).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw Failure(
            QCoreApplication::translate("Failure", "The tool \"%1\" could not be read: %2")
                .arg(toolPath, systemError(errno)));
    const int out =
        ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        throw Failure(
            QCoreApplication::translate("Failure", "The tool file \"%1\" could not be written: %2")
                .arg(path, systemError(error)));
    }
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        for (ssize_t done = 0; done < n && error == 0;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno != EINTR)
                error = errno;
            else if (w > 0)
                done += w;
        }
        if (error != 0)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(nativePath(path).constData());
        throw Failure(
            QCoreApplication::translate("Failure", "The tool file \"%1\" could not be written: %2")
                .arg(path, systemError(error)));
    }
}

} // namespace

QString TemporaryFolder()
{
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("/tmp");
}

QString ProcessorAddressWidth()
{
    // The kernel's architecture, so a 32-bit system on a 64-bit processor reads "32".
    const QString arch = QSysInfo::currentCpuArchitecture();
    const bool wide = arch.endsWith(QLatin1String("64")) || arch == QLatin1String("sparcv9") ||
                      arch == QLatin1String("s390x");
    return wide ? QStringLiteral("64") : QStringLiteral("32");
}

QString LoadResource(int id)
{
    if (id != ConverterResource32 && id != ConverterResource64 && id != ProbeResource)
        throw Failure(QStringLiteral("Resource item %1 does not exist").arg(id));
    const ToolKind& kind = id == ProbeResource ? Probe : Converter;

    const QString named = qEnvironmentVariable(kind.variable);
    if (!named.isEmpty()) {
        if (!isExecutableFile(named))
            throw missingTool(kind, named);
        return QFileInfo(named).absoluteFilePath();
    }
    const QString found = QStandardPaths::findExecutable(QLatin1String(kind.program));
    if (found.isEmpty())
        throw missingTool(kind, QLatin1String(kind.program));
    return found;
}

void WriteBytesToFile(const QString& toolPath, const QString& path,
                      const std::function<void()>& yield)
{
    if (yield)
        yield();
    if (FileExists(path))
        return;
    const QString target = QFileInfo(toolPath).absoluteFilePath();
    if (::symlink(nativePath(target).constData(), nativePath(path).constData()) == 0)
        return;
    // Some file systems refuse links; a copy serves the same purpose there.
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR || error == EEXIST)
        throw Failure(
            QCoreApplication::translate("Failure", "The tool file \"%1\" could not be written: %2")
                .arg(path, systemError(error)));
    copyTool(target, path);
}

ToolsFolder::ToolsFolder()
{
    const QString parent = TemporaryFolder();
    QByteArray pattern =
        nativePath(CollapseBackslashes(parent + QStringLiteral("/plumark-XXXXXX")));
    // mkdtemp makes the folder with owner-only rights.
    if (::mkdtemp(pattern.data()) == nullptr)
        throw Failure(QCoreApplication::translate(
                          "Failure", "The tools folder could not be made in \"%1\": %2")
                          .arg(parent, systemError(errno)));
    m_path = QFile::decodeName(pattern);
    // A run cut short leaves the folder; the record lets a later start remove it.
    recordOwner(m_path);
}

ToolsFolder::~ToolsFolder()
{
    remove();
}

QString ToolsFolder::converterPath() const
{
    return filePath(QStringLiteral("ffmpeg.exe"));
}

QString ToolsFolder::probePath() const
{
    return filePath(QStringLiteral("exiftool.exe"));
}

QString ToolsFolder::filePath(const QString& name) const
{
    return m_path + QLatin1Char('/') + name;
}

void ToolsFolder::remove()
{
    if (m_path.isEmpty())
        return;
    // Links inside are removed, never followed.
    QDir(m_path).removeRecursively();
    m_path.clear();
}

} // namespace plumark
