// The codes the key reference gives a key, and how its cells show them. The
// reference documents themselves are checked against the tables by the
// key_reference tests.

#include <gtest/gtest.h>

#include <vector>

#include "keyCodesOf.hpp"

namespace {

// A key known by its place types what the tables hold for it: a character
// alone, even where an enhanced row's pair has a second code of 0 (a
// console's record of keypad Enter without its character would give 13, 0).
TEST(CodesOfKey, AKeyByItsPlaceGivesItsCharacterOrItsPair) {
  EXPECT_EQ(codesOfKey({"Keypad Enter", 0x1C, true}, plainState), (std::vector<int>{13}));
  EXPECT_EQ(codesOfKey({"Keypad slash", 0x35, true}, shiftState), (std::vector<int>{'?'}));
  EXPECT_EQ(codesOfKey({"Keypad slash", 0x35, true}, ctrlState), (std::vector<int>{0, 149}));
  EXPECT_EQ(codesOfKey({"A", 30, false}, ctrlState), (std::vector<int>{1}));
  EXPECT_TRUE(codesOfKey({"1", 2, false}, ctrlState).empty());
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
