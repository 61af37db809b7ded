#include "base/ErrorReport.h"
#include "filelist/AddFolder.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"

#include <QCoreApplication>

namespace plumark {

void MainForm::PushButton3_Click()
{
    Guard guard(m_window, identity::PushButton3_Click);
    QString extension;
    QString answer;
    QString chosen;
    guard.step(
        1, [&] { extension = ReadSetting(QStringLiteral("Extension"), QStringLiteral("m4a")); });
    guard.step(2, [&] {
        answer = m_window.inputBox(
            QCoreApplication::translate("FileList", "Enter file extension to load:") +
                QStringLiteral("\r\r") +
                QCoreApplication::translate("FileList",
                                            "(* for all files, txt for all txt files, doc for "
                                            "all doc files, etc.)"),
            extension);
    });
    if (answer.isEmpty())
        return;
    guard.step(4, [&] { WriteSetting(QStringLiteral("Extension"), answer); });
    guard.step(5, [&] { LastFolder = ReadSetting(QStringLiteral("LastFolder"), QString()); });
    guard.step(6, [&] {
        chosen = BrowseForFolder(
            m_window, QCoreApplication::translate("FileList", "Please select folder:"), LastFolder);
    });
    if (chosen.isEmpty())
        return;
    guard.step(7, [&] {
        LastFolder = chosen;
        WriteSetting(QStringLiteral("LastFolder"), chosen);
    });
    guard.step(8, [&] { m_window.setMousePointer(PointerBusy); });
    guard.step(9, [&] { AddFolderTree(m_list, m_window, chosen, QStringLiteral("*.") + answer); });
    guard.step(10, [&] { m_window.setMousePointer(PointerDefault); });
}

} // namespace plumark
