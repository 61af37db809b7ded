#include "engine/Paths.h"

#include "shell/Failure.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

bool FileExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0;
}

bool FolderExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString FileNameOf(const QString& path, PathStyle style)
{
    return path.mid(path.lastIndexOf(separator(style)) + 1);
}

QString ParentFolder(const QString& path, PathStyle style)
{
    return path.left(path.lastIndexOf(separator(style)) + 1);
}

QString StripExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? name.left(dot) : name;
}

namespace {

// Replaces each pair of adjacent separators by one, resuming after the pair.
QString collapsePairs(QStringView text, QChar sep)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out.append(text[i]);
        if (text[i] == sep && i + 1 < text.size() && text[i + 1] == sep)
            ++i;
    }
    return out;
}

} // namespace

QString CollapseBackslashes(const QString& path, PathStyle style)
{
    const QChar sep = separator(style);
    if (style == PathStyle::Windows && path.startsWith(sep)) {
        qsizetype n = 0;
        while (n < path.size() && path[n] == sep)
            ++n;
        return QString(2, sep) + collapsePairs(QStringView(path).mid(n), sep);
    }
    return collapsePairs(path, sep);
}

void ForceDeleteFile(const QString& path)
{
    const QByteArray p = nativePath(path);
    if (::unlink(p.constData()) == 0)
        return;
    const int first = errno;
    if (first == EACCES || first == EPERM) {
        struct stat st;
        if (::lstat(p.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
            ::chmod(p.constData(), st.st_mode | S_IWUSR);
        if (::unlink(p.constData()) == 0)
            return;
    }
    throw Failure(QStringLiteral("Could not delete \"%1\": %2")
                      .arg(path, QString::fromLocal8Bit(std::strerror(first))));
}

void DeleteFileQuietly(const QString& path, const std::function<void()>& yield)
{
    if (yield)
        yield();
    if (path.isEmpty())
        return;
    if (::unlink(nativePath(path).constData()) == 0)
        return;
    try {
        ForceDeleteFile(path);
    } catch (const Failure&) {
        // Quiet by design: a file that cannot be removed is left as it is.
    }
}

} // namespace plumark
