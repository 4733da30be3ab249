// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Exception.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

TEST(MemoryStream, ShortReadCountsAndExactReadFails) {
    TMemoryStream s(std::vector<uint8_t>{1, 2, 3});
    uint8_t buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3);
    EXPECT_EQ(buf[2], 3);
    s.SetPosition(1);
    try {
        s.ReadBuffer(buf, 3);
        FAIL() << "a short exact read must fail";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
}

TEST(MemoryStream, WriteGrowsAndSeeksFromEveryOrigin) {
    TMemoryStream s;
    const uint8_t bytes[] = {9, 8, 7, 6};
    s.WriteBuffer(bytes, 4);
    EXPECT_EQ(s.Size(), 4);
    EXPECT_EQ(s.Seek(-1, TSeekOrigin::soEnd), 3);
    EXPECT_EQ(s.Seek(-2, TSeekOrigin::soCurrent), 1);
    EXPECT_EQ(s.Seek(-10, TSeekOrigin::soCurrent), 0);
    s.SetPosition(6);
    s.WriteBuffer(bytes, 1);
    ASSERT_EQ(s.Size(), 7);
    EXPECT_EQ(s.Bytes()[4], 0);
    EXPECT_EQ(s.Bytes()[6], 9);
}

TEST(FileStream, OpenFailureNamesTheFile) {
    const std::string missing = "/nonexistent-dir/none.bin";
    try {
        TFileStream f(missing, TFileMode::fmOpenRead);
        FAIL() << "opening a missing file must fail";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + missing);
    }
    EXPECT_THROW(TFileStream(std::filesystem::temp_directory_path().string(), TFileMode::fmOpenRead),
                 EFOpenError);
}

TEST(FileStream, RoundTripThroughAFile) {
    const auto path = std::filesystem::temp_directory_path() / "velmora-stream-test.bin";
    {
        TFileStream f(path.string(), TFileMode::fmCreate);
        const char text[] = "hello";
        f.WriteBuffer(text, 5);
    }
    const auto bytes = ReadFileBytes(path.string());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "hello");
    std::filesystem::remove(path);
}

TEST(Messages, PlaceholdersFilledInOrder) {
    EXPECT_EQ(FormatMessage(Msg::ValueBetween, {1LL, 250LL}), "Value must be between 1 and 250");
    EXPECT_EQ(FormatMessage(Msg::CannotAssign, {std::string("TWave"), std::string("TDIB")}),
              "Cannot assign a TWave to a TDIB");
    EXPECT_EQ(FormatText("100%% of %s", {std::string("it")}), "100% of it");
    EXPECT_EQ(EAbort().Message(), "Operation aborted");
}
