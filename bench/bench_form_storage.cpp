// SPDX-License-Identifier: GPL-3.0-or-later
// How long the settings keep a window waiting: the settings component's restore at first
// showing and save at closing, with the main window's nine stored properties, and the close
// of the real main window (the component's save, the window's own keys, the teardown), each
// in a configuration directory of its own. A save is one replacement of the file, so it is
// dominated by the file system's sync.
//
// Run it from anywhere in the build tree: the main window loads the default library main.zdl
// from the build directory, the parent of this program's directory.
#include "app/Placemnt.h"
#include "app/main.h"
#include "audio/SoundDevice.h"
#include "audio/SoundEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QSpinBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <unistd.h>

namespace {

struct BenchWindow {
    BenchWindow() {
        const char* names[] = {"RxSlider1", "Timer1", "UpDown1", "UpDown2", "UpDown3", "Volume"};
        for (const char* name : names) {
            auto* spin = new QSpinBox(&window);
            spin->setObjectName(name);
        }
        auto* freq = new QDoubleSpinBox(&window);
        freq->setObjectName("FreqEdit");
        for (const char* name : {"DivCheck", "Half"}) {
            auto* check = new QCheckBox(&window);
            check->setObjectName(name);
        }
        storage = new TFormStorage(&window);
        storage->SetIniFileName("Zandrel.ini");
        storage->SetStoredProps({"DivCheck.Checked", "FreqEdit.Value", "RxSlider1.Value",
                                 "Timer1.Value", "UpDown1.Value", "UpDown2.Value", "UpDown3.Value",
                                 "Volume.Value", "Half.Checked"});
        storage->RestoreFormPlacement();
        storage->SaveFormPlacement();
    }
    QWidget window;
    TFormStorage* storage = nullptr;
};

// A stored value changes before each save, so each save really writes the file.
void BM_SaveAtClose(benchmark::State& state) {
    BenchWindow w;
    auto* half = w.window.findChild<QCheckBox*>("Half");
    for (auto _ : state) {
        state.PauseTiming();
        half->setChecked(!half->isChecked());
        state.ResumeTiming();
        w.storage->SaveFormPlacement();
    }
}
BENCHMARK(BM_SaveAtClose)->Unit(benchmark::kMillisecond);

void BM_RestoreAtShow(benchmark::State& state) {
    BenchWindow w;
    for (auto _ : state)
        w.storage->RestoreFormPlacement();
}
BENCHMARK(BM_RestoreAtShow)->Unit(benchmark::kMillisecond);

// The user closes the main window: the settings component saves, then the window writes its
// own keys and goes. Something changed in both sections each time, so both writes happen.
void BM_CloseMainWindow(benchmark::State& state) {
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TMainForm;
        form->show();
        QApplication::processEvents();
        form->move(form->x() + (++round % 2), form->y());
        form->ComboBox1->setCurrentIndex(round % 2);
        QApplication::processEvents();
        state.ResumeTiming();
        form->close();
        delete form;
    }
    SetSoundOutputChoice(SoundOutputChoice::Device);
}
BENCHMARK(BM_CloseMainWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    const QFileInfo program(QString::fromLocal8Bit(argv[0]));
    if (chdir(QDir::cleanPath(program.absoluteDir().absoluteFilePath(QStringLiteral("..")))
                  .toLocal8Bit()
                  .constData()) != 0) {
        return 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
