#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QString>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark::test {

// What a folder holds, by raw entry name (names that are not valid UTF-8
// included): each entry's type and size, and for a regular file that can be
// read, a checksum of its bytes. Nothing is followed and nothing blocks.
using FolderSnapshot = QMap<QByteArray, QByteArray>;

inline QByteArray entryState(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return "gone";
    QByteArray state = QByteArray::number(st.st_mode, 8) + ' ' + QByteArray::number(st.st_size);
    if (!S_ISREG(st.st_mode))
        return state;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return state + " unreadable";
    QCryptographicHash hash(QCryptographicHash::Sha256);
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        hash.addData(QByteArrayView(buffer, n));
    ::close(fd);
    return state + ' ' + hash.result().toHex();
}

inline FolderSnapshot snapshot(const QString& folder)
{
    FolderSnapshot entries;
    const QByteArray base = QFile::encodeName(folder);
    DIR* dir = ::opendir(base.constData());
    if (!dir)
        return entries;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            entries.insert(name, entryState(base + '/' + name));
    }
    ::closedir(dir);
    return entries;
}

} // namespace plumark::test
