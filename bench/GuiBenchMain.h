// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main of a benchmark that draws widgets: one application object on the offscreen
// platform (unless the environment chooses another), then every registered benchmark.

#include "audio/SoundEnvironment.h"

#include <QApplication>
#include <benchmark/benchmark.h>

inline int RunGuiBenchmarks(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
