#pragma once

#include "base/UniqueFd.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace plumark {

// A result is written under a hidden name of its own beside its final name
// and put in place whole or not at all: each writer has its own partial name
// (two batches on one folder never share one), a link planted there is never
// followed, and the data reaches the disk before the rename, the rename
// before "converted" is said. The final name is only ever replaced by a
// rename; nothing here removes it.

// A fresh partial name for output, "<folder>/.<name>.HOST-PID.XXXXXX.partial.ac3"
// with this host's name, this process's id and six random characters, not
// yet taken. It ends in the result's own extension (".ac3", ".mka", ".mp4")
// so that the ffmpeg program, which chooses its output format by the name,
// writes the result's format.
QByteArray freshPartialPath(const QByteArray& output);

// Whether path is a partial name of output's written on this host.
bool isPartialPathOf(const QByteArray& path, const QByteArray& output);

// Removes the partials of the outputs that a process of this host left
// when it was killed outright: names of exactly that form whose process is
// gone. Nothing else in their folders is touched.
void removeDeadPartials(const QList<QByteArray>& outputs);

// Puts a partial result that is complete in place: its data is synced, it is
// renamed over output and the folder is synced, then output is checked to be
// there. The partial must be a regular file, never a link. Returns
// the reason on failure (the partial is then left for its owner to remove).
QString commitPartial(const QByteArray& partial, const QByteArray& output);

// Syncs a result written in place by another program, and its folder, so
// that it survives a power cut as written; a link there is not followed.
void syncWrittenFile(const QByteArray& path);

// A partial result this process creates and writes through its descriptor.
// It is removed unless committed, on every path out.
class ResultFile
{
public:
    ResultFile() = default;
    ~ResultFile();
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // Called with the partial's name as soon as it exists, with stops held
    // back until it returns, so that a stop handler can know of it.
    void onCreated(std::function<void(const QByteArray& path)> created)
    {
        m_created = std::move(created);
    }
    // Creates a fresh partial file for output (O_CREAT | O_EXCL: never an
    // existing file, never through a link). Returns the reason on failure.
    QString create(const QByteArray& output);
    int fd() const { return m_fd.get(); }
    const QByteArray& path() const { return m_path; }
    // Syncs, closes and renames it into place as commitPartial does.
    QString commit();
    // Closes and removes it, also from its folder moved meanwhile.
    void discard();

private:
    QByteArray m_output;
    QByteArray m_path;
    UniqueFd m_fd;
    UniqueFd m_folderFd; // the partial's folder, wherever it is moved to
    std::function<void(const QByteArray& path)> m_created;
};

} // namespace plumark
