// The normal-key table checked against the keyboard's documented rules for
// two-code keys, written here as ranges and offsets rather than rows.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "keys/keyReader.hpp"

namespace {

constexpr std::array<int, 10> keypadCursorScans{71, 72, 73, 75, 77, 79, 80, 81, 82, 83};
constexpr std::array<int, 10> keypadCursorCtrlCodes{119, 141, 132, 115, 116, 117, 145, 118, 146, 147};

bool between(int scan, int first, int last) { return scan >= first && scan <= last; }

std::optional<KeyPair> documentedPair(int scan, KeyState state) {
  const auto pair = [](int lead, int second) {
    return KeyPair{static_cast<unsigned char>(lead), static_cast<unsigned char>(second)};
  };
  const bool functionKey = between(scan, 59, 68);
  if (scan == 87 || scan == 88) {
    return pair(224, 133 + (scan - 87) + 2 * static_cast<int>(state));
  }
  switch (state) {
    case plainState:
      if (functionKey) return pair(0, scan);
      for (const int keypadScan : keypadCursorScans) {
        if (scan == keypadScan) return pair(0, scan);
      }
      return std::nullopt;
    case shiftState:
      if (functionKey) return pair(0, scan + 25);
      if (scan == 15) return pair(0, 15);
      return std::nullopt;
    case ctrlState:
      if (functionKey) return pair(0, scan + 35);
      if (scan == 3) return pair(0, 3);
      if (scan == 15) return pair(0, 148);
      for (std::size_t index = 0; index < keypadCursorScans.size(); ++index) {
        if (scan == keypadCursorScans[index]) return pair(0, keypadCursorCtrlCodes[index]);
      }
      return std::nullopt;
    case altState:
      if (functionKey) return pair(0, scan + 45);
      if (between(scan, 2, 13)) return pair(0, scan + 118);
      if (scan == 1 || scan == 14 || scan == 15 || between(scan, 16, 28) || between(scan, 30, 41) ||
          between(scan, 44, 53)) {
        return pair(0, scan);
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// The pair a console's key record without a character gives.
std::optional<KeyPair> lookupKey(std::uint16_t scanCode, std::uint32_t flags) {
  KeyEvent record;
  record.scanCode = scanCode;
  record.controlKeyState = flags;
  record.text.emplace();
  return codesOf(record).pair;
}

constexpr std::array<std::uint32_t, keyStateCount> flagsOfState{0, shiftPressed, leftCtrlPressed, leftAltPressed};

TEST(NormalKeys, EveryCountingPairFollowsTheKeyboardRules) {
  for (int scan = 0; scan < 89; ++scan) {
    for (int state = plainState; state < keyStateCount; ++state) {
      const std::optional<KeyPair> found = lookupKey(static_cast<std::uint16_t>(scan), flagsOfState[state]);
      const std::optional<KeyPair> documented = documentedPair(scan, static_cast<KeyState>(state));
      ASSERT_EQ(found.has_value(), documented.has_value()) << "scan " << scan << " state " << state;
      if (found) {
        EXPECT_EQ(found->lead, documented->lead) << "scan " << scan << " state " << state;
        EXPECT_EQ(found->second, documented->second) << "scan " << scan << " state " << state;
      }
    }
  }
}

TEST(NormalKeys, PlainRowsHoldTheCharactersOfAUsKeyboard) {
  // The character pairs never count, but they are what a key gives: the
  // terminal decoder relies on them to know the character of a key.
  const char* const lowerRows[] = {"1234567890-=", "qwertyuiop[]", "asdfghjkl;'`", "zxcvbnm,./"};
  const char* const upperRows[] = {"!@#$%^&*()_+", "QWERTYUIOP{}", "ASDFGHJKL:\"~", "ZXCVBNM<>?"};
  const int firstScans[] = {2, 16, 30, 44};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; lowerRows[row][column] != '\0'; ++column) {
      const int scan = firstScans[row] + column;
      EXPECT_EQ(NormalKeys[scan][plainState].lead, static_cast<unsigned char>(lowerRows[row][column]))
          << "scan " << scan;
      EXPECT_EQ(NormalKeys[scan][shiftState].lead, static_cast<unsigned char>(upperRows[row][column]))
          << "scan " << scan;
    }
  }
}

TEST(EnhancedKeys, CursorBlockKeysUseLead224ExceptWithAlt) {
  for (const EnhancedKeyRow& row : EnhancedKeys) {
    if (row.scanCode == 0x1C || row.scanCode == 0x35) {
      continue;
    }
    EXPECT_EQ(row.pairs[plainState].lead, 224) << "scan " << row.scanCode;
    EXPECT_EQ(row.pairs[plainState].second, row.scanCode) << "scan " << row.scanCode;
    EXPECT_EQ(row.pairs[shiftState].second, row.scanCode) << "scan " << row.scanCode;
    EXPECT_EQ(row.pairs[altState].lead, 0) << "scan " << row.scanCode;
    EXPECT_EQ(row.pairs[altState].second, row.scanCode + 80) << "scan " << row.scanCode;
  }
}

struct EnhancedColumns {
  std::uint16_t scanCode;
  const char* key;
  KeyPair shift;
  KeyPair ctrl;
};

// The Shift and Ctrl columns as the keyboard documentation gives them,
// written out rather than derived, so that a wrong table value stands out.
TEST(EnhancedKeys, ShiftAndCtrlColumnsAreTheDocumentedPairs) {
  // clang-format off
  const std::vector<EnhancedColumns> documented = {
      // scan  key              Shift       Ctrl
      {0x1C,   "keypad Enter",  {13, 0},    {10, 0}},
      {0x35,   "keypad slash",  {63, 0},    {0, 149}},
      {0x47,   "Home",          {224, 71},  {224, 119}},
      {0x48,   "Up",            {224, 72},  {224, 141}},
      {0x49,   "Page Up",       {224, 73},  {224, 134}},
      {0x4B,   "Left",          {224, 75},  {224, 115}},
      {0x4D,   "Right",         {224, 77},  {224, 116}},
      {0x4F,   "End",           {224, 79},  {224, 117}},
      {0x50,   "Down",          {224, 80},  {224, 145}},
      {0x51,   "Page Down",     {224, 81},  {224, 118}},
      {0x52,   "Insert",        {224, 82},  {224, 146}},
      {0x53,   "Delete",        {224, 83},  {224, 147}},
  };
  // clang-format on
  ASSERT_EQ(documented.size(), EnhancedKeys.size());
  for (const EnhancedColumns& row : documented) {
    for (const auto& [flags, pair] : {std::pair{shiftPressed, row.shift}, std::pair{leftCtrlPressed, row.ctrl}}) {
      const std::optional<KeyPair> found = lookupKey(row.scanCode, enhancedKey | flags);
      ASSERT_TRUE(found.has_value()) << row.key;
      EXPECT_EQ(found->lead, pair.lead) << row.key << " flags 0x" << std::hex << flags;
      EXPECT_EQ(found->second, pair.second) << row.key << " flags 0x" << std::hex << flags;
    }
  }
}

}  // namespace
