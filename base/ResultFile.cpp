#include "base/ResultFile.h"

#include <QCryptographicHash>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {

namespace {

// A partial name ends in ".partial." and its result's own extension.
constexpr char PartialMark[] = ".partial.";
constexpr int RandomLength = 6;
// Tries at a fresh name before giving up: a clash is already rare.
constexpr int CreateTries = 100;

struct PathParts
{
    QByteArray folder; // without its closing slash
    QByteArray name;
};

PathParts split(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArrayLiteral("."), path};
    return {slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

// The result's own extension, with its dot ("" when it has none).
QByteArray extensionOf(const QByteArray& fileName)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    return dot < 0 ? QByteArray() : fileName.mid(dot);
}

// What every partial name of output ends with: its result's extension, by
// which the ffmpeg program chooses the format it writes.
QByteArray partialEnd(const QByteArray& fileName)
{
    return PartialMark + extensionOf(fileName).mid(1);
}

// This host's name as a partial name carries it: letters, digits, "_" and
// "-" only, so that it cannot hold the "." that ends it.
QByteArray hostTag()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return QByteArrayLiteral("host");
    QByteArray tag;
    for (const char* c = name; *c && tag.size() < 64; ++c)
        tag += std::isalnum(static_cast<unsigned char>(*c)) || *c == '-' ? *c : '_';
    return tag.isEmpty() ? QByteArrayLiteral("host") : tag;
}

// The writer of a partial, "<host>-<process id>.": a later batch on the same
// host can tell that it has ended and remove what it left.
QByteArray ownerTag(pid_t pid)
{
    static const QByteArray host = hostTag();
    return host + '-' + QByteArray::number(pid) + '.';
}

// What every partial name of output starts with, after its folder.
QByteArray partialPrefix(const QByteArray& fileName)
{
    QByteArray stem = fileName;
    stem.chop(extensionOf(fileName).size());
    const QByteArray prefix = '.' + stem + '.';
    // A result whose name is near the longest allowed gets a short name of
    // the same kind, still one of its own.
    // Room for the owner's tag with the longest process id.
    const qsizetype owner = ownerTag(0).size() + 9;
    if (prefix.size() + owner + RandomLength + partialEnd(fileName).size() <= NAME_MAX)
        return prefix;
    return ".plumark-" + QCryptographicHash::hash(fileName, QCryptographicHash::Sha1).toHex() + '.';
}

QByteArray randomText()
{
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[RandomLength] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != qsizetype(sizeof bytes)) {
        // No random source: the time and process id still make a clash rare,
        // and O_EXCL makes one harmless.
        const quint64 seed = quint64(::getpid()) * 0x9E3779B97F4A7C15ULL ^ quint64(::clock());
        std::memcpy(bytes, &seed, sizeof bytes);
    }
    QByteArray text(RandomLength, '\0');
    for (int i = 0; i < RandomLength; ++i)
        text[i] = Letters[bytes[i] % (sizeof Letters - 1)];
    return text;
}

QString writeFailure(int error)
{
    return QStringLiteral("Could not write the result: ") +
           QString::fromLocal8Bit(std::strerror(error));
}

