#include "shell/MainForm.h"
#include "support/FakeWindow.h"

#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

// Rows are 20 units high from y = 0; a move to row r goes to y = 20r - 10.
class RowDrag : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.hitTest = [this](int, int y) {
            const int row = y / 20 + 1;
            return y >= 0 && row <= list.count() ? row : 0;
        };
        form.cursorScreenY = [this] { return screenY; };
        form.setProgramFolder(QStringLiteral("/opt/plumark"));
    }

    void fill(const QStringList& texts)
    {
        for (const QString& text : texts)
            list.append(text);
    }

    void press(int row)
    {
        window.selected = row;
        form.ListView1_ItemClick(row);
        form.ListView1_MouseDown(1, 0, 5, 20 * row - 10);
    }
    void moveTo(int row) { form.ListView1_MouseMove(1, 0, 5, 20 * row - 10); }
    void release() { form.ListView1_MouseUp(1, 0, 5, 0); }

    FakeWindow window;
    FileList list;
    MainForm form{window, list};
    int screenY = 330;
};

} // namespace

TEST_F(RowDrag, CarriesTheFirstOfFourRowsToTheEnd)
{
    fill({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    press(1);
    EXPECT_EQ(window.listPointer, ListPointerCustom);
    EXPECT_EQ(window.listPointerIcon, QStringLiteral("/opt/plumark/drag.ico"));
    moveTo(2);
    moveTo(3);
    moveTo(4);
    release();
    EXPECT_EQ(list.texts(), (QStringList{QStringLiteral("b"), QStringLiteral("c"),
                                         QStringLiteral("d"), QStringLiteral("a")}));
    EXPECT_EQ(window.selected, 4);
    EXPECT_EQ(form.dragRow, 4);
    EXPECT_EQ(form.hoverRow, 0);
    EXPECT_FALSE(form.buttonHeld);
    EXPECT_EQ(window.listPointer, ListPointerArrow);
    EXPECT_TRUE(window.madeVisible.isEmpty());
}

TEST_F(RowDrag, AJumpExchangesOnlyTheTwoRowsAtItsEnds)
{
    fill({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
          QStringLiteral("5")});
    press(2);
    moveTo(5);
    EXPECT_EQ(list.texts(),
              (QStringList{QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("3"),
                           QStringLiteral("4"), QStringLiteral("2")}));
    EXPECT_EQ(window.selected, 5);
}

TEST_F(RowDrag, ChangesNothingWithoutAButtonOrOverAnEqualTextOrNoRow)
{
    fill({QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("other")});
    moveTo(3); // no button held
    press(1);
    moveTo(2); // equal text
    moveTo(9); // below the last row
    release();
    moveTo(3); // released
    EXPECT_EQ(list.texts(), (QStringList{QStringLiteral("same"), QStringLiteral("same"),
                                         QStringLiteral("other")}));
    EXPECT_EQ(window.selected, 1);
}

TEST_F(RowDrag, ARowRemovedSinceItsClickCarriesNothing)
{
    fill({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    press(3);
    list.remove(3);
    moveTo(1);
    EXPECT_EQ(list.texts(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(RowDrag, ScrollsOneRowNearTheTopAndBottomOfTheScreen)
{
    struct Case
    {
        int screenY;
        int from;
        int to;
        QList<int> madeVisible;
    };
    const Case cases[] = {
        {304, 3, 2, {1}}, {304, 2, 1, {}}, {305, 2, 3, {}}, {364, 2, 3, {}},
        {365, 2, 3, {4}}, {365, 3, 4, {}}, {0, 4, 3, {2}},
    };
    for (const Case& c : cases) {
        list.clear();
        fill({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        window.madeVisible.clear();
        screenY = c.screenY;
        press(c.from);
        moveTo(c.to);
        release();
        EXPECT_EQ(window.madeVisible, c.madeVisible) << c.screenY << " " << c.from;
    }
}

TEST(Hover, HandOverButtonsArrowElsewhereBusyPointerKept)
{
    FakeWindow window;
    FileList list;
    MainForm form(window, list);
    form.PushButton_MouseMove();
    EXPECT_EQ(window.pointer, PointerHand);
    form.Surface_MouseMove();
    EXPECT_EQ(window.pointer, PointerDefault);
    form.PushButton_MouseMove();
    form.ListView1_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(window.pointer, PointerDefault);

    window.pointer = PointerBusy;
    form.PushButton_MouseMove();
    form.Surface_MouseMove();
    form.ListView1_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(window.pointer, PointerBusy);
}
