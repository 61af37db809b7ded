#include "TestForm.h"

#include "shell/widgets/ListView.h"

#include <QCursor>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
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
    void pressDelete()
    {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier);
        QApplication::sendEvent(form.listView(), &event);
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
