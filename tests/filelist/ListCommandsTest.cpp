#include "filelist/FileList.h"
#include "shell/MainForm.h"
#include "support/FakeWindow.h"

#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

enum class Gesture { DoubleClick, Key };

struct RemovalCase
{
    const char* name;
    int rows;
    int pointer;
    int selected;
    Gesture gesture;
    int keyCode;
    int shift;
    QStringList left;
    // Names the case in test listings.
    friend void PrintTo(const RemovalCase& c, std::ostream* os) { *os << c.name; }
};

class RemovalTest : public testing::TestWithParam<RemovalCase>
{
};

TEST_P(RemovalTest, RemovesOnlyTheSelectedRowWhenAllowed)
{
    const RemovalCase& c = GetParam();
    FakeWindow window;
    FileList list;
    MainForm form(window, list);
    for (int i = 1; i <= c.rows; ++i)
        AddPathToList(list, QStringLiteral("/music/%1.m4a").arg(i));
    window.pointer = c.pointer;
    window.selected = c.selected;

    if (c.gesture == Gesture::DoubleClick)
        form.ListView1_DblClick();
    else
        form.ListView1_KeyDown(c.keyCode, c.shift);

    EXPECT_EQ(list.texts(), c.left);
    EXPECT_TRUE(window.messages.isEmpty());
}

const QStringList firstAndThird{"/music/1.m4a", "/music/3.m4a"};
const QStringList allThree{"/music/1.m4a", "/music/2.m4a", "/music/3.m4a"};

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalTest,
    testing::Values(
        RemovalCase{"DoubleClick", 3, PointerDefault, 2, Gesture::DoubleClick, 0, 0, firstAndThird},
        RemovalCase{"Delete", 3, PointerDefault, 2, Gesture::Key, 46, 0, firstAndThird},
        RemovalCase{"ShiftDelete", 3, PointerDefault, 2, Gesture::Key, 46, 1, firstAndThird},
        RemovalCase{"CtrlAltDelete", 3, PointerDefault, 2, Gesture::Key, 46, 6, firstAndThird},
        RemovalCase{"UnderTheHandPointer", 3, PointerHand, 2, Gesture::Key, 46, 0, firstAndThird},
        RemovalCase{
            "LastRow", 3, PointerDefault, 3, Gesture::Key, 46, 0, {"/music/1.m4a", "/music/2.m4a"}},
        RemovalCase{"OtherKey", 3, PointerDefault, 2, Gesture::Key, 45, 0, allThree},
        RemovalCase{"BusyDoubleClick", 3, PointerBusy, 2, Gesture::DoubleClick, 0, 0, allThree},
        RemovalCase{"BusyDelete", 3, PointerBusy, 2, Gesture::Key, 46, 0, allThree},
        RemovalCase{"NoSelection", 3, PointerDefault, 0, Gesture::Key, 46, 0, allThree},
        RemovalCase{"SelectionPastTheEnd", 3, PointerDefault, 4, Gesture::DoubleClick, 0, 0,
                    allThree},
        RemovalCase{"EmptyList", 0, PointerDefault, 1, Gesture::Key, 46, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ClearCase
{
    const char* name;
    int pointer;
    int rowsLeft;
    // Names the case in test listings.
    friend void PrintTo(const ClearCase& c, std::ostream* os) { *os << c.name; }
};

class ClearTest : public testing::TestWithParam<ClearCase>
{
};

TEST_P(ClearTest, ClearsUnlessBusy)
{
    FakeWindow window;
    FileList list;
    MainForm form(window, list);
    for (const char* path : {"/a.m4a", "/b.m4a", "/a.m4a"})
        AddPathToList(list, QLatin1String(path));
    window.pointer = GetParam().pointer;

    form.PushButton4_Click();

    EXPECT_EQ(list.count(), GetParam().rowsLeft);
    EXPECT_TRUE(window.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ClearTest,
                         testing::Values(ClearCase{"Idle", PointerDefault, 0},
                                         ClearCase{"HandPointer", PointerHand, 0},
                                         ClearCase{"Busy", PointerBusy, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
