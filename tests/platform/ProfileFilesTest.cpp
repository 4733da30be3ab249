// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string Read(std::string_view text, const char* section, const char* key) {
    return ProfileTextRead(text, section, key, "<def>");
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Spit(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ProfileFileTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("velmora-profile-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = (dir_ / "Zandrel.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Everything in the directory apart from the settings file itself.
    int StrayFiles() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir_))
            n += e.path() != file_;
        return n;
    }

    fs::path dir_;
    std::string file_;
};

} // namespace

TEST(ProfileText, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    const std::string text = "[Options]\nItemIndex1 = 5 \n  libRName\t=\tmain.zdl\n";
    EXPECT_EQ(Read(text, "OPTIONS", "itemindex1"), "5");
    EXPECT_EQ(Read(text, " options ", "LibrName"), "main.zdl");
    EXPECT_EQ(Read(text, "Options", "Missing"), "<def>");
    EXPECT_EQ(Read(text, "Other", "ItemIndex1"), "<def>");
    EXPECT_EQ(Read("[Options]\nKey=\n", "Options", "Key"), ""); // present but empty is no default
}

TEST(ProfileText, OnePairOfMatchingQuotesIsStripped) {
    EXPECT_EQ(Read("[s]\nk=\"quoted\"\n", "s", "k"), "quoted");
    EXPECT_EQ(Read("[s]\nk='single'\n", "s", "k"), "single");
    EXPECT_EQ(Read("[s]\nk=\"\"twice\"\"\n", "s", "k"), "\"twice\"");
    EXPECT_EQ(Read("[s]\nk='mixed\"\n", "s", "k"), "'mixed\"");
    EXPECT_EQ(Read("[s]\nk=\"\n", "s", "k"), "\"");
    EXPECT_EQ(Read("[s]\nk=\"\"\n", "s", "k"), "");
}

TEST(ProfileText, FirstSectionAndFirstKeyWin) {
    const std::string text = "[a]\nk=1\nk=2\n[b]\nk=3\n[A]\nk=4\nonly=5\n";
    EXPECT_EQ(Read(text, "a", "k"), "1");
    EXPECT_EQ(Read(text, "b", "k"), "3");
    // The second [A] is shadowed by the first one, for reading as for writing.
    EXPECT_EQ(Read(text, "a", "only"), "<def>");
}

TEST(ProfileText, CommentsJunkAndLineEndsDoNotConfuseReading) {
    EXPECT_EQ(Read("[s]\r\nk=v\r\n", "s", "k"), "v");
    EXPECT_EQ(Read("[s]\nk=last", "s", "k"), "last");
    EXPECT_EQ(Read("[s]\n;k=commented\n#k=too\nk=real\n", "s", "k"), "real");
    EXPECT_EQ(Read("k=outside\n[s]\n", "s", "k"), "<def>");
    EXPECT_EQ(Read("[s\nk=unclosed header\n", "s", "k"), "unclosed header");
    const std::string junk("\0\xff[s]\x01\n\0k=1\n[s]\nk=\xfe\x00z\n", 22);
    EXPECT_EQ(Read(junk, "s", "k"), std::string("\xfe\x00z", 3));
    EXPECT_EQ(Read(std::string(100000, '['), "s", "k"), "<def>");
    EXPECT_EQ(Read("[s]\nk" + std::string(100000, '=') + "\n", "s", "k"),
              std::string(kProfileValueLimit, '='));
}

TEST(ProfileText, LongValuesAreCutAt1023BytesOnACharacterBoundary) {
    EXPECT_EQ(Read("[s]\nk=" + std::string(2000, 'a') + "\n", "s", "k").size(), 1023u);
    // A two-byte character that would straddle the limit is left out whole.
    const std::string value = std::string(1022, 'a') + "\xc3\xa9" + "b";
    EXPECT_EQ(Read("[s]\nk=" + value + "\n", "s", "k"), std::string(1022, 'a'));
    EXPECT_EQ(ProfileTextRead("", "s", "k", std::string(1500, 'd')).size(), 1023u);
}

