// SPDX-License-Identifier: GPL-3.0-or-later
// The real sound engine played through SDL's pulseaudio driver into a private PulseAudio
// server, recorded from the null sink's monitor.

#include "PrivatePulseAudio.h"
#include "audio/FrameClock.h"
#include "audio/SoundDevice.h"
#include "common/BalanceSweep.h"
#include "common/LoopingSound.h"
#include "common/PanSteps.h"
#include "platform/ThreadScheduling.h"
#include "timing/ThdTimer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

PrivatePulseAudio* g_server = nullptr;

class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        server_ = std::make_unique<PrivatePulseAudio>();
        started_ = server_->Start();
        g_server = server_.get();
    }
    void TearDown() override {
        g_server = nullptr;
        server_.reset();
    }
    static bool started_;

private:
    std::unique_ptr<PrivatePulseAudio> server_;
};
bool ServerEnvironment::started_ = false;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

class SoundServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ServerEnvironment::started_) << g_server->Error();
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        ASSERT_STREQ(device->OutputName(), "sdl") << "SDL did not reach the test's server";
    }

    std::shared_ptr<IDirectSoundBuffer> Play(uint32_t rate, const std::vector<int16_t>& samples,
                                             int32_t pan) {
        auto buffer = PlayLooping(*device, rate, samples, pan);
        EXPECT_TRUE(buffer);
        return buffer;
    }

    std::shared_ptr<IDirectSound> device;
};

void Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits until the recording holds at least ms of sound after byte offset from: the recorder
// can lag behind the server on a busy machine, and a fixed wait would then cut the recording
// short. Gives up after ten seconds; the checks then see what was recorded.
void WaitForRecording(size_t from, int ms) {
    const size_t wanted = from + size_t(44100) * 8 * size_t(ms) / 1000;
    for (int i = 0; i < 200 && g_server->RecordedBytes() < wanted; ++i)
        Wait(50);
}

} // namespace

TEST_F(SoundServerTest, PanStepsEvery2MsAreHeardAsDistinctLevelsInOrder) {
    // A constant level on both channels: the balance of every recorded frame is the pan.
    auto buffer = Play(44100, std::vector<int16_t>(2 * 4410, 16384), -3000);
    Wait(300);
    const size_t from = g_server->RecordedBytes();
    constexpr int kSteps = 500;
    auto pan = [](int i) { return -2495 + 10 * i; };
    // Each step stamped with its due time, as the program's sound timer does: a stepper that
    // wakes late on a busy machine still puts its step at its own frame.
    sweep::Every(std::chrono::microseconds(2000), kSteps, [&](int i, int64_t due) {
        const ScopedChangeStamp stamp(due);
        buffer->SetPan(pan(i));
    });
    WaitForRecording(from, 2 * kSteps + 300);
    const auto rec = g_server->RecordedSince(from);
    buffer->Stop();

    const size_t frames = rec.size() / 2;
    const PanStepsFound found = FindPanSteps(rec, kSteps, pan, false);
    const int heard = found.heard, excused = found.excused;
    ASSERT_LT(excused, kSteps / 2) << "the server played silence for most of the steps";
    EXPECT_GE(heard, (kSteps - excused) * 99 / 100)
        << "of " << kSteps << " steps, " << excused << " lost in the server's silence, in "
        << frames << " recorded frames";
}

