#pragma once

#include <QList>
#include <QString>

namespace plumark {

// What a listing does with a name whose bytes are no valid UTF-8: the
// window's list leaves it out; the batch keeps it, as text that keeps its
// bytes (pathFromNative).
enum class UndecodableNames { Skip, Keep };

// One file of a folder listing that matched the pattern and could be opened.
struct ListedFile
{
    QString name;
    // A regular file (not a link) whose name begins with ".": hidden and
    // archive and nothing else.
    bool hiddenRegular = false;
};

// One sub-folder of a folder listing; links to folders count as sub-folders.
struct SubFolder
{
    QString name; // every byte kept (pathFromNative)
    QByteArray nameBytes;
    quint64 device = 0;
    quint64 inode = 0;
};

// The files of folder whose names match pattern and that can be opened, in
// listing order. A folder that cannot be read gives none.
QList<ListedFile> listFiles(const QString& folder, const QString& pattern,
                            UndecodableNames names = UndecodableNames::Skip);

// Appends folder's sub-folders ("." and ".." aside) to subs in listing order. Returns 0, or the
// errno value that ended the listing (subs then holds those read before).
int listSubFolders(const QString& folder, QList<SubFolder>& subs);

// "*" and "?" matched ignoring letter case; "*.*" matches every name.
bool matchesPattern(const QString& name, const QString& pattern);

// Listing order: by name ignoring letter case, ties by exact name.
bool listsBefore(const QString& a, const QString& b);

} // namespace plumark
