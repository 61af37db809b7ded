#include "engine/OutputClaims.h"

#include "engine/Paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <climits>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace plumark {

namespace {

std::optional<QPair<quint64, quint64>> fileIdOf(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return QPair<quint64, quint64>(st.st_dev, st.st_ino);
}

// The path with every link resolved by the system, every byte of its names
// kept; empty when it does not exist.
QString resolvedPath(const QString& path)
{
    char buffer[PATH_MAX];
    const char* real = ::realpath(nativePath(path).constData(), buffer);
    return real ? pathFromNative(real) : QString();
}

bool sameFile(const QString& key, const std::optional<QPair<quint64, quint64>>& id,
              const QString& otherKey, const std::optional<QPair<quint64, quint64>>& otherId)
{
    return key == otherKey || (id && id == otherId);
}

} // namespace

QString fileKey(const QString& path)
{
    const QString canonical = resolvedPath(path);
    if (!canonical.isEmpty())
        return canonical;
    const QFileInfo info(path);
    const QString folder = resolvedPath(info.absolutePath());
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

OutputClaims::OutputClaims(const QStringList& listedFiles)
{
    for (const QString& listed : listedFiles) {
        if (listed.isEmpty())
            continue;
        m_listedByKey.insert(fileKey(listed), listed);
        if (const auto id = fileIdOf(listed))
            m_listedById.insert(*id, listed);
    }
}

QString OutputClaims::claim(const QString& inputPath, const QString& outputPath)
{
    const QString inputKey = fileKey(inputPath);
    const QString outputKey = fileKey(outputPath);
    const auto inputId = fileIdOf(inputPath);
    const auto outputId = fileIdOf(outputPath);
    if (sameFile(outputKey, outputId, inputKey, inputId))
        return {};

    QString listed = m_listedByKey.value(outputKey);
    if (listed.isEmpty() && outputId)
        listed = m_listedById.value(*outputId);
    if (!listed.isEmpty())
        return QCoreApplication::translate("Conversion",
                                           "The result would replace the listed file \"%1\".")
            .arg(listed);

    // The same file listed again may replace its own earlier result.
    const auto earlier = m_claimed.constFind(outputKey);
    if (earlier != m_claimed.cend() && !sameFile(earlier->key, earlier->id, inputKey, inputId))
        return QCoreApplication::translate("Conversion",
                                           "The result would replace the result of \"%1\".")
            .arg(earlier->path);
    m_claimed.insert(outputKey, {inputPath, inputKey, inputId});
    return {};
}

} // namespace plumark
