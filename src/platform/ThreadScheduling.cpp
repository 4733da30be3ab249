// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ThreadScheduling.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kLowestNice = -20;
constexpr int kHighestNice = 19;

bool IsRealTime(int policy) {
    return policy == SCHED_FIFO || policy == SCHED_RR;
}

TThreadSchedule Ordinary(int nice) {
    return {SCHED_OTHER, nice, 0};
}

bool HasSysNiceCapability() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return ((data[CAP_SYS_NICE / 32].effective >> (CAP_SYS_NICE % 32)) & 1u) != 0;
}

bool Apply(int threadId, const TThreadSchedule& schedule) {
    const auto setPolicy = [&] {
        sched_param param{};
        param.sched_priority = schedule.RealTimePriority;
        return sched_setscheduler(threadId, schedule.Policy, &param) == 0;
    };
    const auto setNice = [&] {
        return setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), schedule.Nice) == 0;
    };
    // Into an ordinary class first, so the nice value is judged there; into the idle or a
    // real-time class last, with the nice value already back at the one to return to.
    const bool ordinary = schedule.Policy == SCHED_OTHER || schedule.Policy == SCHED_BATCH;
    return ordinary ? setPolicy() && setNice() : setNice() && setPolicy();
}

} // namespace

TSchedulingLimits CurrentSchedulingLimits() {
    const int realTimeMax = sched_get_priority_max(SCHED_FIFO);
    if (HasSysNiceCapability()) return {kLowestNice, realTimeMax};
    TSchedulingLimits limits;
    // RLIMIT_NICE r allows nice values down to 20 - r.
    rlimit nice{};
    if (getrlimit(RLIMIT_NICE, &nice) == 0) {
        const auto r = static_cast<int>(std::min<rlim_t>(nice.rlim_cur, 40));
        limits.LowestNice = std::max(20 - r, kLowestNice);
    }
    rlimit realTime{};
    if (getrlimit(RLIMIT_RTPRIO, &realTime) == 0) {
        limits.RealTimePriorityMax = static_cast<int>(
            std::min<rlim_t>(realTime.rlim_cur, static_cast<rlim_t>(std::max(realTimeMax, 0))));
    }
    return limits;
}

TThreadSchedule ScheduleFor(int relativePriority, const TThreadSchedule& start,
                            const TSchedulingLimits& limits) {
    if (relativePriority == 0) return start;
    if (relativePriority < 0) {
        const bool mayReturn =
            limits.LowestNice <= start.Nice &&
            (!IsRealTime(start.Policy) || limits.RealTimePriorityMax >= start.RealTimePriority);
        if (!mayReturn) return start;
        if (relativePriority <= -15) return {SCHED_IDLE, start.Nice, 0};
        return Ordinary(std::min(start.Nice + (relativePriority <= -2 ? 10 : 5), kHighestNice));
    }
    if (IsRealTime(start.Policy)) return start; // already above every ordinary thread
    const int wanted =
        relativePriority >= 15 ? kLowestNice : start.Nice - (relativePriority >= 2 ? 10 : 5);
    const int nice = std::max(wanted, std::max(limits.LowestNice, kLowestNice));
    return nice < start.Nice ? Ordinary(nice) : start;
}

int CurrentThreadId() {
    return gettid();
}

TThreadSchedule ReadThreadSchedule(int threadId) {
    TThreadSchedule schedule;
    const int policy = sched_getscheduler(threadId);
    if (policy >= 0) schedule.Policy = policy & ~SCHED_RESET_ON_FORK;
    errno = 0;
    const int nice =
        getpriority(PRIO_PROCESS, static_cast<id_t>(threadId)); // -1 is a valid nice value
    if (errno == 0) schedule.Nice = nice;
    sched_param param{};
    if (sched_getparam(threadId, &param) == 0) schedule.RealTimePriority = param.sched_priority;
    return schedule;
}

TThreadSchedule SetThreadRelativePriority(int threadId, int relativePriority,
                                          const TThreadSchedule& start) {
    const TSchedulingLimits limits = CurrentSchedulingLimits();
    // The kernel may still refuse what the limits promise (a real-time class without
    // run time in its control group): then the highest nice level, then the start.
    const TThreadSchedule choices[] = {ScheduleFor(relativePriority, start, limits),
                                       ScheduleFor(std::min(relativePriority, 2), start, limits),
                                       start};
    for (const TThreadSchedule& choice : choices) {
        if (Apply(threadId, choice)) break;
    }
    return ReadThreadSchedule(threadId);
}

TThreadSchedule UseRealTimeSchedule(int threadId) {
    const TThreadSchedule start = ReadThreadSchedule(threadId);
    if (IsRealTime(start.Policy)) return start;
    const TSchedulingLimits limits = CurrentSchedulingLimits();
    if (limits.RealTimePriorityMax >= 1 && Apply(threadId, {SCHED_FIFO, start.Nice, 1})) {
        return ReadThreadSchedule(threadId);
    }
    return SetThreadRelativePriority(threadId, 15, start);
}

unsigned long UseFinestTimerSlack() {
    // 0 would restore the default slack; 1 ns is the finest.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const int slack = prctl(PR_GET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL);
    return slack < 0 ? 0 : static_cast<unsigned long>(slack);
}
