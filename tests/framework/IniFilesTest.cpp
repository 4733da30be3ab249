// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/IniFiles.h"
#include "framework/Exception.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Points the configuration directory into a fresh temporary tree for one test.
class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("velmora-ini-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadXdg_ = old != nullptr;
        if (hadXdg_) oldXdg_ = old;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        if (hadXdg_) {
            ::setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        fs::permissions(root_, fs::perms::owner_all);
        fs::remove_all(root_);
    }

    // Writes a raw value and reads it back as an integer.
    int32_t IntegerOf(TIniFile& ini, const std::string& raw, int32_t def = -99) {
        ini.WriteString("Options", "Value", raw);
        return ini.ReadInteger("Options", "Value", def);
    }

    fs::path root_;
    bool hadXdg_ = false;
    std::string oldXdg_;
};

} // namespace

TEST_F(IniFileTest, BareNameLivesInTheConfigurationDirectoryMadeOnFirstWrite) {
    TIniFile ini("Zandrel.ini");
    const fs::path expected = root_ / "velmora" / "Zandrel.ini";
    EXPECT_EQ(ini.FileName(), expected.string());
    EXPECT_EQ(ini.ReadString("Options", "LibrName", "main.zdl"), "main.zdl");
    EXPECT_FALSE(fs::exists(root_ / "velmora")); // reading creates nothing
    ini.WriteString("Options", "LibrName", "other.zdl");
    EXPECT_EQ(Slurp(expected), "[Options]\nLibrName=other.zdl\n");

    TIniFile again("Zandrel.ini"); // a second object sees the write at once
    EXPECT_EQ(again.ReadString("OPTIONS", "librname", ""), "other.zdl");

    const std::string explicitPath = (root_ / "here.ini").string();
    EXPECT_EQ(TIniFile(explicitPath).FileName(), explicitPath);
}

TEST_F(IniFileTest, RelativeXdgConfigHomeIsIgnored) {
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    const std::string name = TIniFile("Zandrel.ini").FileName();
    EXPECT_EQ(name.find("relative"), std::string::npos);
    EXPECT_NE(name.find("/.config/velmora/Zandrel.ini"), std::string::npos);
}

TEST_F(IniFileTest, IntegersInDecimalDollarAndZeroXForms) {
    TIniFile ini("int.ini");
    EXPECT_EQ(IntegerOf(ini, "42"), 42);
    EXPECT_EQ(IntegerOf(ini, "-17"), -17);
    EXPECT_EQ(IntegerOf(ini, "+7"), 7);
    EXPECT_EQ(IntegerOf(ini, "0x0A"), 10);
    EXPECT_EQ(IntegerOf(ini, "0XfF"), 255);
    EXPECT_EQ(IntegerOf(ini, "$1a"), 26);
    EXPECT_EQ(IntegerOf(ini, "-$10"), -16);
    EXPECT_EQ(IntegerOf(ini, "$FFFFFFFF"), -1);
    EXPECT_EQ(IntegerOf(ini, "0x80000000"), INT32_MIN);
    EXPECT_EQ(IntegerOf(ini, "2147483647"), INT32_MAX);
    EXPECT_EQ(IntegerOf(ini, "-2147483648"), INT32_MIN);
}

