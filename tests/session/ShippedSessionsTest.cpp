// SPDX-License-Identifier: GPL-3.0-or-later
// The sessions that come with the program, and the listing of a folder of sessions by title.
#include "session/SessionFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ShippedSessions, EachParsesHasATitleAndAHeaderAndStaysInTheProgramsRange) {
    const fs::path folder = fs::path(VELMORA_SOURCE_DIR) / "data" / "sessions";
    int count = 0, shortOnes = 0;
    int32_t lowest = 35000, highest = 0;
    std::vector<std::string> titles;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ASSERT_EQ(entry.path().extension(), ".vsession") << entry.path();
        const std::string name = entry.path().filename().string();
        const std::string text = ReadText(entry.path());
        const TSession session = LoadSessionFile(entry.path().string());
        ++count;
        const std::string title = SessionTitle(text);
        EXPECT_FALSE(title.empty()) << name;
        titles.push_back(title);
        for (const char* part : {"# Purpose:", "# Minute by minute:", "# Knobs:"})
            EXPECT_NE(text.find(part), std::string::npos) << name << " lacks " << part;
        // The photosensitivity warning asks for a lit room; no session advises otherwise.
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const char* advice : {"dim", "dark", "lights off", "light off", "lights out"})
            EXPECT_EQ(lower.find(advice), std::string::npos) << name << " says " << advice;
        // Every knob is set at the start, so a session never depends on what was left before.
        const TSessionPoint& first = session.Points().front();
        EXPECT_EQ(first.TimeMs, 0) << name;
        for (const auto knob : first.Knobs)
            EXPECT_NE(knob, kKnobUnset) << name;
        EXPECT_GE(session.LengthMs(), 5 * 60000) << name;
        EXPECT_LE(session.LengthMs(), 45 * 60000) << name;
        if (session.LengthMs() <= 5 * 60000) ++shortOnes;
        for (const TSessionPoint& p : session.Points()) {
            lowest = std::min(lowest, p.FrequencyMilli);
            highest = std::max(highest, p.FrequencyMilli);
        }
    }
    EXPECT_GE(count, 10);
    EXPECT_GE(shortOnes, 1);   // a try-out
    EXPECT_LE(lowest, 4000);   // down into delta
    EXPECT_GE(highest, 23000); // up into high beta
    EXPECT_LE(highest, 35000);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(std::adjacent_find(titles.begin(), titles.end()), titles.end());
}

TEST(ShippedSessions, AFolderIsListedByTitleSkippingWhatIsNoSessionFile) {
    const fs::path dir = fs::temp_directory_path() / ("velmora-list-" + std::to_string(getpid()));
    fs::create_directories(dir / "folder.vsession");
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    };
    write("b.vsession", "\xEF\xBB\xBF#  Zebra walk \r\n0:00 10.0\n");
    write("a.vsession", "## Apple pie\n");
    write("untitled.vsession", "0:00 10.0\n# Not a title\n");
    write("odd.vsession", "# Bell\x07ringer " + std::string(200, 'x') + "\n");
    write("notes.txt", "# Not a session\n");
    ASSERT_EQ(mkfifo((dir / "pipe.vsession").c_str(), 0600), 0);

    const auto entries = ListSessionFiles(dir.string());
    std::vector<std::string> titles;
    for (const auto& e : entries)
        titles.push_back(e.Title);
    ASSERT_EQ(titles.size(), 4u);
    EXPECT_EQ(titles[0], "Apple pie");
    EXPECT_EQ(titles[1].substr(0, 12), "Bell?ringer ");
    EXPECT_LE(titles[1].size(), 63u);
    EXPECT_EQ(titles[2], "Zebra walk");
    EXPECT_EQ(titles[3], "untitled");
    EXPECT_EQ(entries[2].Path, (dir / "b.vsession").string());
    EXPECT_TRUE(ListSessionFiles((dir / "none").string()).empty());
    fs::remove_all(dir);
}

} // namespace
