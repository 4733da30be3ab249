// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ThreadScheduling.h"

#include <gtest/gtest.h>

namespace {

const TThreadSchedule kStart{SCHED_OTHER, 0, 0};
const int kLevels[] = {-15, -2, -1, 1, 2, 15};

} // namespace

TEST(ThreadScheduling, WithoutAnyRightsEveryLevelKeepsTheStart) {
    // The default limits: a raised nice value or the idle class could never be left again.
    const TSchedulingLimits none{20, 0};
    for (int level : kLevels)
        EXPECT_EQ(ScheduleFor(level, kStart, none), kStart) << level;
}

TEST(ThreadScheduling, LowerLevelsOnlyWhereTheWayBackIsPermitted) {
    const TSchedulingLimits backToZero{0, 0}; // RLIMIT_NICE 20
    EXPECT_EQ(ScheduleFor(-15, kStart, backToZero), (TThreadSchedule{SCHED_IDLE, 0, 0}));
    EXPECT_EQ(ScheduleFor(-2, kStart, backToZero), (TThreadSchedule{SCHED_OTHER, 10, 0}));
    EXPECT_EQ(ScheduleFor(-1, kStart, backToZero), (TThreadSchedule{SCHED_OTHER, 5, 0}));
    EXPECT_EQ(ScheduleFor(2, kStart, backToZero), kStart);

    const TThreadSchedule niced{SCHED_OTHER, 15, 0};
    EXPECT_EQ(ScheduleFor(-2, niced, backToZero), (TThreadSchedule{SCHED_OTHER, 19, 0}));
    // Started in a real-time class that the limits would not give back.
    const TThreadSchedule realTime{SCHED_FIFO, 0, 5};
    EXPECT_EQ(ScheduleFor(-1, realTime, backToZero), realTime);
    EXPECT_EQ(ScheduleFor(-1, realTime, TSchedulingLimits{0, 5}),
              (TThreadSchedule{SCHED_OTHER, 5, 0}));
}

TEST(ThreadScheduling, HigherLevelsGoAsFarAsTheLimitsPermit) {
    const TSchedulingLimits someNice{-7, 0};
    EXPECT_EQ(ScheduleFor(1, kStart, someNice), (TThreadSchedule{SCHED_OTHER, -5, 0}));
    EXPECT_EQ(ScheduleFor(2, kStart, someNice), (TThreadSchedule{SCHED_OTHER, -7, 0}));
    EXPECT_EQ(ScheduleFor(15, kStart, someNice), (TThreadSchedule{SCHED_OTHER, -7, 0}));

    const TSchedulingLimits realTime{-20, 10};
    EXPECT_EQ(ScheduleFor(15, kStart, realTime), (TThreadSchedule{SCHED_OTHER, -20, 0}));
    EXPECT_EQ(ScheduleFor(2, kStart, realTime), (TThreadSchedule{SCHED_OTHER, -10, 0}));
    // Already above every ordinary thread: the higher levels leave it there.
    const TThreadSchedule started{SCHED_FIFO, 0, 5};
    EXPECT_EQ(ScheduleFor(15, started, realTime), started);
    EXPECT_EQ(ScheduleFor(0, started, realTime), started);
}
