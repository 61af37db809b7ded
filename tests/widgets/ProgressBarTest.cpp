#include "shell/widgets/ProgressBar1.h"

#include <gtest/gtest.h>

using namespace plumark;

TEST(ProgressBar1, ReadsBackTheNearestWholeNumberHalvesToEven)
{
    const struct
    {
        double set;
        int read;
    } cases[] = {{12.5, 12}, {13.5, 14},  {12.4, 12}, {12.6, 13}, {0.5, 0},
                 {1.5, 2},   {99.5, 100}, {100, 100}, {0, 0}};
    ProgressBar1 bar;
    for (const auto& c : cases) {
        bar.setValue(c.set);
        EXPECT_EQ(bar.ProgressBar1::value(), c.read) << c.set;
        EXPECT_EQ(bar.QProgressBar::value(), c.read) << c.set;
    }
}
