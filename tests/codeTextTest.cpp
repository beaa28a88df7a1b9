#include "table/codeText.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <string>

namespace {

struct CodeTexts {
  int value;
  const char* decimal;
  const char* hexadecimal;
  const char* octal;
};

TEST(CodeToText, GivesTheDigitsInTheThreeTableBases) {
  const CodeTexts cases[] = {
      {0, "0", "0", "0"},        {3, "3", "3", "3"},
      {59, "59", "3b", "73"},    {97, "97", "61", "141"},
      {132, "132", "84", "204"}, {224, "224", "e0", "340"},
      {255, "255", "ff", "377"}, {-1, "-1", "ffffffff", "37777777777"},
  };
  for (const CodeTexts& expected : cases) {
    EXPECT_EQ(codeToText(expected.value, 10), expected.decimal) << "value " << expected.value;
    EXPECT_EQ(codeToText(expected.value, 16), expected.hexadecimal) << "value " << expected.value;
    EXPECT_EQ(codeToText(expected.value, 8), expected.octal) << "value " << expected.value;
  }
}

TEST(CodeToText, EveryByteCodeFitsInThreeDigits) {
  for (int code = 0; code <= 255; ++code) {
    for (const int base : {10, 16, 8}) {
      const std::string text = codeToText(code, base);
      EXPECT_LE(text.size(), 3U) << "code " << code << " base " << base;
      EXPECT_EQ(std::stoi(text, nullptr, base), code) << "code " << code << " base " << base << " gave " << text;
    }
  }
}

// Base 10 alone has a sign; the other bases read the 32 bits unsigned.
TEST(CodeToText, GivesEveryBaseFromTwoToSixteenOverTheWholeRange) {
  EXPECT_EQ(codeToText(INT_MIN, 10), "-2147483648");
  EXPECT_EQ(codeToText(INT_MAX, 10), "2147483647");
  EXPECT_EQ(codeToText(INT_MIN, 16), "80000000");
  EXPECT_EQ(codeToText(INT_MIN, 8), "20000000000");
  EXPECT_EQ(codeToText(-5, 2), "11111111111111111111111111111011");
  EXPECT_EQ(codeToText(255, 2), "11111111");
  EXPECT_EQ(codeToText(35, 3), "1022");
  EXPECT_EQ(codeToText(15, 15), "10");
}

TEST(CodeToTextDeathTest, BaseOutsideTwoToSixteenAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const int base : {1, 17, 0, -16}) {
    EXPECT_EXIT(codeToText(10, base), testing::KilledBySignal(SIGABRT), "") << "base " << base;
  }
}

}  // namespace
