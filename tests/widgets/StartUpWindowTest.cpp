#include "TestForm.h"
#include "support/ScopedEnvironment.h"

#include "filelist/FileList.h"
#include "samples/SampleFiles.h"
#include "shell/widgets/ListView.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

QStringList storedKeys()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrova"),
                    QString());
    store.beginGroup(QStringLiteral("Plumark"));
    QStringList keys = store.childKeys();
    keys.sort();
    return keys;
}

// The colour that most pixels of a control show.
QColor mostPainted(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(most))
            most = it.key();
    return QColor::fromRgb(most);
}

class StartUpWindow : public WindowTest
{
protected:
    // Puts a skin into the program folder: a copy of a file, or the text given.
    void installSkin(const QString& fileOrText)
    {
        const QString skin = programFolder.filePath(QStringLiteral("x/o.cjs"));
        QDir(programFolder.path()).mkpath(QStringLiteral("x"));
        if (QFile::exists(fileOrText))
            ASSERT_TRUE(QFile::copy(fileOrText, skin));
        else
            writeFile(skin, fileOrText.toUtf8());
    }
};

} // namespace

TEST_F(StartUpWindow, FirstStartShowsTheDefaultsAndStoresThem)
{
    QTemporaryDir home;
    ScopedEnvironment env;
    env.set("HOME", home.path().toUtf8());
    const QString desktopFolder = home.filePath(QStringLiteral("Desktop/"));
    QDir().mkpath(desktopFolder);
    form.form().Form_Load();

    EXPECT_TRUE(form.messages.isEmpty()) << form.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("Option2")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("Option3")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), QStringLiteral("128 kbps"));
    EXPECT_FALSE(control<QComboBox>("Combo1")->isEnabled());
    EXPECT_EQ(control<QLineEdit>("Text1")->text(), desktopFolder);
    EXPECT_TRUE(control("Frame3")->isEnabled());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Plumark"));
    EXPECT_EQ(form.applicationTitle(), QStringLiteral("Plumark"));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_TRUE(form.opened.isEmpty());

    EXPECT_EQ(storedKeys(), (QStringList{QStringLiteral("Option"), QStringLiteral("Option3"),
                                         QStringLiteral("Option4"), QStringLiteral("Output Folder"),
                                         QStringLiteral("SampleList"), QStringLiteral("kbps")}));
    EXPECT_EQ(ReadSetting(QStringLiteral("Output Folder"), QString()), desktopFolder);
    EXPECT_EQ(ReadSetting(QStringLiteral("Option"), QString()), QStringLiteral("1"));
    EXPECT_EQ(ReadSetting(QStringLiteral("kbps"), QString()), QStringLiteral("128 kbps"));
    EXPECT_EQ(UnscrambleText(ReadSetting(QStringLiteral("SampleList"), QString()),
                             QString::fromLatin1(SampleKey)),
              programFolder.path() + QStringLiteral("/Samples/Sample 1.m4a"));
}

TEST_F(StartUpWindow, RestoresEachStoredOptionState)
{
    struct Case
    {
        QString option, option3, option4;
        bool selected[5];
        bool comboEnabled, frame3Enabled;
        QString report;
    };
    const Case cases[] = {
        {QStringLiteral("2"), {}, {}, {false, false, true, true, false}, true, true, {}},
        {{},
         QStringLiteral("False"),
         QStringLiteral("True"),
         {false, true, false, false, true},
         false,
         false,
         {}},
        {{},
         QStringLiteral("False"),
         QStringLiteral("False"),
         {false, true, false, false, false},
         false,
         false,
         {}},
        {QStringLiteral("junk"),
         {},
         {},
         {false, true, false, true, false},
         false,
         true,
         QStringLiteral("in Plumark2021/08/31.Form1.Form_Load at line 97\r\r")},
    };
    for (const Case& c : cases) {
        QFile::remove(settingsFilePath());
        const std::pair<const char*, QString> stored[] = {
            {"Option", c.option}, {"Option3", c.option3}, {"Option4", c.option4}};
        for (const auto& [key, value] : stored) {
            if (!value.isNull())
                WriteSetting(QLatin1String(key), value);
        }
        TestForm window;
        window.form().setProgramFolder(programFolder.path());
        window.form().randomSource = [] { return 0.5; };
        window.form().Form_Load();

        const std::string label = (c.option + c.option3 + c.option4).toStdString();
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(window.option(n), c.selected[n]) << label << " Option" << n;
        EXPECT_EQ(window.rateEnabled(), c.comboEnabled) << label;
        EXPECT_EQ(window.folderFrameEnabled(), c.frame3Enabled) << label;
        if (c.report.isEmpty()) {
            EXPECT_TRUE(window.messages.isEmpty()) << label;
        } else {
            ASSERT_EQ(window.messages.size(), 1) << label;
            EXPECT_TRUE(window.messages.first().contains(c.report)) << label;
            EXPECT_EQ(window.titles.first(), QStringLiteral("Application Error"));
        }
    }
}

