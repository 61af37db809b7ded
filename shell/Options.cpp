#include "base/ErrorReport.h"
#include "engine/Paths.h"
#include "filelist/AddFolder.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"

#include <QCoreApplication>

namespace plumark {

namespace {

// Stores both output-mode options and enables the folder frame with Option3.
void storeOutputMode(Window& window)
{
    WriteSetting(QStringLiteral("Option3"), booleanText(window.option(3)));
    WriteSetting(QStringLiteral("Option4"), booleanText(window.option(4)));
    window.setFolderFrameEnabled(window.option(3));
}

} // namespace

void MainForm::Option1_Click()
{
    WriteSetting(QStringLiteral("Option"), QStringLiteral("1"));
    m_window.setRateEnabled(false);
}

void MainForm::Option2_Click()
{
    WriteSetting(QStringLiteral("Option"), QStringLiteral("2"));
    m_window.setRateEnabled(true);
}

void MainForm::Option3_Click()
{
    storeOutputMode(m_window);
}

void MainForm::Option4_Click()
{
    storeOutputMode(m_window);
}

void MainForm::Combo1_Click()
{
    WriteSetting(QStringLiteral("kbps"), m_window.rateText());
}

void MainForm::Combo1_Change()
{
    Combo1_Click();
}

void MainForm::Text1_Change()
{
    WriteSetting(QStringLiteral("Output Folder"), m_window.folderText());
}

void MainForm::Text1_EditingFinished()
{
    m_finishedOutputFolder = m_window.folderText();
}

void MainForm::PushButton7_Click()
{
    Guard guard(m_window, identity::PushButton7_Click);
    QString initial;
    QString chosen;
    QString lastChosen;
    bool goOn = false;
    bool needsSeparator = false;
    guard.step(4, [&] { initial = ReadSetting(QStringLiteral("LastFolderDot"), QString()); });
    guard.step(5, [&] {
        chosen = BrowseForFolder(
            m_window, QCoreApplication::translate("Options", "Please select folder:"), initial);
    });
    guard.step(7, [&] { goOn = !chosen.isEmpty(); });
    if (!goOn)
        return;
    guard.step(9, [&] { lastChosen = chosen; });
    guard.step(10, [&] { WriteSetting(QStringLiteral("LastFolderDot"), lastChosen); });
    guard.step(11, [&] { needsSeparator = !chosen.endsWith(QLatin1Char('/')); });
    // Putting a text into Text1 runs its change handler; a folder picked
    // here is a finished choice.
    if (needsSeparator) {
        guard.step(13, [&] {
            m_window.setFolderText(chosen + QLatin1Char('/'));
            Text1_Change();
            Text1_EditingFinished();
        });
    } else {
        guard.step(16, [&] {
            m_window.setFolderText(chosen);
            Text1_Change();
            Text1_EditingFinished();
        });
    }
}

} // namespace plumark
