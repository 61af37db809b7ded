#include "engine/ToolsOwner.h"

#include "engine/Paths.h"
#include "engine/Tools.h"

#include <QDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {

namespace {

constexpr auto OwnerFile = "owner";
// The start time is field 22 of /proc/<id>/stat; the fields read here begin
// with field 3, the one after the parenthesised name.
constexpr int StartTimeField = 22 - 3;
// A record is a few dozen bytes; anything longer is not one.
constexpr int RecordLimit = 256;

QByteArray readSmallFile(const QString& path)
{
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    QByteArray bytes(RecordLimit, '\0');
    const ssize_t count = ::read(fd, bytes.data(), RecordLimit);
    ::close(fd);
    return count > 0 ? bytes.left(count) : QByteArray();
}

QByteArray bootId()
{
    return readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id")).trimmed();
}

bool isOwnFolder(const QString& path)
{
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid();
}

// True when the folder's record names a process that has ended (or a later
// process that was given the same id).
bool ownerHasEnded(const QString& folder)
{
    const QByteArray record = readSmallFile(folder + QLatin1Char('/') + QLatin1String(OwnerFile));
    if (!record.endsWith('\n'))
        return false; // none, or not yet written whole
    bool ok = false;
    const pid_t pid = record.left(record.indexOf(' ')).toInt(&ok);
    if (!ok || pid <= 0)
        return false;
    return processRecord(pid) + '\n' != record;
}

} // namespace

QByteArray processRecord(pid_t pid)
{
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    if (fields.size() <= StartTimeField)
        return {};
    return QByteArray::number(pid) + ' ' + fields.at(StartTimeField) + ' ' + bootId();
}

void recordOwner(const QString& folder)
{
    const QByteArray record = processRecord(::getpid()) + '\n';
    const QString path = folder + QLatin1Char('/') + QLatin1String(OwnerFile);
    const QString partial = path + QStringLiteral(".part");
    // Written aside and renamed, so that a reader sees a whole record or none.
    const int fd = ::open(nativePath(partial).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    const bool written = ::write(fd, record.constData(), record.size()) == record.size();
    if (::close(fd) == 0 && written)
        ::rename(nativePath(partial).constData(), nativePath(path).constData());
    else
        ::unlink(nativePath(partial).constData());
}

int RemoveEndedToolsFolders()
{
    const QString parent = TemporaryFolder();
    int removed = 0;
    const QStringList names =
        QDir(parent).entryList({QStringLiteral("plumark-??????")},
                               QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = CollapseBackslashes(parent + QLatin1Char('/') + name);
        if (isOwnFolder(folder) && ownerHasEnded(folder) && QDir(folder).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace plumark