// Syncs the file open at fd, named partial, renames it over output and syncs
// the folder; then output must be that file.
QString commitOpenFile(int fd, const QByteArray& partial, const QByteArray& output)
{
    struct stat written = {};
    struct stat named = {};
    if (::fstat(fd, &written) != 0)
        return writeFailure(errno);
    if (!S_ISREG(written.st_mode))
        return writeFailure(EINVAL);
    // The data reaches the disk before its name does.
    if (::fsync(fd) != 0)
        return writeFailure(errno);
    const PathParts from = split(partial);
    const PathParts to = split(output);
    const UniqueFd folderFd(::open(to.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int folder = folderFd.get();
    if (folder < 0)
        return writeFailure(errno);
    // The partial name must still be this file: one put there in its place
    // is never renamed into the result.
    QString problem;
    if (::fstatat(folder, from.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        problem = writeFailure(errno);
    else if (named.st_dev != written.st_dev || named.st_ino != written.st_ino)
        problem = writeFailure(ESTALE);
    else if (::renameat(folder, from.name.constData(), folder, to.name.constData()) != 0)
        problem = writeFailure(errno);
    else if (::fsync(folder) != 0)
        problem = writeFailure(errno);
    // The result must be there now. Another writer of the same name may have
    // renamed its own whole result over it since, which serves as well.
    else if (::fstatat(folder, to.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
             !S_ISREG(named.st_mode))
        problem = QStringLiteral("The result is not there after it was put in place.");
    return problem;
}

} // namespace

QByteArray freshPartialPath(const QByteArray& output)
{
    const PathParts parts = split(output);
    const QByteArray prefix = parts.folder + '/' + partialPrefix(parts.name) + ownerTag(::getpid());
    QByteArray path;
    struct stat existing = {};
    for (int i = 0; i < CreateTries; ++i) {
        path = prefix + randomText() + partialEnd(parts.name);
        if (::lstat(path.constData(), &existing) != 0 && errno == ENOENT)
            break;
    }
    return path;
}

namespace {

// The process id of the writer of the partial named name in output's
// folder, when name is exactly one of output's partial names written on this
// host; 0 otherwise.
pid_t partialOwner(const QByteArray& name, const QByteArray& outputName)
{
    static const QByteArray host = hostTag();
    const QByteArray prefix = partialPrefix(outputName) + host + '-';
    const QByteArray end = partialEnd(outputName);
    if (!name.startsWith(prefix) || !name.endsWith(end))
        return 0;
    const QByteArray middle = name.mid(prefix.size(), name.size() - prefix.size() - end.size());
    const qsizetype dot = middle.indexOf('.');
    if (dot < 1 || middle.size() - dot - 1 != RandomLength)
        return 0;
    const QByteArray digits = middle.left(dot);
    const QByteArray random = middle.mid(dot + 1);
    if (digits.size() > 9 || digits.startsWith('0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        !std::all_of(random.begin(), random.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        return 0;
    return pid_t(digits.toInt());
}

} // namespace

bool isPartialPathOf(const QByteArray& path, const QByteArray& output)
{
    const PathParts parts = split(output);
    const PathParts partial = split(path);
    return partial.folder == parts.folder && partialOwner(partial.name, parts.name) > 0;
}

void removeDeadPartials(const QList<QByteArray>& outputs)
{
    // The results' names, by folder: each folder is read once.
    std::map<QByteArray, std::set<QByteArray>> names;
    for (const QByteArray& output : outputs) {
        const PathParts parts = split(output);
        names[parts.folder].insert(parts.name);
    }
    for (const auto& [folder, results] : names) {
        DIR* listing = ::opendir(folder.constData());
        if (!listing)
            continue;
        while (const dirent* entry = ::readdir(listing)) {
            const QByteArray name(entry->d_name);
            if (!name.startsWith('.') || !name.contains(PartialMark))
                continue;
            for (const QByteArray& result : results) {
                const pid_t owner = partialOwner(name, result);
                // A process of that id still there may be the writer: its
                // partial stays.
                if (owner > 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH) {
                    ::unlinkat(::dirfd(listing), name.constData(), 0);
                    break;
                }
            }
        }
        ::closedir(listing);
    }
}

QString commitPartial(const QByteArray& partial, const QByteArray& output)
{
    const UniqueFd fd(::open(partial.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return writeFailure(errno == ELOOP ? EINVAL : errno);
    return commitOpenFile(fd.get(), partial, output);
}

void syncWrittenFile(const QByteArray& path)
{
    {
        const UniqueFd fd(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info = {};
        if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
            ::fsync(fd.get()) != 0)
            return;
    }
    const UniqueFd folder(
        ::open(split(path).folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
}

ResultFile::~ResultFile()
{
    discard();
}

QString ResultFile::create(const QByteArray& output)
{
    discard();
    m_output = output;
    // A stop while the name is made would leave a file no handler knows of.
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        sigaddset(&stops, signalNumber);
    ::pthread_sigmask(SIG_BLOCK, &stops, &previous);
    int error = EEXIST;
    for (int i = 0; i < CreateTries && error == EEXIST; ++i) {
        m_path = freshPartialPath(output);
        m_fd.reset(
            ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        error = m_fd.valid() ? 0 : errno;
    }
    if (error)
        m_path.clear();
    else
        m_folderFd.reset(
            ::open(split(m_path).folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!error && m_created)
        m_created(m_path);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return error ? writeFailure(error) : QString();
}

QString ResultFile::commit()
{
    if (!m_fd.valid())
        return writeFailure(EBADF);
    const QString problem = commitOpenFile(m_fd.get(), m_path, m_output);
    // Synced already: closing can lose nothing.
    m_fd.reset();
    if (problem.isEmpty()) {
        m_path.clear();
        m_folderFd.reset();
    }
    return problem;
}

void ResultFile::discard()
{
    m_fd.reset();
    if (!m_path.isEmpty()) {
        if (m_folderFd.valid())
            ::unlinkat(m_folderFd.get(), split(m_path).name.constData(), 0);
        else
            ::unlink(m_path.constData());
    }
    m_folderFd.reset();
    m_path.clear();
}

} // namespace plumark
