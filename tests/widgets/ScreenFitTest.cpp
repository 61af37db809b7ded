#include "shell/widgets/ScreenFit.h"
#include "TestForm.h"
#include "shell/MainForm.h"

#include <QKeyEvent>
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

// How a message box stood once shown and laid out, as a user would meet it.
struct ShownBox
{
    QRect frame;
    QRect okButton;
    QString label;
    bool scrolls = false;
    bool resizable = false;
    // The text's visible area, and whether each of its lines fits its width.
    QSize textArea;
    bool linesFit = false;
    int lineHeight = 0;
    int widestLine = 0;
};

class MessageFit : public ::testing::Test
{
protected:
    ShownBox show(const QString& text)
    {
        ShownBox shown;
        whenDialogShows([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_TRUE(box);
            // Qt's box lays itself out again once shown: measure after that.
            for (int i = 0; i < 5; ++i)
                QApplication::processEvents();
            shown.frame = box->frameGeometry();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            shown.okButton = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            shown.label = label->text();
            shown.lineHeight = label->fontMetrics().lineSpacing();
            for (const QString& line : label->text().split(QLatin1Char('\n')))
                shown.widestLine =
                    std::max(shown.widestLine, label->fontMetrics().horizontalAdvance(line));
            auto* scroll = box->findChild<QScrollArea*>();
            shown.scrolls = scroll && scroll->verticalScrollBar()->maximum() > 0;
            shown.resizable = box->minimumSize() != box->maximumSize();
            const QWidget* area = scroll ? scroll->viewport() : label;
            shown.textArea = area->size();
            shown.linesFit = label->width() <= area->width() &&
                             (label->wordWrap() || label->sizeHint().width() <= label->width());
            ok->click();
        });
        window.message(text);
        return shown;
    }

    Form1 window;
};

QList<NotConverted> failures(int count, const QString& folder, const QString& name)
{
    QList<NotConverted> list;
    for (int i = 1; i <= count; ++i) {
        const QString path = folder + name.arg(i, 2, 10, QLatin1Char('0'));
        list.append({path, path + QStringLiteral(": Invalid data found when processing input")});
    }
    return list;
}

} // namespace

// The closing message after many failures opens at a size a user can read,
// on the screen's available area, its OK button in view, its whole text there
// to scroll through; a short message does not scroll.
TEST_F(MessageFit, TheClosingMessageOpensReadableOnTheScreen)
{
    const QString longFolder = QStringLiteral(
        "/home/me/Music/A folder with a rather long name for testing the summary of failures/");
    const QString longName = QStringLiteral(
        "A very long recording name recorded live somewhere in the park number %1 (live, "
        "remastered).m4a");
    const struct
    {
        const char* name;
        QList<NotConverted> failed;
    } cases[] = {
        {"ManyLongNames", failures(26, longFolder, longName)},
        {"TwelveLongNames", failures(12, longFolder, longName)},
        {"ManyShortNames", failures(25, QStringLiteral("/m/"), QStringLiteral("%1.m4a"))},
        {"ThreeLongNames", failures(3, longFolder, longName)},
        {"NoFailure", {}},
    };
    window.show();
    const QRect room = window.screen()->availableGeometry();
    for (const auto& c : cases) {
        const QString text = doneMessage(c.failed);
        const ShownBox shown = show(text);
        EXPECT_TRUE(room.contains(shown.frame)) << c.name << " " << shown.frame.height();
        EXPECT_TRUE(shown.frame.contains(shown.okButton)) << c.name;
        EXPECT_EQ(shown.label, QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')))
            << c.name;
        EXPECT_TRUE(shown.linesFit) << c.name;
        // Readable: a dozen lines of text at least, or the whole text, as wide
        // as its widest line or a third of the screen.
        const int lines = int(shown.label.count(QLatin1Char('\n'))) + 1;
        EXPECT_GE(shown.textArea.height(), std::min(lines, 12) * shown.lineHeight) << c.name;
        if (!c.failed.isEmpty()) {
            EXPECT_GE(shown.textArea.width(), std::min(room.width() / 3, shown.widestLine))
                << c.name;
        }
        // The one whose text does not fit scrolls, and may be resized.
        EXPECT_EQ(shown.scrolls, shown.resizable) << c.name;
        for (const NotConverted& file : c.failed)
            EXPECT_EQ(shown.label.count(file.path), 1) << c.name;
    }
}

// Where the screen's available area holds the window it keeps its designed
// size; where it does not (a large scale on a small screen), the window fits
// the area and its surface scrolls, so that a keyboard user reaches every
// control, down to the progress bar.
TEST(WindowFit, TheWindowFitsTheScreenAndEveryControlCanBeReached)
{
    Form1 window;
    window.centreOnScreen();
    window.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QRect room = window.screen()->availableGeometry();
    const QSize designed(536, 547);
    EXPECT_TRUE(room.contains(window.frameGeometry()))
        << window.frameGeometry().height() << " in " << room.height();
    const bool fits = designed.height() + 40 <= room.height() && designed.width() <= room.width();
    if (fits) {
        EXPECT_EQ(window.size(), designed);
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
    } else {
        EXPECT_LT(window.minimumSize().height(), window.maximumSize().height());
    }
    auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("SurfaceScroll"));
    ASSERT_NE(scroll, nullptr);
    const QRect seen = scroll->viewport()->rect();
    const auto inView = [&](const char* name) {
        auto* control = window.findChild<QWidget*>(QLatin1String(name));
        const QRect at(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
        return seen.contains(at);
    };
    window.activateWindow();
    window.findChild<QWidget*>(QStringLiteral("ListView1"))->setFocus();
    const char* visited[] = {"PushButton1", "PushButton3", "PushButton4", "PushButton5",
                             "Option1",     "Combo1",      "Option3",     "Text1",
                             "PushButton7", "PushButton2"};
    for (const char* name : visited) {
        // Tab until the control has the focus, as a keyboard user moves.
        for (int presses = 0; presses < 20; ++presses) {
            if (QApplication::focusWidget() &&
                QApplication::focusWidget()->objectName() == QLatin1String(name))
                break;
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &tab);
            QApplication::processEvents();
        }
        ASSERT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(name));
        EXPECT_TRUE(inView(name)) << name;
    }
    // The progress bar takes no focus: the surface scrolls to its end.
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    EXPECT_TRUE(inView("ProgressBar1"));
    if (fits) {
        EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0);
    }
}