TEST_F(StartUpWindow, PlacesEveryControlAsDesigned)
{
    form.form().Form_Load();
    EXPECT_EQ(form.size(), QSize(536, 547));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    // The controls stand on a surface that fills the window where the window
    // fits its screen.
    QWidget* surface = control("Surface");
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->mapTo(&form, QPoint(0, 0)), QPoint(0, 0));
    EXPECT_EQ(surface->size(), form.size());

    struct Case
    {
        const char* name;
        const char* parent;
        QRect geometry;
    };
    const Case cases[] = {
        {"ListView1", "Surface", QRect(8, 8, 520, 169)},
        {"PushButton1", "Surface", QRect(8, 183, 256, 27)},
        {"PushButton5", "Surface", QRect(272, 217, 256, 27)},
        {"Frame2", "Surface", QRect(8, 247, 520, 99)},
        {"Combo1", "Frame2", QRect(32, 64, 456, 23)},
        {"Frame3", "Frame1", QRect(32, 34, 456, 54)},
        {"Text1", "Frame3", QRect(16, 20, 378, 23)},
        {"PushButton7", "Frame3", QRect(400, 20, 40, 23)},
        {"Option4", "Frame1", QRect(16, 94, 241, 17)},
        {"ProgressBar1", "Surface", QRect(8, 513, 520, 27)},
    };
    for (const Case& c : cases) {
        QWidget* widget = control(c.name);
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
        EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(c.parent)) << c.name;
    }

    EXPECT_EQ(form.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(form.font().pointSizeF(), 9.0);
    EXPECT_TRUE(form.font().bold());
    EXPECT_EQ(control("PushButton2")->font().pointSizeF(), 11.25);
    EXPECT_EQ(control<QPushButton>("PushButton2")->text(), QStringLiteral("Start Converting"));
    EXPECT_EQ(control<QGroupBox>("Frame1")->title(), QStringLiteral("Save Option"));
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->text(), QStringLiteral("Progress Bar"));

    auto* list = control<QTreeView>("ListView1");
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("M4A File(s)"));
    EXPECT_EQ(list->columnWidth(0), 467);
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_TRUE(list->toolTip().startsWith(QStringLiteral("Drag and drop files here.")));
    EXPECT_EQ(control<QComboBox>("Combo1")->count(), 18);
}

TEST_F(StartUpWindow, TheSkinGivesFramesAndOptionsTheButtonFace)
{
    // The colours as painted: what most pixels of each control show, and the
    // window's surface between two push buttons.
    const auto painted = [](TestForm& window) {
        window.show();
        QApplication::processEvents();
        QStringList colours;
        for (const char* name :
             {"Frame1", "Frame2", "Frame3", "Option1", "Option2", "Option3", "Option4"})
            colours.append(mostPainted(window.findChild<QWidget*>(QLatin1String(name))).name());
        colours.append(window.grab().toImage().pixelColor(268, 195).name());
        return colours;
    };
    form.form().Form_Load();
    EXPECT_EQ(painted(form), QStringList(8, QColor(Qt::white).name()));
    EXPECT_TRUE(form.styleSheet().isEmpty());

    installSkin(QStringLiteral(PLUMARK_SOURCE_DIR "/assets/program/x/o.cjs"));
    TestForm skinned;
    skinned.form().setProgramFolder(programFolder.path());
    skinned.form().randomSource = [] { return 0.0; };
    skinned.form().Form_Load();
    EXPECT_TRUE(skinned.messages.isEmpty());
    EXPECT_EQ(painted(skinned),
              QStringList(8, QApplication::palette().color(QPalette::Button).name()));
    EXPECT_TRUE(skinned.styleSheet().contains(QStringLiteral("QPushButton")));
}

