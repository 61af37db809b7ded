#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

namespace plumark {

// One name for a file however it is reached: its folder with every link
// resolved, then its own name (resolved too when the file exists).
QString fileKey(const QString& path);

// The results of one run. No result may replace a file that was in the list
// when the run began, nor the result of an earlier input of the same run (two
// inputs of one name saved to one folder); the same input listed twice may
// replace its own earlier result. Files are compared after resolving
// links, and an existing file also by device and inode, so that a hard link
// counts as the same file.
class OutputClaims
{
public:
    OutputClaims() = default;
    explicit OutputClaims(const QStringList& listedFiles);

    // Why the input's result must not be written, or an empty text when it
    // may; the result then belongs to this input. A result that would replace
    // the input itself is left to refusalReason.
    QString claim(const QString& inputPath, const QString& outputPath);

private:
    using FileId = QPair<quint64, quint64>; // device, inode

    QHash<QString, QString> m_listedByKey; // key -> the path as listed
    QHash<FileId, QString> m_listedById;
    struct Claimant
    {
        QString path; // the input as listed
        QString key;
        std::optional<FileId> id;
    };
    QHash<QString, Claimant> m_claimed; // result key -> the input it belongs to
};

} // namespace plumark
