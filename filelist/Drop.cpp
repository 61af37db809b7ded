#include "engine/Paths.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"
#include "shell/MainForm.h"

namespace plumark {

bool MainForm::ListView1_OLEDragOver(bool offersFiles)
{
    return offersFiles;
}

void MainForm::ListView1_OLEDragDrop(const QStringList& paths)
{
    // A folder is scanned with its tree for every file; anything else (a
    // file, or a path that has gone) becomes one row exactly as dropped.
    for (const QString& path : paths) {
        if (FolderExists(path))
            AddFolderTree(m_list, m_window, path, QStringLiteral("*.*"));
        else
            AddPathToList(m_list, path);
    }
}

} // namespace plumark
