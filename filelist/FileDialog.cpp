#include "base/ErrorReport.h"
#include "engine/Paths.h"
#include "filelist/FileList.h"
#include "shell/MainForm.h"

#include <QCoreApplication>

namespace plumark {

void MainForm::PushButton1_Click()
{
    Guard guard(m_window, identity::PushButton1_Click);
    QString result;
    bool tooMany = false;
    guard.step(4, [&] {
        const FileDialogSetup setup{
            QCoreApplication::translate("FileList",
                                        "Add File(s) - Hold Ctrl to select multiple files"),
            QCoreApplication::translate("FileList", "M4A File (*.m4a)"), QStringLiteral("*.m4a"),
            true};
        try {
            result = m_window.openFileDialog(setup);
        } catch (const DialogBufferTooSmall&) {
            tooMany = true;
        }
    });
    if (tooMany) {
        m_window.message(
            QCoreApplication::translate("FileList", "You've selected too many files to add.") +
            QStringLiteral("\r\r") +
            QCoreApplication::translate("FileList",
                                        "Please try adding via the \"Add All\" button."));
        return;
    }
    if (result.isEmpty())
        return;

    // One part is a full path; several are the folder followed by names.
    QStringList parts;
    guard.step(8, [&] { parts = result.split(QChar(0)); });
    if (parts.size() == 1) {
        guard.step(12, [&] { AddPathToList(m_list, parts.first()); });
        return;
    }
    for (qsizetype i = 1; i < parts.size(); ++i) {
        guard.step(16, [&] {
            AddPathToList(m_list, CollapseBackslashes(parts.first() + separator() + parts[i]));
        });
    }
}

} // namespace plumark
