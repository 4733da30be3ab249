// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for widget tests: one application object for the whole binary, on the
// offscreen platform unless the environment chooses another.
#include "audio/SoundEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
