#include "TestForm.h"

#include "shell/widgets/ListView.h"

#include <QCursor>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QToolTip>
#include <QUrl>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

class ListInteraction : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form.form().Form_Load();
        form.form().cursorScreenY = [] { return 335; };
        form.show();
        QApplication::processEvents();
    }

    void fill(const QStringList& texts)
    {
        for (const QString& text : texts)
            form.list().append(text);
        QApplication::processEvents();
    }

    QWidget* viewport() { return form.listView()->viewport(); }
    QPoint rowCentre(int row)
    {
        return form.listView()->visualRect(form.list().index(row - 1)).center();
    }

    void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void hover(const char* name)
    {
        QWidget* target = control(name);
        mouse(target, QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, modifiers, text);
            QApplication::sendEvent(form.listView(), &event);
        }
    }
    void pressDelete() { press(Qt::Key_Delete, Qt::ShiftModifier); }
    // A double-click as the platform delivers it: press, release, double-click, release.
    void doubleClick(QPoint at, Qt::MouseButton button)
    {
        mouse(viewport(), QEvent::MouseButtonPress, at, button, button);
        mouse(viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
        mouse(viewport(), QEvent::MouseButtonDblClick, at, button, button);
        mouse(viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    QStringList numbered(int count)
    {
        QStringList texts;
        for (int i = 1; i <= count; ++i)
            texts.append(QStringLiteral("/%1.m4a").arg(i));
        return texts;
    }
};

} // namespace

TEST_F(ListInteraction, HandOverPushButtonsDefaultOverSurfacesNothingElsewhere)
{
    hover("PushButton1");
    EXPECT_EQ(form.mousePointer(), PointerHand);
    hover("Option1"); // option buttons have no pointer handler
    EXPECT_EQ(form.mousePointer(), PointerHand);
    hover("Frame2");
    EXPECT_EQ(form.mousePointer(), PointerDefault);
    hover("PushButton7");
    EXPECT_EQ(form.mousePointer(), PointerHand);
    hover("Text1");
    EXPECT_EQ(form.mousePointer(), PointerDefault);
    hover("PushButton1");
    hover("Surface"); // the window's own surface, between the controls
    EXPECT_EQ(form.mousePointer(), PointerDefault);
    hover("PushButton2");
    mouse(viewport(), QEvent::MouseMove, QPoint(3, 3), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form.mousePointer(), PointerDefault);

    form.setMousePointer(PointerBusy);
    for (const char* name : {"PushButton3", "Frame1", "Frame3", "Text1", "PushButton5"})
        hover(name);
    mouse(&form, QEvent::MouseMove, QPoint(530, 540), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form.mousePointer(), PointerBusy);
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
}

TEST_F(ListInteraction, DraggingARowWithTheMouseCarriesItsText)
{
    fill({QStringLiteral("/a.m4a"), QStringLiteral("/b.m4a"), QStringLiteral("/c.m4a"),
          QStringLiteral("/d.m4a")});
    mouse(viewport(), QEvent::MouseButtonPress, rowCentre(1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(form.form().buttonHeld);
    EXPECT_EQ(form.form().dragRow, 1);
    for (int row = 2; row <= 4; ++row)
        mouse(viewport(), QEvent::MouseMove, rowCentre(row), Qt::NoButton, Qt::LeftButton);
    mouse(viewport(), QEvent::MouseButtonRelease, rowCentre(4), Qt::LeftButton, Qt::NoButton);

    EXPECT_EQ(form.list().texts(),
              (QStringList{QStringLiteral("/b.m4a"), QStringLiteral("/c.m4a"),
                           QStringLiteral("/d.m4a"), QStringLiteral("/a.m4a")}));
    EXPECT_EQ(form.selectedRow(), 4);
    EXPECT_FALSE(form.form().buttonHeld);
    EXPECT_EQ(viewport()->cursor().shape(), Qt::ArrowCursor);
}

// Rows under one long folder differ only at their ends: each is shortened in
// its middle, so that rows stay apart on the screen, also while a row is
// dragged; a row's tooltip is its whole path, elsewhere the list's hint.
TEST_F(ListInteraction, LongRowsKeepTheirFileNamesInView)
{
    const QString folder = QStringLiteral(
        "/home/me/Music/A folder with a rather long name for testing the summary of failures/");
    QStringList rows;
    for (int i = 1; i <= 3; ++i)
        rows.append(folder + QStringLiteral("Recording number %1 (live).m4a").arg(i));
    fill(rows);
    ASSERT_GT(form.listView()->fontMetrics().horizontalAdvance(rows[0]),
              form.listView()->columnWidth(0));
    const auto looks = [this](int row) {
        const QRect at = form.listView()->visualRect(form.list().index(row - 1));
        return viewport()->grab(at).toImage();
    };
    EXPECT_NE(looks(1), looks(2));
    EXPECT_NE(looks(2), looks(3));

    mouse(viewport(), QEvent::MouseButtonPress, rowCentre(1), Qt::LeftButton, Qt::LeftButton);
    mouse(viewport(), QEvent::MouseMove, rowCentre(2), Qt::NoButton, Qt::LeftButton);
    ASSERT_EQ(form.list().text(2), rows[0]);
    // The dragged row is the chosen one; the two others stand apart.
    EXPECT_NE(looks(1), looks(3));
    mouse(viewport(), QEvent::MouseButtonRelease, rowCentre(2), Qt::LeftButton, Qt::NoButton);

    const auto tooltipAt = [this](QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, viewport()->mapToGlobal(at));
        QApplication::sendEvent(viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(tooltipAt(rowCentre(row)), form.list().text(row)) << row;
    EXPECT_EQ(tooltipAt(QPoint(20, viewport()->height() - 5)), form.listView()->toolTip());
}

TEST_F(ListInteraction, DropKeepsTheOrderOfFilesAndFolders)
{
    QTemporaryDir root;
    const QString first = root.filePath(QStringLiteral("first.m4a"));
    const QString folder = root.filePath(QStringLiteral("album"));
    const QString second = root.filePath(QStringLiteral("second.txt"));
    writeFile(first, "1");
    writeFile(folder + QStringLiteral("/track.m4a"), "2");
    writeFile(second, "3");

    QMimeData text;
    text.setText(QStringLiteral("not files"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData files;
    files.setUrls(
        {QUrl::fromLocalFile(first), QUrl::fromLocalFile(folder), QUrl::fromLocalFile(second)});
    QDragEnterEvent offered(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &offered);
    EXPECT_TRUE(offered.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &drop);

    EXPECT_EQ(form.list().texts(),
              (QStringList{first, folder + QStringLiteral("/track.m4a"), second}));
}

TEST_F(ListInteraction, RemovingAndClearingWaitWhileBusy)
{
    const QStringList rows{QStringLiteral("/a.m4a"), QStringLiteral("/b.m4a")};
    fill(rows);
    form.selectRow(1);
    form.setMousePointer(PointerBusy);
    pressDelete();
    mouse(viewport(), QEvent::MouseButtonDblClick, rowCentre(1), Qt::LeftButton, Qt::LeftButton);
    control<QPushButton>("PushButton4")->click();
    EXPECT_EQ(form.list().texts(), rows);

    form.setMousePointer(PointerDefault);
    form.selectRow(1);
    pressDelete();
    EXPECT_EQ(form.list().texts(), QStringList{QStringLiteral("/b.m4a")});
    control<QPushButton>("PushButton4")->click();
    EXPECT_EQ(form.list().count(), 0);
}

TEST_F(ListInteraction, UserClicksRunTheOptionHandlers)
{
    control<QRadioButton>("Option2")->click();
    EXPECT_TRUE(form.rateEnabled());
    EXPECT_EQ(ReadSetting(QStringLiteral("Option"), QString()), QStringLiteral("2"));
    control<QRadioButton>("Option4")->click();
    EXPECT_FALSE(form.folderFrameEnabled());
    EXPECT_EQ(ReadSetting(QStringLiteral("Option3"), QString()), QStringLiteral("False"));
    EXPECT_EQ(ReadSetting(QStringLiteral("Option4"), QString()), QStringLiteral("True"));

    form.setOption(4, false);
    EXPECT_FALSE(form.option(3));
    EXPECT_FALSE(form.option(4));
}

TEST_F(ListInteraction, OnlyTheDeleteKeyRemovesARow)
{
    const QStringList rows = numbered(3);
    fill(rows);
    QList<int> codes;
    QObject::connect(form.listView(), &ListView::keyDown,
                     [&](int code, int) { codes.append(code); });
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    } others[] = {
        {Qt::Key_Period, Qt::NoModifier, QStringLiteral(".")},
        {Qt::Key_Period, Qt::KeypadModifier, QStringLiteral(".")},
        {Qt::Key_Comma, Qt::KeypadModifier, QStringLiteral(",")},
        {Qt::Key_Greater, Qt::ShiftModifier, QStringLiteral(">")},
        {Qt::Key_A, Qt::NoModifier, QStringLiteral("a")},
        {Qt::Key_N, Qt::ShiftModifier, QStringLiteral("N")},
        {Qt::Key_1, Qt::NoModifier, QStringLiteral("1")},
        {Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5")},
        {Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+")},
        {Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")},
        {Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")},
        {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")},
        {Qt::Key_Escape, Qt::NoModifier, {}},
        {Qt::Key_Insert, Qt::KeypadModifier, {}},
        {Qt::Key_F5, Qt::NoModifier, {}},
        {Qt::Key_Down, Qt::NoModifier, {}},
    };
    for (const auto& key : others) {
        form.selectRow(2);
        press(key.key, key.modifiers, key.text);
        EXPECT_EQ(form.list().texts(), rows) << "key " << std::hex << key.key;
        ASSERT_FALSE(codes.isEmpty());
        EXPECT_NE(codes.last(), 46) << "key " << std::hex << key.key;
    }

    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier,
                                               Qt::ShiftModifier,
                                               Qt::ControlModifier,
                                               Qt::AltModifier,
                                               Qt::ShiftModifier | Qt::ControlModifier |
                                                   Qt::AltModifier,
                                               Qt::KeypadModifier};
    form.list().clear();
    fill(numbered(7));
    for (const Qt::KeyboardModifiers held : modifiers) {
        const int before = form.list().count();
        form.selectRow(1);
        press(Qt::Key_Delete, held);
        EXPECT_EQ(form.list().count(), before - 1) << held.toInt();
    }
    EXPECT_EQ(form.list().texts(), QStringList{QStringLiteral("/7.m4a")});
}

TEST_F(ListInteraction, OnlyTheLeftButtonClicksOrDoubleClicksARow)
{
    const QStringList rows = numbered(3);
    fill(rows);
    mouse(viewport(), QEvent::MouseButtonPress, rowCentre(1), Qt::LeftButton, Qt::LeftButton);
    mouse(viewport(), QEvent::MouseButtonRelease, rowCentre(1), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(form.form().dragRow, 1);

    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        form.selectRow(2);
        doubleClick(rowCentre(3), button);
        EXPECT_EQ(form.list().texts(), rows) << button;
        EXPECT_EQ(form.form().dragRow, 1) << button;
        EXPECT_FALSE(form.form().buttonHeld) << button;
    }
    form.selectRow(2);
    doubleClick(rowCentre(2), Qt::LeftButton);
    EXPECT_EQ(form.list().texts(), (QStringList{rows[0], rows[2]}));
}

TEST_F(ListInteraction, DroppedAddressesOfThisMachineAreLocal)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("my album %20"));
    const QString lone = root.filePath(QStringLiteral("lone #1.m4a"));
    writeFile(folder + QStringLiteral("/track.m4a"), "1");
    writeFile(lone, "2");
    const auto at = [](const QString& host, const QString& path) {
        QUrl url = QUrl::fromLocalFile(path);
        url.setHost(host);
        return url;
    };
    QMimeData files;
    files.setUrls({at(QStringLiteral("localhost"), folder), at(QStringLiteral("LocalHost"), lone),
                   at(QSysInfo::machineHostName(), lone),
                   at(QStringLiteral("fileserver"), QStringLiteral("/share/x.m4a"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &drop);

    EXPECT_EQ(form.list().texts(), (QStringList{folder + QStringLiteral("/track.m4a"), lone, lone,
                                                QStringLiteral("//fileserver/share/x.m4a")}));
}

TEST_F(ListInteraction, TheHeaderAndScrollBarsArePartOfTheList)
{
    fill(numbered(40));
    // The scroll bar appears once the list has laid out its rows.
    for (int i = 0; i < 20 && !form.listView()->verticalScrollBar()->isVisible(); ++i)
        QApplication::processEvents();
    QWidget* parts[] = {form.listView()->header()->viewport(), form.listView()->verticalScrollBar(),
                        form.listView()};
    for (QWidget* part : parts) {
        ASSERT_TRUE(part->isVisible()) << part->metaObject()->className();
        hover("PushButton1");
        ASSERT_EQ(form.mousePointer(), PointerHand);
        mouse(part, QEvent::MouseMove, QPoint(1, 1), Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(form.mousePointer(), PointerDefault) << part->metaObject()->className();
        EXPECT_NE(form.cursor().shape(), Qt::BitmapCursor);
    }
}

TEST_F(ListInteraction, DraggingScrollsOnlyAboveAndBelowTheMiddleBand)
{
    const struct
    {
        int screenY;
        bool scrolls;
    } cases[] = {{335, false}, {364, false}, {365, true}};
    for (const auto& c : cases) {
        form.list().clear();
        fill(numbered(40));
        form.listView()->verticalScrollBar()->setValue(0);
        form.form().cursorScreenY = [&c] { return c.screenY; };
        // The last row shown only in part.
        int partial = 1;
        while (form.listView()->visualRect(form.list().index(partial - 1)).bottom() <
               viewport()->height())
            ++partial;
        const QRect shown = form.listView()->visualRect(form.list().index(partial - 1));
        ASSERT_LT(shown.top(), viewport()->height() - 1);

        mouse(viewport(), QEvent::MouseButtonPress, rowCentre(partial - 1), Qt::LeftButton,
              Qt::LeftButton);
        mouse(viewport(), QEvent::MouseMove, QPoint(5, shown.top() + 1), Qt::NoButton,
              Qt::LeftButton);
        mouse(viewport(), QEvent::MouseButtonRelease, QPoint(5, shown.top() + 1), Qt::LeftButton,
              Qt::NoButton);

        EXPECT_EQ(form.selectedRow(), partial) << c.screenY;
        EXPECT_EQ(form.list().text(partial), QStringLiteral("/%1.m4a").arg(partial - 1));
        EXPECT_EQ(form.listView()->verticalScrollBar()->value() > 0, c.scrolls) << c.screenY;
    }
}
