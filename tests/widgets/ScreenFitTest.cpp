#include "shell/widgets/ScreenFit.h"
#include "TestForm.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

// A frame is centred in the room; one too big for it keeps its left and top
// edges, and so its title bar, inside the room.
TEST(ScreenFit, AFrameStandsCentredAndKeepsItsTitleBarInTheRoom)
{
    struct Case
    {
        QRect room;
        QSize frame;
        QPoint at;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {536, 577}, {692, 251}},
        // the window at a scale of 2 on a 1280 x 1024 screen
        {{0, 0, 640, 512}, {536, 577}, {52, 0}},
        // a panel at the top, a second screen to the right
        {{0, 32, 1024, 736}, {536, 800}, {244, 32}},
        {{1920, 0, 400, 300}, {536, 577}, {1920, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(framePositionWithin(c.room, c.frame), c.at) << c.room.x() << "," << c.room.y();
}

// On the real screen: the window is centred, and a window taller than the
// screen is placed with its top edge on it.
TEST(ScreenFit, WindowsArePlacedOnTheScreensAvailableArea)
{
    Form1 window;
    window.centreOnScreen();
    window.show();
    const QRect room = window.screen()->availableGeometry();
    EXPECT_TRUE(room.contains(window.frameGeometry()));
    // Before it is shown, the frame's width is not known yet.
    EXPECT_LE(std::abs(window.frameGeometry().center().x() - room.center().x()), 4);

    QWidget tall;
    tall.setFixedSize(room.width() / 2, room.height() + 200);
    centreOnScreen(&tall);
    tall.show();
    EXPECT_GE(tall.frameGeometry().top(), room.top());
    EXPECT_GE(tall.frameGeometry().left(), room.left());
}

namespace {

class MessageFit : public ::testing::Test
{
protected:
    // Shows text as a message of the window and records how the box stood.
    void show(const QString& text)
    {
        whenDialogShows([&](QWidget* shown) {
            auto* box = qobject_cast<QMessageBox*>(shown);
            ASSERT_TRUE(box);
            frame = box->frameGeometry();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            okButton = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
            label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            auto* scroll = box->findChild<QScrollArea*>();
            scrolls = scroll && scroll->verticalScrollBar()->maximum() > 0;
            ok->click();
        });
        window.message(text);
    }

    Form1 window;
    QRect frame;
    QRect okButton;
    QString label;
    bool scrolls = false;
};

} // namespace

// The closing message naming many long paths fits the screen, its OK button in
// view and its whole text scrolling; a short message does not scroll.
TEST_F(MessageFit, ALongMessageFitsTheScreenAndScrolls)
{
    window.show();
    const QRect room = window.screen()->availableGeometry();
    QString text = QStringLiteral("Done.\r\r25 files could not be converted:\r");
    QString shown = QStringLiteral("Done.\n\n25 files could not be converted:\n");
    for (int i = 0; i < 20; ++i) {
        const QString path =
            QStringLiteral("/home/user/Music/A rather long album folder name/%1 - ").arg(i) +
            QStringLiteral("A long song title that goes on ").repeated(3) + QStringLiteral(".m4a");
        text += QStringLiteral("\r%1\r    The file does not exist.").arg(path);
        shown += QStringLiteral("\n%1\n    The file does not exist.").arg(path);
    }
    text += QStringLiteral("\r(and 5 more)");
    shown += QStringLiteral("\n(and 5 more)");

    show(text);
    EXPECT_TRUE(room.contains(frame)) << frame.height() << " in " << room.height();
    EXPECT_TRUE(frame.contains(okButton));
    EXPECT_EQ(label, shown);
    EXPECT_TRUE(scrolls);

    show(QStringLiteral("Done."));
    EXPECT_TRUE(room.contains(frame));
    EXPECT_EQ(label, QStringLiteral("Done."));
    EXPECT_FALSE(scrolls);
}
