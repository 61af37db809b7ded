#include "filelist/AddFolder.h"

#include "base/ErrorReport.h"
#include "engine/Paths.h"
#include "filelist/FolderListing.h"

#include <QSet>
#include <QUtf8StringView>
#include <cerrno>
#include <climits>
#include <sys/stat.h>

namespace plumark {

namespace {

using FolderId = QPair<quint64, quint64>;

bool isUnlistable(int error)
{
    // Permission denied and path not found drop the folder from the scan.
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR;
}

// The name-length limit of the folder test is the path limit here, which
// no single name (at most NAME_MAX bytes) reaches; the whole path is tested
// when the folder's own turn comes. A name whose bytes are no valid UTF-8 is
// taken only when asked, and then judged by its other characters.
bool acceptableName(const SubFolder& sub, UndecodableNames names)
{
    if (names == UndecodableNames::Skip && !QUtf8StringView(sub.nameBytes).isValidUtf8())
        return false;
    QString name = sub.name;
    for (qsizetype i = name.size() - 1; i >= 0; --i)
        if (isRawByte(name, i))
            name.remove(i, 1);
    return !HasOddCharacters(name) && name != QLatin1String(".") && name != QLatin1String("..");
}

class Collector
{
public:
    Collector(Reporter& reporter, UndecodableNames names) : m_reporter(reporter), m_names(names) {}

    // Remembers the folders a scan starts from, so that no link leads back
    // into them.
    void markStart(const QStringList& folders)
    {
        for (const QString& folder : folders) {
            struct stat st;
            if (::stat(nativePath(folder).constData(), &st) == 0)
                m_seen.insert({quint64(st.st_dev), quint64(st.st_ino)});
        }
    }

    void collect(QStringList& folders, bool recurse)
    {
        Guard guard(m_reporter, identity::GetSubDirectories2016);
        QStringList found;
        for (qsizetype i = 0; i < folders.size(); ++i) {
            const QString d = folders[i];
            if (!guard.test(1, [&] { return FolderExists(d); }))
                continue;
            if (!guard.test(2, [&] { return nativePath(d).size() < PATH_MAX; }))
                continue;
            guard.step(3, [&] { m_reporter.yield(); });
            // The folder test refuses only folders that are exactly hidden,
            // system and directory (with or without the link flag). No folder
            // here has the system attribute, so every folder passes it.
            int error = 0;
            guard.step(4, [&] { error = listInto(d, found); });
            if (isUnlistable(error)) {
                guard.step(5, [&] {
                    const qsizetype at = folders.indexOf(d);
                    if (at >= 0) {
                        folders.removeAt(at);
                        if (at <= i)
                            --i;
                    }
                });
            }
        }
        if (recurse && !found.isEmpty())
            guard.step(6, [&] { collect(found, true); });
        for (const QString& f : std::as_const(found)) {
            if (!guard.test(7, [&] { return FolderExists(f); }))
                continue;
            guard.step(8, [&] { m_reporter.yield(); });
            guard.step(9, [&] { folders.append(f); });
        }
    }

private:
    // Appends d's acceptable sub-folders that no earlier path has reached.
    // Returns 0, or the error that ended the listing.
    int listInto(const QString& d, QStringList& found)
    {
        QList<SubFolder> subs;
        const int error = listSubFolders(d, subs);
        for (const SubFolder& sub : std::as_const(subs)) {
            m_reporter.yield();
            if (!acceptableName(sub, m_names))
                continue;
            const FolderId id{sub.device, sub.inode};
            if (m_seen.contains(id))
                continue;
            m_seen.insert(id);
            found.append(d + sub.name + QLatin1Char('/'));
        }
        return error;
    }

    Reporter& m_reporter;
    UndecodableNames m_names;
    QSet<FolderId> m_seen;
};

} // namespace

QString BrowseForFolder(Window& window, const QString& title, const QString& initialFolder)
{
    return window.browseForFolder(title, initialFolder);
}

void GetSubDirectories2016(QStringList& folders, bool recurse, Reporter& reporter)
{
    Collector collector(reporter, UndecodableNames::Skip);
    collector.markStart(folders);
    collector.collect(folders, recurse);
}

void AddFolderTree(FileList& list, Reporter& reporter, const QString& folder,
                   const QString& pattern, UndecodableNames names)
{
    QStringList folders{folder + QLatin1Char('/')};
    Collector collector(reporter, names);
    collector.markStart(folders);
    collector.collect(folders, true);
    for (QString entry : std::as_const(folders)) {
        entry.chop(1);
        const QString prefix = entry + QLatin1Char('/');
        // Every listed file has passed the open test just now.
        for (const ListedFile& file : listFiles(entry, pattern, names)) {
            if (file.name.startsWith(QLatin1Char('~')) || file.hiddenRegular)
                continue;
            AddPathToList(list, CollapseBackslashes(prefix + file.name));
        }
    }
}

QStringList GetFilesInFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    const QList<ListedFile> files = listFiles(folder, pattern);
    names.reserve(files.size());
    for (const ListedFile& file : files)
        names.append(file.name);
    return names;
}

bool HasOddCharacters(const QString& name)
{
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 32 || (code >= 127 && code <= 159) || code == u'?')
            return true;
    }
    return false;
}

} // namespace plumark
