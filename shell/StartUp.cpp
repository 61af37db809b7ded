#include "shell/StartUp.h"

#include "base/ErrorReport.h"
#include "engine/Paths.h"
#include "engine/ToolsOwner.h"
#include "samples/SampleFiles.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>

namespace plumark {

namespace {

constexpr int TitleLimit = 40;
constexpr int WebSiteDraw = 7;

const char* const RateEntries[] = {"320 kbps", "256 kbps", "224 kbps", "192 kbps", "160 kbps",
                                   "144 kbps", "128 kbps", "112 kbps", "96 kbps",  "80 kbps",
                                   "64 kbps",  "56 kbps",  "48 kbps",  "40 kbps",  "32 kbps",
                                   "24 kbps",  "16 kbps",  "8 kbps"};

// Selecting an option runs its click handler, as a user's click would;
// clearing one runs nothing.
void setOptionValue(MainForm& form, int n, bool selected)
{
    form.window().setOption(n, selected);
    if (!selected)
        return;
    switch (n) {
    case 1:
        form.Option1_Click();
        break;
    case 2:
        form.Option2_Click();
        break;
    case 3:
        form.Option3_Click();
        break;
    case 4:
        form.Option4_Click();
        break;
    }
}

} // namespace

void ApplySkin(MainForm& form)
{
    const QString skin = form.programFolder() + QStringLiteral("/x/o.cjs");
    const QFileInfo info(skin);
    if (!info.isFile() || info.isHidden())
        return;
    form.window().applySkin(skin);
}

QString appTitleFrom(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > TitleLimit);
    return title;
}

void SetAppTitle(Window& window)
{
    window.setApplicationTitle(appTitleFrom(QString::fromLatin1(ProductName)));
}

void OpenWebSiteSometimes(MainForm& form)
{
    const int n = static_cast<int>(form.randomSource() * 100) + 1;
    if (n == WebSiteDraw)
        form.window().openExternally(QString::fromLatin1(MakerWebSite));
}

QString outputFolderFor(const QString& desktop, const QString& home)
{
    // A new account has no desktop folder until a desktop session makes one.
    const QString folder = FolderExists(desktop) ? desktop : home;
    if (folder.isEmpty())
        throw Failure(QCoreApplication::translate(
            "Failure", "Invalid procedure call or argument: no desktop folder"));
    return CollapseBackslashes(folder + QLatin1Char('/'));
}

QString DefaultOutputFolder()
{
    return outputFolderFor(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
                           QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
}

void MainForm::Form_Load()
{
    // Tools folders of runs that a closed window cut short are removed first.
    RemoveEndedToolsFolders();
    Guard guard(m_window, identity::Form_Load);
    guard.step(4, [&] { ApplySkin(*this); });
    guard.step(6, [&] { m_window.setCaption(QString::fromLatin1(ProductName)); });
    guard.step(7, [&] { m_window.setProductIcon(); });
    guard.step(8, [&] { SetAppTitle(m_window); });
    const QString handPointer = programFolder() + QStringLiteral("/HAND-M.CUR");
    if (guard.test(10, [&] { return FileExists(handPointer); }))
        guard.step(12, [&] { m_window.loadHandPointer(handPointer); });
    guard.step(15, [&] { OpenWebSiteSometimes(*this); });

    const auto noSampleList = [] {
        return ReadSetting(QStringLiteral("SampleList"), QString()).isEmpty();
    };
    if (guard.test(17, noSampleList))
        guard.step(18, [&] { BuildSampleList(*this); });
    if (guard.test(49, noSampleList))
        guard.step(50, [&] { BuildSampleList(*this); });

    guard.step(
        53, [&] { m_window.addListColumn(QCoreApplication::translate("StartUp", "M4A File(s)")); });
    guard.step(55, [&] { m_window.setListColumnWidth(7000); });
    int line = 57;
    for (const char* entry : RateEntries) {
        guard.step(line, [&] { m_window.addRateEntry(QString::fromLatin1(entry)); });
        line += 2;
    }

    guard.step(93, [&] {
        m_window.setRateText(ReadSetting(QStringLiteral("kbps"), QStringLiteral("128 kbps")));
        Combo1_Change();
    });
    guard.step(95, [&] {
        const QString fallback = DefaultOutputFolder();
        m_window.setFolderText(ReadSetting(QStringLiteral("Output Folder"), fallback));
        Text1_Change();
    });
    if (guard.test(97, [] {
            return toInteger16(ReadSetting(QStringLiteral("Option"), QStringLiteral("1"))) == 1;
        }))
        guard.step(99, [&] { setOptionValue(*this, 1, true); });
    else
        guard.step(102, [&] { setOptionValue(*this, 2, true); });
    guard.step(105, [&] {
        setOptionValue(*this, 3,
                       toBoolean(ReadSetting(QStringLiteral("Option3"), QStringLiteral("1"))));
    });
    guard.step(107, [&] {
        setOptionValue(*this, 4,
                       toBoolean(ReadSetting(QStringLiteral("Option4"), QStringLiteral("0"))));
    });
    if (guard.test(109, [&] { return m_window.option(3); }))
        guard.step(111, [&] { m_window.setFolderFrameEnabled(true); });
    else
        guard.step(114, [&] { m_window.setFolderFrameEnabled(false); });
}

void MainForm::Form_Unload()
{
    // Settings are written as they change, so nothing is left to save; a
    // running converter is not waited for.
    std::quick_exit(0);
}

} // namespace plumark