TEST_F(IniFileTest, AnythingElseGivesTheDefault) {
    TIniFile ini("int.ini");
    for (const char* raw :
         {"", "abc", "12abc", "1 2", "0x", "0x-5", "0xG", "$", "-", "+$", "2147483648",
          "-2147483649", "0x100000000", "$123456789", "1.5", "99999999999999999999999"}) {
        EXPECT_EQ(IntegerOf(ini, raw), -99) << raw;
    }
    EXPECT_EQ(ini.ReadInteger("Options", "Missing", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Missing", "Value", 6), 6);
}

TEST(ParseStoredInteger, HasNoZeroXFormAndLeavesTheValueOnFailure) {
    int32_t v = 123;
    EXPECT_FALSE(ParseStoredInteger("0x10", v));
    EXPECT_FALSE(ParseStoredInteger("abc", v));
    EXPECT_FALSE(ParseStoredInteger("5 ", v));
    EXPECT_EQ(v, 123);
    ASSERT_TRUE(ParseStoredInteger("  -12", v));
    EXPECT_EQ(v, -12);
    ASSERT_TRUE(ParseStoredInteger("\t$7f", v));
    EXPECT_EQ(v, 127);
    ASSERT_TRUE(ParseStoredInteger("0010", v));
    EXPECT_EQ(v, 10);
}

TEST_F(IniFileTest, IntegersAndBooleansAreWrittenAsDecimalText) {
    TIniFile ini("Zandrel.ini");
    ini.WriteInteger("Options", "ItemIndex1", -1);
    ini.WriteBool("TMainForm", "Visible", true);
    ini.WriteBool("TMainForm", "Hidden", false);
    EXPECT_EQ(Slurp(ini.FileName()),
              "[Options]\nItemIndex1=-1\n[TMainForm]\nVisible=1\nHidden=0\n");
    EXPECT_TRUE(ini.ReadBool("TMainForm", "Visible", false));
    EXPECT_FALSE(ini.ReadBool("TMainForm", "Hidden", true));
    EXPECT_TRUE(ini.ReadBool("TMainForm", "Missing", true));
    ini.WriteString("TMainForm", "Odd", "yes");
    EXPECT_TRUE(ini.ReadBool("TMainForm", "Odd", true));
    EXPECT_FALSE(ini.ReadBool("TMainForm", "Odd", false));
    ini.WriteString("TMainForm", "Odd", "-3");
    EXPECT_TRUE(ini.ReadBool("TMainForm", "Odd", false));

    ini.EraseSection("tmainform");
    EXPECT_EQ(Slurp(ini.FileName()), "[Options]\nItemIndex1=-1\n");
}

TEST_F(IniFileTest, JunkFileGivesDefaultsAndSurvivesAWrite) {
    const fs::path file = root_ / "junk.ini";
    std::string junk;
    for (int i = 0; i < 5000; ++i) {
        const char c = static_cast<char>((i * 7919) % 256);
        junk += c == '\n' ? 'x' : c; // the file's first line end is then the CRLF below
    }
    junk += "\r\n[Options]\r\nItemIndex1=0x0A";
    std::ofstream(file, std::ios::binary) << junk;
    TIniFile ini(file.string());
    EXPECT_EQ(ini.ReadString("Nothing", "here", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("Options", "ItemIndex1", 0), 10);
    ini.WriteInteger("Options", "ItemIndex2", 3);
    EXPECT_EQ(Slurp(file), junk + "\r\nItemIndex2=3\r\n");
}

TEST_F(IniFileTest, FailedWriteRaisesUnableToWriteAndLosesNothing) {
    TIniFile ini("Zandrel.ini");
    ini.WriteString("Options", "LibrName", "keep.zdl");
    const std::string before = Slurp(ini.FileName());

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 8; // the new file cannot be written in full
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    std::string message;
    try {
        ini.WriteString("Options", "ItemIndex1", "12345");
    } catch (const EIniFileException& e) {
        message = e.Message();
    }
    // An update fails the same way, at its end.
    ini.BeginUpdate();
    ini.WriteString("Options", "ItemIndex1", "12345");
    bool updateFailed = false;
    try {
        ini.EndUpdate();
    } catch (const EIniFileException&) {
        updateFailed = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Unable to write to " + ini.FileName());
    EXPECT_TRUE(updateFailed);
    EXPECT_FALSE(ini.Updating());
    EXPECT_EQ(Slurp(ini.FileName()), before);
}

TEST_F(IniFileTest, ReadOnlyConfigurationDirectoryRaisesAndLosesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    TIniFile ini("Zandrel.ini");
    ini.WriteString("Options", "LibrName", "keep.zdl");
    const std::string before = Slurp(ini.FileName());
    fs::permissions(root_ / "velmora", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(ini.WriteInteger("Options", "ItemIndex1", 1), EIniFileException);
    EXPECT_THROW(ini.EraseSection("Options"), EIniFileException);
    fs::permissions(root_ / "velmora", fs::perms::owner_all);
    EXPECT_EQ(Slurp(ini.FileName()), before);
}

TEST_F(IniFileTest, ConfigurationDirectoryThatCannotBeMadeRaises) {
    std::ofstream(root_ / "velmora") << "a file where the directory should be";
    TIniFile ini("Zandrel.ini");
    EXPECT_EQ(ini.ReadInteger("Options", "ItemIndex1", 4), 4);
    try {
        ini.WriteBool("TMainForm", "Visible", true);
        ADD_FAILURE() << "the write should have failed";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(),
                  "Unable to write to " + (root_ / "velmora" / "Zandrel.ini").string());
    }
    EXPECT_THROW(ini.EraseSection("TMainForm"), EIniFileException);
}

TEST_F(IniFileTest, AnUpdateWritesTheFileOnceAtItsEnd) {
    TIniFile ini("Zandrel.ini");
    ini.WriteString("Options", "LibrName", "a.zdl");
    const fs::path file = ini.FileName();
    const std::string before = Slurp(file);

    ini.BeginUpdate();
    ini.BeginUpdate(); // nested: the outer end writes
    ini.WriteInteger("TMainForm", "ShowCmd", 3);
    ini.WriteString("Options", "LibrName", "b.zdl");
    EXPECT_EQ(ini.ReadString("Options", "LibrName", ""), "b.zdl") << "reads see the update";
    ini.EndUpdate();
    EXPECT_EQ(Slurp(file), before) << "nothing reaches the file before the update ends";
    // A second settings object on the same file still reads the file itself.
    EXPECT_EQ(TIniFile("Zandrel.ini").ReadString("Options", "LibrName", ""), "a.zdl");
    ini.EndUpdate();
    EXPECT_EQ(Slurp(file), "[Options]\nLibrName=b.zdl\n[TMainForm]\nShowCmd=3\n");

    // An update that changes nothing leaves the file alone, as does a single such write.
    const auto written = fs::last_write_time(file);
    fs::last_write_time(file, written - std::chrono::hours(1));
    ini.BeginUpdate();
    ini.WriteInteger("TMainForm", "ShowCmd", 3);
    ini.EndUpdate();
    ini.WriteString("Options", "LibrName", "b.zdl");
    EXPECT_EQ(fs::last_write_time(file), written - std::chrono::hours(1));
    // Outside an update a single key still goes straight to the file.
    ini.WriteString("Options", "LibrName", "c.zdl");
    EXPECT_NE(Slurp(file).find("LibrName=c.zdl"), std::string::npos);
}