TEST(ProfileText, WriteReplacesInPlaceAndKeepsEverythingElse) {
    std::string text = "; settings\n[Options]\nItemIndex1=0\n\n; picture\nLibrName=a.zdl\n\n"
                       "[TMainForm]\nFlags=0\n";
    ASSERT_TRUE(ProfileTextWrite(text, "options", "itemindex1", "7"));
    EXPECT_EQ(text, "; settings\n[Options]\nitemindex1=7\n\n; picture\nLibrName=a.zdl\n\n"
                    "[TMainForm]\nFlags=0\n");
    ASSERT_TRUE(ProfileTextWrite(text, "Options", "ItemIndex2", "-1"));
    EXPECT_EQ(text, "; settings\n[Options]\nitemindex1=7\n\n; picture\nLibrName=a.zdl\n"
                    "ItemIndex2=-1\n\n[TMainForm]\nFlags=0\n");
    ASSERT_TRUE(ProfileTextWrite(text, "New", "Key", "x"));
    EXPECT_EQ(text, "; settings\n[Options]\nitemindex1=7\n\n; picture\nLibrName=a.zdl\n"
                    "ItemIndex2=-1\n\n[TMainForm]\nFlags=0\n[New]\nKey=x\n");
    EXPECT_EQ(Read(text, "options", "ITEMINDEX2"), "-1");
}

TEST(ProfileText, WriteFollowsTheFilesLineEnds) {
    std::string crlf = "[s]\r\na=1\r\n";
    ASSERT_TRUE(ProfileTextWrite(crlf, "s", "a", "2"));
    ASSERT_TRUE(ProfileTextWrite(crlf, "s", "b", "3"));
    ASSERT_TRUE(ProfileTextWrite(crlf, "t", "c", "4"));
    EXPECT_EQ(crlf, "[s]\r\na=2\r\nb=3\r\n[t]\r\nc=4\r\n");

    std::string unterminated = "[s]\na=1";
    ASSERT_TRUE(ProfileTextWrite(unterminated, "s", "b", "2"));
    EXPECT_EQ(unterminated, "[s]\na=1\nb=2\n");
    std::string unterminated2 = "[s]\na=1";
    ASSERT_TRUE(ProfileTextWrite(unterminated2, "t", "b", "2"));
    EXPECT_EQ(unterminated2, "[s]\na=1\n[t]\nb=2\n");

    std::string empty;
    ASSERT_TRUE(ProfileTextWrite(empty, "s", "k", "v"));
    EXPECT_EQ(empty, "[s]\nk=v\n");
}

TEST(ProfileText, ALoneCrEndingTheFileStaysALineEndWhenWritingAfterIt) {
    // The section header is cut by a lone CR at the very end: it reads as "[options]" and a
    // key added after it must read back, as must the line before the write.
    std::string text = "omm\r\n[options\r";
    ASSERT_TRUE(ProfileTextWrite(text, "Options", "ItemIndex1", "42"));
    EXPECT_EQ(Read(text, "Options", "ItemIndex1"), "42");
    EXPECT_EQ(text, "omm\r\n[options\r\nItemIndex1=42\r\n");

    std::string value = "[s]\nk=1\r";
    ASSERT_TRUE(ProfileTextWrite(value, "t", "x", "2"));
    EXPECT_EQ(Read(value, "s", "k"), "1");
    EXPECT_EQ(Read(value, "t", "x"), "2");
}

TEST(ProfileText, WritesThatWouldBreakTheFileAreRefused) {
    const std::string before = "[s]\nk=1\n";
    for (auto [section, key, value] :
         {std::tuple{"s", "k", "two\nlines"}, std::tuple{"s", "k", "cr\r"},
          std::tuple{"s", "a=b", "v"}, std::tuple{"s", "", "v"}, std::tuple{"s", "  ", "v"},
          std::tuple{"s", "[x]", "v"}, std::tuple{"s", ";k", "v"}, std::tuple{"a]b", "k", "v"},
          std::tuple{"s\n[t", "k", "v"}}) {
        std::string text = before;
        EXPECT_FALSE(ProfileTextWrite(text, section, key, value)) << section << "|" << key;
        EXPECT_EQ(text, before);
    }
    std::string text = before;
    EXPECT_FALSE(ProfileTextWrite(text, "s", "k", std::string("nul\0", 4)));
    EXPECT_EQ(text, before);
}

