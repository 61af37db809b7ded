#include "filelist/FolderListing.h"

#include "base/InputGate.h"
#include "engine/Paths.h"
#include "filelist/AddFolder.h"

#include <QUtf8StringView>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {

namespace {

// A folder opened for listing; closed with its stream.
class Listing
{
public:
    explicit Listing(const QString& folder)
    {
        m_fd =
            ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            m_error = errno;
            return;
        }
        m_dir = ::fdopendir(m_fd);
        if (!m_dir) {
            m_error = errno;
            ::close(m_fd);
        }
    }
    ~Listing()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    int error() const { return m_error; }
    int fd() const { return m_fd; }

    // The next entry, or null at the end or on a failure (then error() is set).
    const dirent* next()
    {
        if (!m_dir)
            return nullptr;
        errno = 0;
        const dirent* entry = ::readdir(m_dir);
        if (!entry)
            m_error = errno;
        return entry;
    }

private:
    int m_fd = -1;
    DIR* m_dir = nullptr;
    int m_error = 0;
};

bool isSpecialType(unsigned char type)
{
    return type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK;
}

bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Whether the input gate admits the entry: a regular file that opens for
// reading without blocking, on a file system that holds data.
bool opensAsRegular(int dirFd, const char* name)
{
    return AdmittedInput(dirFd, QByteArray(name)).admitted();
}

// The name as text, or empty when its bytes are no valid UTF-8 and such names
// are left out.
QString decodedName(const char* raw, UndecodableNames names)
{
    if (names == UndecodableNames::Skip && !QUtf8StringView(raw).isValidUtf8())
        return {};
    return pathFromNative(raw);
}

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool matchesPattern(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*.*"))
        return true;
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool listsBefore(const QString& a, const QString& b)
{
    const int order = QString::compare(a, b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

QList<ListedFile> listFiles(const QString& folder, const QString& pattern, UndecodableNames names)
{
    QList<ListedFile> files;
    Listing listing(folder);
    const bool everything = pattern == QLatin1String("*.*");
    while (const dirent* entry = listing.next()) {
        const unsigned char type = entry->d_type;
        const char* raw = entry->d_name;
        if (type == DT_DIR || isSpecialType(type) || isDotEntry(raw))
            continue;
        const QString name = decodedName(raw, names);
        if (name.isEmpty() || (!everything && !matchesPattern(name, pattern)))
            continue;
        bool link = type == DT_LNK;
        struct stat st;
        if (type == DT_UNKNOWN) {
            if (::fstatat(listing.fd(), raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            link = S_ISLNK(st.st_mode);
        }
        // Links are followed; anything but a regular file is never opened.
        if (!opensAsRegular(listing.fd(), raw))
            continue;
        files.append({name, !link && raw[0] == '.'});
    }
    std::sort(files.begin(), files.end(),
              [](const ListedFile& a, const ListedFile& b) { return listsBefore(a.name, b.name); });
    return files;
}

int listSubFolders(const QString& folder, QList<SubFolder>& subs)
{
    Listing listing(folder);
    const qsizetype first = subs.size();
    while (const dirent* entry = listing.next()) {
        const unsigned char type = entry->d_type;
        const char* raw = entry->d_name;
        if (type == DT_REG || isSpecialType(type) || isDotEntry(raw))
            continue;
        struct stat st;
        // A link to a folder counts as a sub-folder, identified by its target.
        const int flags = type == DT_DIR ? AT_SYMLINK_NOFOLLOW : 0;
        if (::fstatat(listing.fd(), raw, &st, flags) != 0 || !S_ISDIR(st.st_mode))
            continue;
        subs.append({pathFromNative(raw), QByteArray(raw), quint64(st.st_dev), quint64(st.st_ino)});
    }
    std::sort(subs.begin() + first, subs.end(),
              [](const SubFolder& a, const SubFolder& b) { return listsBefore(a.name, b.name); });
    return listing.error();
}

bool FileCanBeOpened(const QString& path)
{
    return opensAsRegular(AT_FDCWD, nativePath(path).constData());
}

} // namespace plumark
