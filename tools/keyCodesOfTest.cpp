// The codes the key reference gives a key: a pair, a character, or nothing,
// checked against the extended keyboard codes as the keyboard documents them.

#include <gtest/gtest.h>

#include <vector>

#include "keyCodesOf.hpp"

namespace {

TEST(CodesOfKey, AFunctionKeyGivesItsLeadAndSecondCode) {
  EXPECT_EQ(codesOfKey({"F1", 59, false}, plainState), (std::vector<int>{0, 59}));
  EXPECT_EQ(codesOfKey({"F1", 59, false}, altState), (std::vector<int>{0, 104}));
  EXPECT_EQ(codesOfKey({"F12", 88, false}, shiftState), (std::vector<int>{224, 136}));
}

TEST(CodesOfKey, AnEnhancedCursorKeyGivesThePairOfItsState) {
  EXPECT_EQ(codesOfKey({"Up", 0x48, true}, plainState), (std::vector<int>{224, 72}));
  EXPECT_EQ(codesOfKey({"Up", 0x48, true}, ctrlState), (std::vector<int>{224, 141}));
  EXPECT_EQ(codesOfKey({"Up", 0x48, true}, altState), (std::vector<int>{0, 152}));
}

TEST(CodesOfKey, AKeyWithACharacterGivesThatCharacterAlone) {
  EXPECT_EQ(codesOfKey({"A", 30, false}, plainState), (std::vector<int>{'a'}));
  EXPECT_EQ(codesOfKey({"A", 30, false}, shiftState), (std::vector<int>{'A'}));
  EXPECT_EQ(codesOfKey({"A", 30, false}, ctrlState), (std::vector<int>{1}));
  EXPECT_EQ(codesOfKey({"A", 30, false}, altState), (std::vector<int>{0, 30}));
}

TEST(CodesOfKey, AnEnhancedKeyWithACharacterGivesNoSecondCode) {
  // Keypad Enter carries carriage return: one row, not 13 followed by 0.
  EXPECT_EQ(codesOfKey({"Keypad Enter", 0x1C, true}, plainState), (std::vector<int>{13}));
  EXPECT_EQ(codesOfKey({"Keypad slash", 0x35, true}, shiftState), (std::vector<int>{'?'}));
  EXPECT_EQ(codesOfKey({"Keypad slash", 0x35, true}, ctrlState), (std::vector<int>{0, 149}));
}

TEST(CodesOfKey, AKeyWithNeitherGivesNothing) {
  EXPECT_TRUE(codesOfKey({"1", 2, false}, ctrlState).empty());
  EXPECT_TRUE(codesOfKey({"Keypad 5", 76, false}, plainState).empty());
  EXPECT_TRUE(codesOfKey({"Backslash", 43, false}, altState).empty());
}

TEST(CodesOfKey, AScanCodeBeyondTheTablesGivesNothing) {
  EXPECT_TRUE(codesOfKey({"beyond", 200, false}, plainState).empty());
  EXPECT_TRUE(codesOfKey({"no enhanced row", 0x10, true}, plainState).empty());
}

TEST(VisibleCharacter, SpaceControlsAndBytesAboveAsciiAreNotShown) {
  EXPECT_FALSE(isVisibleCharacter(' '));
  EXPECT_TRUE(isVisibleCharacter('!'));
  EXPECT_TRUE(isVisibleCharacter('~'));
  EXPECT_FALSE(isVisibleCharacter(127));
  EXPECT_FALSE(isVisibleCharacter(13));
  EXPECT_FALSE(isVisibleCharacter(224));
}

TEST(CodesCell, ShowsTwoCodesOrOneCodeWithItsVisibleCharacter) {
  const auto bracketed = [](char character) { return std::string{'[', character, ']'}; };
  EXPECT_EQ(codesCell({0, 59}, "-", bracketed), "0, 59");
  EXPECT_EQ(codesCell({97}, "-", bracketed), "97 [a]");
  EXPECT_EQ(codesCell({13}, "-", bracketed), "13") << "a control character is not shown";
  EXPECT_EQ(codesCell({59, 0}, "-", bracketed), "59, 0") << "no character after a pair";
  EXPECT_EQ(codesCell({}, "-", bracketed), "-");
}

}  // namespace
