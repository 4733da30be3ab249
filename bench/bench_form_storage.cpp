// How long the settings component keeps a window waiting: the restore at first showing and
// the save at closing, with the main window's nine stored properties, in a configuration
// directory of its own. Every write goes to the file at once, so the save is dominated by
// the file system.
#include "app/Placemnt.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

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

void BM_SaveAtClose(benchmark::State& state) {
    BenchWindow w;
    for (auto _ : state)
        w.storage->SaveFormPlacement();
}
BENCHMARK(BM_SaveAtClose)->Unit(benchmark::kMillisecond);

void BM_RestoreAtShow(benchmark::State& state) {
    BenchWindow w;
    for (auto _ : state)
        w.storage->RestoreFormPlacement();
}
BENCHMARK(BM_RestoreAtShow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