TEST(ProfileText, EraseRemovesEveryCopyOfTheSectionOnly) {
    std::string text = ";top\n[a]\nk=1\n;a's comment\n[B]\nk=2\n[A]\nk=3\n";
    ASSERT_TRUE(ProfileTextEraseSection(text, "a"));
    EXPECT_EQ(text, ";top\n[B]\nk=2\n");
    EXPECT_FALSE(ProfileTextEraseSection(text, "missing"));
    EXPECT_EQ(text, ";top\n[B]\nk=2\n");
    EXPECT_EQ(Read(text, "a", "k"), "<def>");
}

TEST_F(ProfileFileTest, WritesCreateTheFileAndReadBack) {
    EXPECT_EQ(ReadProfileString(file_, "Options", "LibrName", "main.zdl"), "main.zdl");
    ASSERT_TRUE(WriteProfileString(file_, "Options", "LibrName", "/tmp/x.zdl"));
    ASSERT_TRUE(WriteProfileString(file_, "TMainForm", "Flags", "0"));
    EXPECT_EQ(Slurp(file_), "[Options]\nLibrName=/tmp/x.zdl\n[TMainForm]\nFlags=0\n");
    EXPECT_EQ(ReadProfileString(file_, "options", "librname", ""), "/tmp/x.zdl");
    ASSERT_TRUE(EraseProfileSection(file_, "Options"));
    EXPECT_EQ(Slurp(file_), "[TMainForm]\nFlags=0\n");
    EXPECT_EQ(StrayFiles(), 0);
}

TEST_F(ProfileFileTest, EraseOfNothingWritesNothing) {
    ASSERT_TRUE(EraseProfileSection(file_, "Options"));
    EXPECT_FALSE(fs::exists(file_));
    Spit(file_, "[a]\nk=1\n");
    const auto stamp = fs::last_write_time(file_);
    ASSERT_TRUE(EraseProfileSection(file_, "b"));
    EXPECT_EQ(fs::last_write_time(file_), stamp);
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheFileWholeAndNoTemporaryBehind) {
    const std::string before = "[Options]\nLibrName=keep.zdl\n; comment\n" + std::string(4000, '#');
    Spit(file_, before);
    // Files may not grow past 100 bytes: the temporary copy cannot be written.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteProfileString(file_, "Options", "ItemIndex1", "3");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(Slurp(file_), before);
    EXPECT_EQ(StrayFiles(), 0);
}

TEST_F(ProfileFileTest, UnreadableOrMissingPlacesGiveDefaultsAndRefuseWrites) {
    fs::create_directory(file_); // a directory where the file should be
    EXPECT_EQ(ReadProfileString(file_, "s", "k", "def"), "def");
    EXPECT_FALSE(WriteProfileString(file_, "s", "k", "v"));
    EXPECT_FALSE(EraseProfileSection(file_, "s"));
    EXPECT_TRUE(fs::is_directory(file_));

    const std::string nowhere = (dir_ / "no" / "such" / "dir.ini").string();
    EXPECT_EQ(ReadProfileString(nowhere, "s", "k", "def"), "def");
    EXPECT_FALSE(WriteProfileString(nowhere, "s", "k", "v"));
}

TEST_F(ProfileFileTest, OversizedFileIsNeitherReadNorRewritten) {
    const std::string huge = "[s]\nk=1\n" + std::string(17 * 1024 * 1024, ';');
    Spit(file_, huge);
    EXPECT_EQ(ReadProfileString(file_, "s", "k", "def"), "def");
    EXPECT_FALSE(WriteProfileString(file_, "s", "k", "2"));
    EXPECT_EQ(fs::file_size(file_), huge.size());
}

TEST_F(ProfileFileTest, AnUnreadableFileIsNeverOverwritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    Spit(file_, "[s]\nk=secret\n");
    fs::permissions(file_, fs::perms::owner_write);
    EXPECT_EQ(ReadProfileString(file_, "s", "k", "def"), "def");
    EXPECT_FALSE(WriteProfileString(file_, "s", "other", "v"));
    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Slurp(file_), "[s]\nk=secret\n");
}

TEST_F(ProfileFileTest, PermissionsAndSymbolicLinksSurviveAWrite) {
    Spit(file_, "[s]\nk=1\n");
    ::chmod(file_.c_str(), 0640);
    const std::string link = (dir_ / "link.ini").string();
    fs::create_symlink(file_, link);
    ASSERT_TRUE(WriteProfileString(link, "s", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(file_), "[s]\nk=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}
