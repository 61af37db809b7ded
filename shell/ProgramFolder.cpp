#include "shell/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace plumark {

QString ProgramFolder()
{
    const QString beside = QCoreApplication::applicationDirPath();
    const QDir dir(beside);
    if (dir.exists(QStringLiteral("HAND-M.CUR")) || dir.exists(QStringLiteral("Samples")))
        return beside;
    const QString installed = QDir::cleanPath(beside + QStringLiteral("/../share/plumark"));
    if (QFileInfo(installed).isDir())
        return installed;
    return beside;
}

} // namespace plumark