TEST_F(SoundServerTest, TheSoundTimersStepsAreHeardAtTheirDueTimes) {
    // The sound timer of a 25 Hz run: a pan step every 2 ms from the threaded timer, each
    // stamped with its due time. However late the GUI thread ran a handler, each step is heard
    // where its due time puts it: neighbouring levels lie as far apart in the sound as their
    // due times (one step, or more where a busy machine made the timer skip).
    static int argc = 1;
    static char name[] = "test_soundserver";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    auto buffer = Play(44100, std::vector<int16_t>(2 * 4410, 16384), -3000);
    Wait(1200); // the output clock locks on
    constexpr int kSteps = 500;
    auto pan = [](int i) { return -2495 + 10 * i; };
    TThreadedTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(2);
    timer.SetThreadPriority(tpTimeCritical);
    std::vector<int64_t> due(kSteps), late(kSteps);
    int fired = 0;
    QEventLoop loop;
    timer.SetOnTimer([&](TThreadedTimer* t) {
        if (fired == kSteps) return loop.quit();
        due[fired] =
            std::chrono::duration_cast<std::chrono::nanoseconds>(t->DueTime().time_since_epoch())
                .count();
        late[fired] = SteadyNanos() - due[fired];
        const ScopedChangeStamp stamp(due[fired]);
        buffer->SetPan(pan(fired++));
    });
    const size_t from = g_server->RecordedBytes();
    timer.SetEnabled(true);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    timer.SetEnabled(false);
    ASSERT_EQ(fired, kSteps);
    WaitForRecording(from, 2 * kSteps + 300);
    const auto rec = g_server->RecordedSince(from);
    buffer->Stop();

    // The output places a change a fixed delay after its stamp, 40 ms and more beyond the
    // server's queue; a handler that the busy GUI thread ran later than that cannot be heard
    // at its time. Steps whose handler ran over 20 ms late are left out, as are steps lost in
    // the server's silence: a program that ignored the stamps, or placed them less than 20 ms
    // ahead, still fails on the rest.
    constexpr int64_t kLateNs = 20'000'000;
    const std::vector<size_t> foundAt = sweep::FindLevels(rec, kSteps, pan);
    const PanStepsFound found = FindPanSteps(rec, kSteps, pan, false);
    int compared = 0, onTime = 0, lateSteps = 0, lost = 0;
    for (int i = 0; i < kSteps; ++i) {
        const bool timely = late[i] <= kLateNs && (i == 0 || late[i - 1] <= kLateNs);
        lateSteps += !timely;
        lost += foundAt[i] == 0 && timely;
        if (i == 0 || foundAt[i] == 0 || foundAt[i - 1] == 0 || !timely) continue;
        bool silence = false; // the server ran dry between them
        for (size_t f = foundAt[i - 1]; f < foundAt[i] && !silence; ++f)
            silence = rec[2 * f] == 0.0f;
        if (silence) continue;
        ++compared;
        const double dueFrames = double(due[i] - due[i - 1]) * 44100e-9;
        onTime += std::abs(double(foundAt[i] - foundAt[i - 1]) - dueFrames) <= 3.0;
    }
    // A step not heard is excused by the server's silence, or by its own handler or the next
    // one's coming too late (the two then fall together).
    int excusedLate = 0;
    for (int i = 0; i < kSteps; ++i)
        excusedLate +=
            foundAt[i] == 0 && (late[i] > kLateNs || (i + 1 < kSteps && late[i + 1] > kLateNs));
    EXPECT_GE(found.heard, (kSteps - found.excused - excusedLate) * 97 / 100)
        << found.excused << " steps lost in silence, " << excusedLate << " late";
    ASSERT_GT(compared, kSteps / 2) << lateSteps << " steps with a handler over 20 ms late";
    EXPECT_GE(onTime, compared * 95 / 100)
        << "of " << compared << " neighbouring steps (" << lateSteps << " late, " << lost
        << " timely ones lost)";
}

TEST_F(SoundServerTest, TheLoopSeamDoesNotClick) {
    // Two periods of a sine at 22050 samples per second, starting off zero so that the
    // server's silence (an underrun) is told apart; played at its own rate, every second
    // output frame lies between two source frames, across the seam too.
    std::vector<int16_t> loop(2 * 100);
    for (size_t i = 0; i < 100; ++i) {
        loop[2 * i] = loop[2 * i + 1] =
            static_cast<int16_t>(std::lround(12000 * std::sin(2 * M_PI * double(i) / 50 + 0.3)));
    }
    auto buffer = Play(22050, loop, 0);
    Wait(200);
    const size_t from = g_server->RecordedBytes();
    WaitForRecording(from, 2000);
    const auto rec = g_server->RecordedSince(from);
    buffer->Stop();

    // A click is a bend far sharper than the sine's own (linear interpolation bends it by
    // up to half its source bend at every source frame), away from any silence.
    const double bendLimit = 4.0 * (12000 / 32768.0) * std::pow(2 * M_PI / 100, 2);
    const size_t frames = rec.size() / 2;
    int clicks = 0, silent = 0, seams = 0, gaps = 0;
    for (size_t f = 4; f + 4 < frames; ++f) {
        gaps += rec[2 * f] == 0.0f && rec[2 * (f - 1)] != 0.0f;
        bool nearSilence = false;
        for (size_t g = f - 4; g <= f + 4; ++g)
            nearSilence |= rec[2 * g] == 0.0f;
        if (nearSilence) {
            ++silent;
            continue;
        }
        if (f % 200 == 0) ++seams;
        const double bend = rec[2 * (f + 1)] - 2.0 * rec[2 * f] + rec[2 * (f - 1)];
        clicks += std::abs(bend) > bendLimit;
    }
    // Where the server ran dry, its restart may bend the wave once more.
    EXPECT_GT(seams, 200) << silent << " frames near silence";
    EXPECT_LE(clicks, 2 + gaps) << "in " << frames << " frames, " << silent << " near silence, "
                                << gaps << " gaps";
}

