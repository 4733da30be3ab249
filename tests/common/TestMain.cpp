// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for binaries that need no application object.
#include "audio/SoundEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
