// SPDX-License-Identifier: GPL-3.0-or-later
// Quit signals through their pipe: a request reaches the watcher alive when it came, never a
// later one, since the pipe outlives each watcher.
#include "platform/QuitSignals.h"

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <vector>

namespace {

int argc = 1;
char name[] = "test_platform";
char* argv[] = {name, nullptr};

// Runs the event loop until the handler has been called or the loop has nothing left to do
// many times over.
void Deliver(const std::vector<int>& calls) {
    for (int i = 0; i < 1000 && calls.empty(); ++i)
        QCoreApplication::processEvents();
}

TEST(QuitSignals, ARequestReachesTheWatcherItCameToAndNoLaterOne) {
    // Its own application, gone before the program's end: Qt cannot be taken down from
    // the exit handlers.
    QCoreApplication app(argc, argv);
    std::vector<int> first, second;
    {
        TQuitSignals watcher([&first](int signal) { first.push_back(signal); });
        ASSERT_EQ(raise(SIGTERM), 0); // written into the pipe, not yet read
    }
    TQuitSignals watcher([&second](int signal) { second.push_back(signal); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());
    ASSERT_EQ(raise(SIGHUP), 0);
    Deliver(second);
    EXPECT_EQ(second, std::vector<int>{SIGHUP});
    EXPECT_TRUE(first.empty());
}

} // namespace
