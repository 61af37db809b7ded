#pragma once

#include <QByteArray>
#include <QString>
#include <sys/stat.h>

namespace plumark {

// The one admission every input passes before any byte of it is read, in
// every step and by either converter: planning, the rate's reading, the length's
// reading and the conversion itself. An input is admitted when it is a
// regular file (after following links) that opens for reading without
// blocking and lies on a file system that holds data. The files of the
// kernel's own file systems (/proc, /sys, debugfs and the like) pose as
// regular files, but they are no recordings and some are read without end
// (/proc/kmsg waits for the next kernel message).
class AdmittedInput
{
public:
    enum class Refusal { None, Missing, Unreadable, NotRegular, SystemFileSystem };

    // Opens path (its native bytes) if it is admitted; nothing of it is read.
    explicit AdmittedInput(const QByteArray& path);
    // The same for name in the folder open at folderFd.
    AdmittedInput(int folderFd, const QByteArray& name);
    ~AdmittedInput();
    AdmittedInput(const AdmittedInput&) = delete;
    AdmittedInput& operator=(const AdmittedInput&) = delete;

    bool admitted() const { return m_fd >= 0; }
    Refusal refusal() const { return m_refusal; }
    // Why the input is refused, for the user; empty when it is admitted.
    QString reason() const;
    // The open file, read only; -1 when refused.
    int fd() const { return m_fd; }
    // The file's status as opened (its device and inode name it).
    const struct stat& status() const { return m_status; }
    // A name by which FFmpeg's file protocol opens this very file, not
    // whatever its path names by then.
    QByteArray url() const;

private:
    void admit(int folderFd, const QByteArray& name);

    QByteArray m_path;
    int m_fd = -1;
    Refusal m_refusal = Refusal::Missing;
    int m_error = 0;
    struct stat m_status = {};
    const char* m_fileSystem = nullptr; // the kernel file system's name
};

} // namespace plumark
