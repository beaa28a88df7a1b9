#include "keys/keyNames.hpp"

#include <algorithm>
#include <array>

namespace {

// clang-format off
constexpr auto keyNames = std::to_array<KeyName>({
    // scan  enhanced  name
    {1,      false,    "Escape"},
    {2,      false,    "1"},
    {3,      false,    "2"},
    {4,      false,    "3"},
    {5,      false,    "4"},
    {6,      false,    "5"},
    {7,      false,    "6"},
    {8,      false,    "7"},
    {9,      false,    "8"},
    {10,     false,    "9"},
    {11,     false,    "0"},
    {12,     false,    "Minus"},
    {13,     false,    "Equals"},
    {14,     false,    "Backspace"},
    {15,     false,    "Tab"},
    {16,     false,    "Q"},
    {17,     false,    "W"},
    {18,     false,    "E"},
    {19,     false,    "R"},
    {20,     false,    "T"},
    {21,     false,    "Y"},
    {22,     false,    "U"},
    {23,     false,    "I"},
    {24,     false,    "O"},
    {25,     false,    "P"},
    {26,     false,    "Left bracket"},
    {27,     false,    "Right bracket"},
    {28,     false,    "Enter"},
    {30,     false,    "A"},
    {31,     false,    "S"},
    {32,     false,    "D"},
    {33,     false,    "F"},
    {34,     false,    "G"},
    {35,     false,    "H"},
    {36,     false,    "J"},
    {37,     false,    "K"},
    {38,     false,    "L"},
    {39,     false,    "Semicolon"},
    {40,     false,    "Apostrophe"},
    {41,     false,    "Grave accent"},
    {43,     false,    "Backslash"},
    {44,     false,    "Z"},
    {45,     false,    "X"},
    {46,     false,    "C"},
    {47,     false,    "V"},
    {48,     false,    "B"},
    {49,     false,    "N"},
    {50,     false,    "M"},
    {51,     false,    "Comma"},
    {52,     false,    "Full stop"},
    {53,     false,    "Slash"},
    {55,     false,    "Keypad asterisk"},
    {57,     false,    "Space"},
    {59,     false,    "F1"},
    {60,     false,    "F2"},
    {61,     false,    "F3"},
    {62,     false,    "F4"},
    {63,     false,    "F5"},
    {64,     false,    "F6"},
    {65,     false,    "F7"},
    {66,     false,    "F8"},
    {67,     false,    "F9"},
    {68,     false,    "F10"},
    {71,     false,    "Keypad 7 (Home)"},
    {72,     false,    "Keypad 8 (Up)"},
    {73,     false,    "Keypad 9 (Page Up)"},
    {74,     false,    "Keypad minus"},
    {75,     false,    "Keypad 4 (Left)"},
    {76,     false,    "Keypad 5"},
    {77,     false,    "Keypad 6 (Right)"},
    {78,     false,    "Keypad plus"},
    {79,     false,    "Keypad 1 (End)"},
    {80,     false,    "Keypad 2 (Down)"},
    {81,     false,    "Keypad 3 (Page Down)"},
    {82,     false,    "Keypad 0 (Insert)"},
    {83,     false,    "Keypad full stop (Delete)"},
    {86,     false,    "Extra backslash (102-key)"},
    {87,     false,    "F11"},
    {88,     false,    "F12"},
    {0x1C,   true,     "Keypad Enter"},
    {0x35,   true,     "Keypad slash"},
    {0x47,   true,     "Home"},
    {0x48,   true,     "Up"},
    {0x49,   true,     "Page Up"},
    {0x4B,   true,     "Left"},
    {0x4D,   true,     "Right"},
    {0x4F,   true,     "End"},
    {0x50,   true,     "Down"},
    {0x51,   true,     "Page Down"},
    {0x52,   true,     "Insert"},
    {0x53,   true,     "Delete"},
});
// clang-format on

}  // namespace

std::optional<std::string_view> keyNameOf(std::uint16_t scanCode, bool enhanced) {
  const auto* row = std::find_if(keyNames.begin(), keyNames.end(), [&](const KeyName& candidate) {
    return candidate.scanCode == scanCode && candidate.enhanced == enhanced;
  });
  if (row == keyNames.end()) {
    return std::nullopt;
  }
  return row->name;
}