TEST_F(StartUpWindow, EveryEntryOfTheOpenRateListIsLegible)
{
    // An entry is legible when enough of its pixels stand out from its
    // ground: a tenth of the full brightness range at least.
    const auto legible = [](const QImage& entry) {
        const QColor ground = entry.pixelColor(2, entry.height() / 2);
        int marked = 0;
        for (int y = 0; y < entry.height(); ++y)
            for (int x = 0; x < entry.width(); ++x)
                marked += std::abs(qGray(entry.pixel(x, y)) - qGray(ground.rgb())) > 100;
        return marked >= 30;
    };
    for (const bool skin : {false, true}) {
        if (skin)
            installSkin(QStringLiteral(PLUMARK_SOURCE_DIR "/assets/program/x/o.cjs"));
        TestForm window;
        window.form().setProgramFolder(programFolder.path());
        window.form().randomSource = [] { return 0.0; };
        window.form().Form_Load();
        window.show();
        window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
        auto* combo = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        // The entry under the pointer, besides the chosen one.
        list->setCurrentIndex(list->model()->index(7, 0));
        QApplication::processEvents();
        const QImage shown = list->viewport()->grab().toImage();
        for (int row = 0; row < combo->count(); ++row) {
            const QRect entry =
                list->visualRect(list->model()->index(row, 0)).intersected(shown.rect());
            EXPECT_TRUE(legible(shown.copy(entry)))
                << (skin ? "skin, " : "no skin, ") << combo->itemText(row).toStdString();
        }
        combo->hidePopup();
        // Qt 6.4 crashes when the window goes while the list still has the focus.
        list->clearFocus();
    }
}

TEST_F(StartUpWindow, ASkinThatCannotBeParsedIsReported)
{
    installSkin(QStringLiteral("QPushButton { color: red; "));
    form.form().Form_Load();
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_TRUE(form.messages.first().contains(
        QStringLiteral("in Plumark2021/08/31.Form1.Form_Load at line 4\r\r")));
    EXPECT_TRUE(form.styleSheet().isEmpty());
    // The start-up went on after the report.
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Plumark"));
    EXPECT_EQ(control<QComboBox>("Combo1")->count(), 18);
}

TEST_F(StartUpWindow, AStoredRateTheBoxRefusesLeavesItEmpty)
{
    QTemporaryDir work;
    const QString input = work.filePath(QStringLiteral("in.m4a"));
    makeM4a(input, 0.5, 96);
    WriteSetting(QStringLiteral("kbps"), QStringLiteral("kbps"));
    WriteSetting(QStringLiteral("Option"), QStringLiteral("2"));
    form.form().Form_Load();
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_TRUE(form.messages.first().contains(
        QStringLiteral("in Plumark2021/08/31.Form1.Form_Load at line 93\r\r")));
    auto* combo = control<QComboBox>("Combo1");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->currentText(), QString());
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_EQ(ReadSetting(QStringLiteral("kbps"), QString()), QStringLiteral("kbps"));

    // A constant-rate run has no rate to give: the file is not converted at
    // some rate the user never chose.
    form.list().append(input);
    form.setFolderText(work.path() + QLatin1Char('/'));
    control<QPushButton>("PushButton2")->click();
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("in.ac3"))));
    ASSERT_EQ(form.messages.size(), 2);
    EXPECT_TRUE(form.messages.last().startsWith(QStringLiteral("Done.")));
    EXPECT_TRUE(form.messages.last().contains(input));
}

TEST_F(StartUpWindow, ReadsThePointersShippedWithTheProgram)
{
    const QString assets = QStringLiteral(PLUMARK_SOURCE_DIR "/assets/program/");
    QFile::copy(assets + QStringLiteral("HAND-M.CUR"),
                programFolder.filePath(QStringLiteral("HAND-M.CUR")));
    form.form().Form_Load();
    EXPECT_TRUE(form.messages.isEmpty());
    form.setMousePointer(PointerHand);
    EXPECT_EQ(form.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form.cursor().hotSpot(), QPoint(11, 1));
    form.setMousePointer(PointerBusy);
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);

    form.setListPointer(ListPointerCustom, assets + QStringLiteral("drag.ico"));
    EXPECT_EQ(form.listView()->viewport()->cursor().shape(), Qt::BitmapCursor);
    form.setListPointer(ListPointerCustom, programFolder.filePath(QStringLiteral("none.ico")));
    EXPECT_EQ(form.listView()->viewport()->cursor().shape(), Qt::ArrowCursor);
}
