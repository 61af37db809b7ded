#include "base/InputGate.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace plumark {

namespace {

struct SystemFileSystem
{
    unsigned long magic;
    const char* name;
};

// The kernel's own file systems, by the magic number fstatfs gives: their
// files describe or steer the system and hold no recordings.
constexpr SystemFileSystem SystemFileSystems[] = {
    {0x9fa0, "proc"},
    {0x62656572, "sysfs"},
    {0x64626720, "debugfs"},
    {0x74726163, "tracefs"},
    {0x73636673, "securityfs"},
    {0x27e0eb, "cgroup"},
    {0x63677270, "cgroup2"},
    {0x62656570, "configfs"},
    {0x1cd1, "devpts"},
    {0xcafe4a11, "bpf"},
    {0x6165676c, "pstore"},
    {0xde5e81e4, "efivarfs"},
    {0x65735543, "fusectl"},
    {0xf97cff8c, "selinuxfs"},
    {0x43415d53, "smackfs"},
    {0x42494e4d, "binfmt_misc"},
    {0x19800202, "mqueue"},
    {0x6e736673, "nsfs"},
    {0x7655821, "resctrl"},
    {0x9fa2, "usbdevfs"},
    {0xabba1974, "xenfs"},
    {0x0187, "autofs"},
    {0x09041934, "anon_inodefs"},
};

const char* systemFileSystemOf(int fd)
{
    struct statfs info = {};
    if (::fstatfs(fd, &info) != 0)
        return nullptr;
    for (const SystemFileSystem& known : SystemFileSystems)
        if (static_cast<unsigned long>(info.f_type) == known.magic)
            return known.name;
    return nullptr;
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QCoreApplication::translate("Conversion", "a folder");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("Conversion", "a named pipe (FIFO)");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("Conversion", "a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QCoreApplication::translate("Conversion", "a device");
    return QCoreApplication::translate("Conversion", "something else");
}

} // namespace

AdmittedInput::AdmittedInput(const QByteArray& path)
{
    admit(AT_FDCWD, path);
}

AdmittedInput::AdmittedInput(int folderFd, const QByteArray& name)
{
    admit(folderFd, name);
}

AdmittedInput::~AdmittedInput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void AdmittedInput::admit(int folderFd, const QByteArray& name)
{
    m_path = name;
    const auto refuse = [this](int error) {
        m_refusal = error == ENOENT || error == ENOTDIR ? Refusal::Missing : Refusal::Unreadable;
        m_error = error;
    };
    if (name.isEmpty())
        return refuse(ENOENT);
    // Only a regular file is ever opened: opening a device may act on it.
    if (::fstatat(folderFd, name.constData(), &m_status, 0) != 0)
        return refuse(errno);
    m_refusal = Refusal::NotRegular;
    if (!S_ISREG(m_status.st_mode))
        return;
    const int fd =
        ::openat(folderFd, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refuse(errno);
    // What was opened is judged, not what the path named a moment before.
    if (::fstat(fd, &m_status) != 0 || !S_ISREG(m_status.st_mode)) {
        ::close(fd);
        return;
    }
    m_fileSystem = systemFileSystemOf(fd);
    if (m_fileSystem) {
        m_refusal = Refusal::SystemFileSystem;
        ::close(fd);
        return;
    }
    m_refusal = Refusal::None;
    m_fd = fd;
}

QString AdmittedInput::reason() const
{
    switch (m_refusal) {
    case Refusal::None:
        return {};
    case Refusal::Missing:
        return QCoreApplication::translate("Conversion", "The file does not exist.");
    case Refusal::Unreadable:
        return QCoreApplication::translate("Conversion", "The file cannot be read: %1.")
            .arg(QString::fromLocal8Bit(std::strerror(m_error)));
    case Refusal::NotRegular:
        return QCoreApplication::translate("Conversion", "This is %1, not a regular file.")
            .arg(kindOf(m_status.st_mode));
    case Refusal::SystemFileSystem:
        return QCoreApplication::translate(
                   "Conversion",
                   "This is no recording but a file of the system's %1 file system, which may "
                   "be read without end. Only files kept on a disk are converted.")
            .arg(QString::fromLatin1(m_fileSystem));
    }
    return {};
}

QByteArray AdmittedInput::url() const
{
    // The descriptor's own name opens the file it holds; where /proc is not
    // there to give it, the path is the best name left.
    const QByteArray own = "/proc/self/fd/" + QByteArray::number(m_fd);
    struct stat named = {};
    if (m_fd >= 0 && ::stat(own.constData(), &named) == 0 && named.st_dev == m_status.st_dev &&
        named.st_ino == m_status.st_ino)
        return "file:" + own;
    return "file:" + m_path;
}

} // namespace plumark
