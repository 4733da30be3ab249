// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Rounding.h"

#include <gtest/gtest.h>

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt64(7.25L * 10.0L), 72);
    EXPECT_EQ(RoundToInt64(7.75L * 10.0L), 78);
    EXPECT_EQ(RoundToInt64(0.5L), 0);
    EXPECT_EQ(RoundToInt64(1.5L), 2);
    EXPECT_EQ(RoundToInt64(-2.5L), -2);
    EXPECT_EQ(RoundToInt64(-3.5L), -4);
    EXPECT_EQ(RoundToInt64(2.5000001L), 3);
    EXPECT_EQ(RoundToInt64(-0.4L), 0);
}