// The kernel ids of this process's threads whose name begins with prefix.
std::vector<int> ThreadsNamed(const std::string& prefix) {
    std::vector<int> ids;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        if (name.rfind(prefix, 0) == 0) ids.push_back(std::stoi(task.path().filename().string()));
    }
    return ids;
}

TEST_F(SoundServerTest, TheAudioThreadGetsTheBestScheduleTheSystemGrants) {
    auto buffer = Play(44100, std::vector<int16_t>(2 * 4410, 16384), 0);
    const TSchedulingLimits limits = CurrentSchedulingLimits();
    const auto scheduled = [&] {
        const auto ids = ThreadsNamed("SDLAudioP");
        if (ids.size() != 1) return false;
        const TThreadSchedule schedule = ReadThreadSchedule(ids[0]);
        if (limits.RealTimePriorityMax >= 1) return schedule.Policy == SCHED_FIFO;
        return limits.LowestNice >= 0 || schedule.Nice == limits.LowestNice;
    };
    bool done = false;
    for (int i = 0; i < 100 && !(done = scheduled()); ++i)
        Wait(10);
    EXPECT_TRUE(done) << "one SDL audio thread, in the real-time class where permitted";
    buffer->Stop();
}

TEST_F(SoundServerTest, TheServerListsTheStreamUnderTheProgramsName) {
    auto buffer = Play(44100, std::vector<int16_t>(2 * 4410, 16384), 0);
    const std::string list = g_server->Dir() + "/sink-inputs.txt";
    ASSERT_EQ(RunToEnd({"pactl", "list", "sink-inputs"}, list), 0);
    std::ifstream in(list);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("application.name = \"Velmora\""), std::string::npos) << text;
    EXPECT_NE(text.find("media.name = \"Stimulation sound\""), std::string::npos) << text;
    buffer->Stop();
}

TEST_F(SoundServerTest, TheProgramShowsItsWindowWithoutClosingAStream) {
    const std::string counts = g_server->Dir() + "/program.txt";
    ASSERT_EQ(
        RunToEnd({"sh", VELMORA_SOURCE_DIR "/tests/soundserver/program_start.sh", VELMORA_PROGRAM},
                 counts),
        0)
        << "the program did not show its window";
    std::ifstream in(counts);
    int opened = -1, closed = -1;
    in >> opened >> closed;
    // While the window came up the program opened one stream and closed none.
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 0);
}

TEST_F(SoundServerTest, AStreamTheServerDropsComesBackWithItsSoundAndSettings) {
    auto buffer = Play(44100, std::vector<int16_t>(2 * 4410, 16384), 1000);
    g_server->Stop();
    ASSERT_TRUE(g_server->Start()) << g_server->Error();
    // The stream is opened again in the background; the buffer keeps playing as it was.
    bool back = false;
    for (int i = 0; i < 100 && !back; ++i) {
        Wait(100);
        const auto rec = g_server->RecordedSince(0);
        const size_t frames = rec.size() / 2;
        back = frames > 100 && rec[2 * (frames - 1)] > 0.01f &&
               std::abs(Balance(rec, frames - 1) - 1000) <= 1.0;
    }
    EXPECT_TRUE(back);
    buffer->Stop();
}
