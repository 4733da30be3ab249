// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Relative thread priorities and timer resolution on Linux, for one kernel thread.
//
// A relative priority (-15 idle, -2, -1, 0 normal, +1, +2, +15 time-critical) becomes a
// scheduling class and a nice value, measured from the schedule the thread started with:
//   below 0: nice +5 (-1), nice +10 (-2), the idle class (-15);
//   above 0: nice -5 (+1), nice -10 (+2), the lowest nice value, -20 (+15).
// An unprivileged thread may raise its nice value or enter the idle class, but not come back
// unless its limits allow it; so the lower levels are used only where the way back to the
// starting schedule is permitted, otherwise the thread stays where it started. The higher
// levels go as far as the limits permit. The time-critical level stays in the ordinary class on
// purpose: a timer worker hands every firing to the GUI thread and waits for it, and from a
// real-time class that round trip was measured to take about four times as long, while nice
// -20 already lets the worker run first when it wakes.

#include <sched.h>

struct TThreadSchedule {
    int Policy = SCHED_OTHER; // SCHED_OTHER, SCHED_IDLE, SCHED_BATCH, SCHED_FIFO or SCHED_RR
    int Nice = 0;
    int RealTimePriority = 0; // 1..99 in the real-time classes, else 0
    bool operator==(const TThreadSchedule&) const = default;
};

// What the kernel lets this process's threads choose.
struct TSchedulingLimits {
    int LowestNice = 20;         // the lowest nice value a thread may set; 20: none below its own
    int RealTimePriorityMax = 0; // 0: the real-time classes are refused
};

TSchedulingLimits CurrentSchedulingLimits();

// The schedule for a relative priority, from the thread's starting schedule, within the limits.
TThreadSchedule ScheduleFor(int relativePriority, const TThreadSchedule& start,
                            const TSchedulingLimits& limits);

// The calling thread's kernel id.
int CurrentThreadId();

TThreadSchedule ReadThreadSchedule(int threadId);

// Gives a thread the schedule for a relative priority. When the kernel refuses it, the next
// lower choice is tried, down to the starting schedule. Returns what the thread runs with.
TThreadSchedule SetThreadRelativePriority(int threadId, int relativePriority,
                                          const TThreadSchedule& start);

// Gives a thread that must never wait for the processor (one that feeds a sound output) the
// lowest real-time priority where the limits allow it, else the lowest nice value permitted.
// Returns what the thread runs with.
TThreadSchedule UseRealTimeSchedule(int threadId);

// Asks the kernel for the finest timer slack it grants the calling thread, so its timed waits
// end as close to their deadline as the scheduler allows. Returns the slack in force, in ns.
unsigned long UseFinestTimerSlack();
