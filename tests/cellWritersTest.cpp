#include "table/cellWriters.hpp"

#include <gtest/gtest.h>

#include <string>

#include "captureOutput.hpp"

namespace {

std::string centered(const std::string& text, int width) {
  return captureOutput([&] { printCentered(text, width); });
}

std::string spaces(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

struct Padding {
  std::string text;
  int left;
  int right;
};

TEST(PrintCentered, PadsEveryTextLengthTheTableUses) {
  const Padding paddings[] = {
      {"a", 6, 6},       {"97", 5, 6},       {"-1", 5, 6},          {"255", 5, 5},         {"oktal", 4, 4},
      {"Zeichen", 3, 3}, {"ffffffff", 2, 3}, {"hexadezimal", 1, 1}, {"37777777777", 1, 1},
  };
  for (const Padding& padding : paddings) {
    const std::string expected = spaces(padding.left) + padding.text + spaces(padding.right);
    EXPECT_EQ(centered(padding.text, 13), expected) << "text \"" << padding.text << "\"";
  }
}

TEST(PrintCentered, EmptyTextPutsTheOddSpaceOnTheRight) { EXPECT_EQ(centered("", 13), spaces(6) + spaces(7)); }

TEST(PrintCentered, NulByteOccupiesItsColumn) {
  const std::string cell = centered(std::string(1, '\0'), 13);
  ASSERT_EQ(cell.size(), 13U) << visibleBytes(cell);
  EXPECT_EQ(cell, spaces(6) + std::string(1, '\0') + spaces(6)) << visibleBytes(cell);
}

TEST(PrintCentered, HighByteIsWrittenUnchanged) {
  EXPECT_EQ(centered("\xe0", 13), spaces(6) + "\xe0" + spaces(6)) << visibleBytes(centered("\xe0", 13));
}

TEST(PrintCentered, TextAsWideAsTheFieldHasNoPadding) { EXPECT_EQ(centered("abcdefghijklm", 13), "abcdefghijklm"); }

TEST(PrintCentered, TextWiderThanTheFieldIsWrittenInFullWithoutPadding) {
  EXPECT_EQ(centered("abcdefghijklmnop", 13), "abcdefghijklmnop");
}

TEST(RepeatChar, WritesTheCharacterCountTimes) {
  EXPECT_EQ(captureOutput([] { repeatChar('-', 55); }), std::string(55, '-'));
  EXPECT_EQ(captureOutput([] { repeatChar('x', 1); }), "x");
}

TEST(RepeatChar, ZeroOrNegativeCountWritesNothing) {
  EXPECT_EQ(captureOutput([] { repeatChar('-', 0); }), "");
  EXPECT_EQ(captureOutput([] { repeatChar('-', -1); }), "");
  EXPECT_EQ(captureOutput([] { repeatChar('-', -2147483647 - 1); }), "");
}

TEST(PrintCode, WritesTheCodeTextCentred) {
  EXPECT_EQ(captureOutput([] { printCode(97, 13, 10); }), spaces(5) + "97" + spaces(6));
  EXPECT_EQ(captureOutput([] { printCode(224, 13, 16); }), spaces(5) + "e0" + spaces(6));
  EXPECT_EQ(captureOutput([] { printCode(-1, 13, 16); }), spaces(2) + "ffffffff" + spaces(3));
  EXPECT_EQ(captureOutput([] { printCode(-1, 13, 8); }), spaces(1) + "37777777777" + spaces(1));
}

}  // namespace
