// SPDX-License-Identifier: GPL-3.0-or-later
// A stimulation run (at 25 Hz unless told) with the default library, Depth 7 and Volume 5 in the
// default window size: the CPU time the whole process spends (every thread: the GUI thread's frame
// and modulation steps, both timer workers, the sound output) per second of the run, and its
// resident memory. For each firing of the picture timer it also gives the processor time and
// the memory blocks taken by the frame step and by the immediate paint that follows it, apart
// (the paint includes Qt's repaint and its hand-over of the picture to the platform).
//
// Run it from anywhere in the build tree; the default library main.zdl lies in the build
// directory, the parent of this program's directory. Set QT_QPA_PLATFORM or DISPLAY to choose
// the platform. The first argument is the measured time in seconds (default 10), the second
// the main frequency in Hz (default 25.0).
#include "app/About.h"
#include "app/main.h"
#include "audio/SoundEnvironment.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "picture/DXPaintBox.h"
#include "picture/FrameStep.h"
#include "run/RunParameters.h"
#include "timing/ThdTimer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {
thread_local bool countAllocations = false;
thread_local long allocations = 0;
} // namespace

// Every memory block the process takes goes through malloc, calloc or realloc (operator new
// included); these count the ones taken on a thread while it asks for counting. A sanitizer
// build has its own allocator, and nothing is counted there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool AllocationsCounted = false;
#else
constexpr bool AllocationsCounted = true;
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t size) {
    if (countAllocations) ++allocations;
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size) {
    if (countAllocations) ++allocations;
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size) {
    if (countAllocations) ++allocations;
    return __libc_realloc(block, size);
}
#endif

namespace {
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long StatusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The two parts of one firing of the picture timer, summed over the run.
struct TFrameCosts {
    long firings = 0;
    double stepSeconds = 0;
    double paintSeconds = 0;
    long stepAllocations = 0;
    long paintAllocations = 0;
};

// Runs f on this thread and adds its processor time and memory blocks taken.
template <typename F> void Measure(double& seconds, long& blocks, F&& f) {
    allocations = 0;
    countAllocations = true;
    const double start = ThreadCpuSeconds();
    f();
    seconds += ThreadCpuSeconds() - start;
    countAllocations = false;
    blocks += allocations;
}

// Runs the event loop for a while without spinning.
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const QFileInfo program(QString::fromLocal8Bit(argv[0]));
    const QString buildDir =
        QDir::cleanPath(program.absoluteDir().absoluteFilePath(QStringLiteral("..")));
    if (chdir(buildDir.toLocal8Bit().constData()) != 0) return 1;
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    // The second argument is the main frequency (default 25.0 Hz), 0.1..35.0.
    const double frequency = argc > 2 ? std::clamp(std::atof(argv[2]), 0.1, 35.0) : 25.0;

    QApplication app(argc, argv);
    TMainForm form;
    TAboutBox about;
    SetAboutBox(&about);
    form.show();
    Wait(500);
    if (form.PaintBox1->DIB().IsEmpty()) {
        std::fprintf(stderr, "the default library was not loaded\n");
        return 1;
    }
    form.FreqEdit->SetValue(static_cast<long double>(frequency));
    form.UpDown1->SetPosition(7);
    form.Volume->SetPosition(5);
    // Count the firings to show the rates the run really reached.
    long frames = 0;
    long modulations = 0;
    TFrameCosts costs;
    const auto modulationStep = form.Timer2->OnTimer();
    // The picture timer's handler is the frame step and then PaintNow; both are timed apart.
    form.Timer1->SetOnTimer([&](TThreadedTimer*) {
        ++frames;
        ++costs.firings;
        TDXPaintBox& display = *form.PaintBox1;
        const TFrameStepParams params{RunParams.TransformLevel, RunParams.CycleModulus,
                                      form.DivCheck->isChecked()};
        Measure(costs.stepSeconds, costs.stepAllocations,
                [&] { StepFrame(display.DIB(), params); });
        Measure(costs.paintSeconds, costs.paintAllocations, [&] { display.PaintNow(); });
    });
    form.Timer2->SetOnTimer([&](TThreadedTimer* t) {
        ++modulations;
        modulationStep(t);
    });
    form.StartButtonClick(&form);
    Wait(2000); // settle
    frames = modulations = 0;
    costs = TFrameCosts{};
    const uint64_t missedFrames = form.Timer1->MissedFirings();
    const uint64_t missedModulations = form.Timer2->MissedFirings();

    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Wait(seconds * 1000);
    const double cpu = CpuSeconds() - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    // Two frame steps and twenty modulation steps a period of the frequency in the box.
    const double framesDue = 2 * frequency;
    const double modulationsDue = 20 * frequency;
    form.StartButtonClick(&form);

    std::printf("run at %.1f Hz, Depth 7, Volume 5, window %dx%d, picture %dx%d, %s: "
                "CPU %.1f %% of one core over %.1f s (%.1f frame steps/s, %.0f modulation "
                "steps/s); resident memory %ld KiB (peak %ld KiB)\n",
                frequency, form.width(), form.height(), form.PaintBox1->DIB().Width(),
                form.PaintBox1->DIB().Height(),
                getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "xcb",
                100.0 * cpu / elapsed, elapsed, frames / elapsed, modulations / elapsed,
                StatusKb("VmRSS:"), StatusKb("VmHWM:"));
    std::printf("against those due: frame steps %.4f of %.1f/s, modulation steps %.4f of %.1f/s; "
                "skipped by overruns: %llu frame steps, %llu modulation steps\n",
                frames / elapsed / framesDue, framesDue, modulations / elapsed / modulationsDue,
                modulationsDue,
                static_cast<unsigned long long>(form.Timer1->MissedFirings() - missedFrames),
                static_cast<unsigned long long>(form.Timer2->MissedFirings() - missedModulations));
    const double firings = static_cast<double>(std::max(1L, costs.firings));
    std::printf("frame step: %.1f us CPU per step; PaintNow: %.1f us CPU per paint\n",
                1e6 * costs.stepSeconds / firings, 1e6 * costs.paintSeconds / firings);
    if (AllocationsCounted) {
        std::printf("memory blocks taken: %.2f per frame step, %.2f per paint\n",
                    costs.stepAllocations / firings, costs.paintAllocations / firings);
    }
    SetAboutBox(nullptr);
    return 0;
}
