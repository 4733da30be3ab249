// SPDX-License-Identifier: GPL-3.0-or-later
// Name lists: line rules and the selection rules of the two drop-down lists.

#include "library/NameLists.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> Split(const std::string& text) {
    return SplitNameList(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}
using Names = std::vector<std::string>;
} // namespace

TEST(NameLists, EachLineBreakFormEndsOneLine) {
    EXPECT_EQ(Split("A\r\nB\r\n"), (Names{"A", "B"}));
    EXPECT_EQ(Split("A\r\n\r\nB\r\n"), (Names{"A", "", "B"}));
    EXPECT_EQ(Split("A\nB\rC"), (Names{"A", "B", "C"}));
    EXPECT_EQ(Split("A\n\rB"), (Names{"A", "", "B"})) << "LF then CR is two breaks";
    EXPECT_EQ(Split("A\r\r\nB"), (Names{"A", "", "B"}));
}

TEST(NameLists, TheEndAndZeroBytes) {
    EXPECT_EQ(Split(""), Names{});
    EXPECT_EQ(Split("A"), Names{"A"});
    EXPECT_EQ(Split("\r\n"), Names{""});
    EXPECT_EQ(Split("A\r\n\r\n"), (Names{"A", ""}));
    EXPECT_EQ(Split(std::string("A\r\nB\0C\r\nD", 10)), (Names{"A", "B"}));
    EXPECT_EQ(Split(std::string("\0A", 2)), Names{});
    // A CR as the very last byte: the LF that could follow is past the end.
    EXPECT_EQ(Split("A\r"), Names{"A"});
}

TEST(NameLists, LinesAreKeptAsTheyAre) {
    EXPECT_EQ(Split(" A \t\r\n  \r\n"), (Names{" A \t", "  "}));
}

TEST(NameLists, EightBitTextIsReadAsUtf8OrWindows1252) {
    EXPECT_EQ(Split("Caf\xc3\xa9\r\n"), Names{"Caf\xc3\xa9"});
    EXPECT_EQ(Split("Caf\xe9\r\n"), Names{"Caf\xc3\xa9"});
    EXPECT_EQ(Split("\x80uro"), Names{"\xe2\x82\xac"
                                      "uro"});
    EXPECT_EQ(SystemTextToUtf8("\xc3"), "\xc3\x83") << "a cut UTF-8 sequence";
    EXPECT_EQ(SystemTextToUtf8("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac") << "a surrogate";
}

TEST(NameLists, SelectionFollowsDropDownRules) {
    TNameList list({"A", "B", ""}, 1);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.Text(), "B");
    list.SetItemIndex(3);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    list.SetItemIndex(-5);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.SetItemIndex(2);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(list.Text(), "");
    list.SetItems({"X"});
    EXPECT_EQ(list.ItemIndex(), -1) << "replacing the items clears the selection";
    EXPECT_EQ(list.Count(), 1);
}
