#include "keys/keySequences.hpp"

#include <algorithm>
#include <array>

#include "keys/asciiBytes.hpp"
#include "keys/scanCodes.hpp"
#include "keys/usLayout.hpp"

namespace {

constexpr PcKey plainKey(std::uint16_t scanCode, std::uint32_t flags = 0) { return {scanCode, flags, 0}; }
constexpr PcKey enhancedKeyOf(std::uint16_t scanCode, std::uint32_t flags = 0) {
  return {scanCode, enhancedKey | flags, 0};
}
// A keypad key whose character (Num Lock on) the tables' plain column does
// not give.
constexpr PcKey keypadKey(std::uint16_t scanCode, unsigned char text) { return {scanCode, 0, text}; }

// The cursor block, keypad Enter and keypad slash carry the enhanced flag.
constexpr PcKey home = enhancedKeyOf(0x47);
constexpr PcKey up = enhancedKeyOf(0x48);
constexpr PcKey pageUp = enhancedKeyOf(0x49);
constexpr PcKey left = enhancedKeyOf(0x4B);
constexpr PcKey right = enhancedKeyOf(0x4D);
constexpr PcKey end = enhancedKeyOf(0x4F);
constexpr PcKey down = enhancedKeyOf(0x50);
constexpr PcKey pageDown = enhancedKeyOf(0x51);
constexpr PcKey insert = enhancedKeyOf(0x52);
constexpr PcKey deleteKey = enhancedKeyOf(0x53);
constexpr PcKey keypadEnter = enhancedKeyOf(0x1C);
constexpr PcKey keypadSlash = enhancedKeyOf(0x35);
constexpr PcKey keypadFive = plainKey(keypadFiveScan);

constexpr PcKey withFlags(PcKey key, std::uint32_t flags) { return {key.scanCode, key.flags | flags, key.text}; }

// F1 to F10 are scan codes 59 to 68, F11 and F12 are 87 and 88.
constexpr PcKey functionKey(int number, std::uint32_t flags = 0) {
  return plainKey(static_cast<std::uint16_t>(number <= 10 ? 58 + number : 76 + number), flags);
}

struct NumberKey {
  int number;
  PcKey key;
};

// CSI n ~. Shift+F1 to Shift+F10 come as F11 to F20 from the terminals that
// have no modifier parameter (rxvt, the Linux console, PuTTY, xterm's VT220
// keyboard); F11 and F12 take the first two numbers, so CSI 23~ and 24~ read
// as F11 and F12 and the rest as Shift+F3 to Shift+F10. No PC key is F13 to
// F20, so every family reads them that way: in the xterm family an F13 key
// sends CSI 1;2P (Shift+F1) instead.
// clang-format off
constexpr auto tildeKeys = std::to_array<NumberKey>({
    // number  key                              sent for
    {1,        home},                           // Home (VT220 Find)
    {2,        insert},                         // Insert
    {3,        deleteKey},                      // Delete
    {4,        end},                            // End (VT220 Select)
    {5,        pageUp},                         // Page Up
    {6,        pageDown},                       // Page Down
    {7,        home},                           // Home in rxvt
    {8,        end},                            // End in rxvt
    {11,       functionKey(1)},                 // F1 (rxvt, PuTTY)
    {12,       functionKey(2)},                 // F2
    {13,       functionKey(3)},                 // F3 (also kitty)
    {14,       functionKey(4)},                 // F4
    {15,       functionKey(5)},                 // F5
    {17,       functionKey(6)},                 // F6
    {18,       functionKey(7)},                 // F7
    {19,       functionKey(8)},                 // F8
    {20,       functionKey(9)},                 // F9
    {21,       functionKey(10)},                // F10
    {23,       functionKey(11)},                // F11, rxvt's Shift+F1
    {24,       functionKey(12)},                // F12, rxvt's Shift+F2
    {25,       functionKey(3, shiftPressed)},   // F13: Shift+F3
    {26,       functionKey(4, shiftPressed)},   // F14: Shift+F4
    {28,       functionKey(5, shiftPressed)},   // F15 (VT220 Help): Shift+F5
    {29,       functionKey(6, shiftPressed)},   // F16 (VT220 Do): Shift+F6
    {31,       functionKey(7, shiftPressed)},   // F17: Shift+F7
    {32,       functionKey(8, shiftPressed)},   // F18: Shift+F8
    {33,       functionKey(9, shiftPressed)},   // F19: Shift+F9
    {34,       functionKey(10, shiftPressed)},  // F20: Shift+F10
});
// clang-format on

struct FinalKey {
  unsigned char final;
  bool inCsi;
  bool inSs3;
  PcKey key;
};

// CSI X, CSI 1;m X and SS3 X. SS3 with a keypad letter is the keypad in
// application mode.
// clang-format off
constexpr auto finalKeys = std::to_array<FinalKey>({
    // final  CSI    SS3    key
    {'A',     true,  true,  up},
    {'B',     true,  true,  down},
    {'C',     true,  true,  right},
    {'D',     true,  true,  left},
    {'H',     true,  true,  home},
    {'F',     true,  true,  end},
    {'E',     true,  true,  keypadFive},                        // keypad 5, Num Lock off
    {'G',     true,  false, keypadFive},                        // keypad 5 in the Linux console
    {'P',     true,  true,  functionKey(1)},
    {'Q',     true,  true,  functionKey(2)},
    {'R',     true,  true,  functionKey(3)},
    {'S',     true,  true,  functionKey(4)},
    {'Z',     true,  false, plainKey(tabScan, shiftPressed)},  // Shift+Tab
    // rxvt: lowercase CSI for Shift, lowercase SS3 for Ctrl.
    {'a',     true,  false, withFlags(up, shiftPressed)},
    {'b',     true,  false, withFlags(down, shiftPressed)},
    {'c',     true,  false, withFlags(right, shiftPressed)},
    {'d',     true,  false, withFlags(left, shiftPressed)},
    {'a',     false, true,  withFlags(up, leftCtrlPressed)},
    {'b',     false, true,  withFlags(down, leftCtrlPressed)},
    {'c',     false, true,  withFlags(right, leftCtrlPressed)},
    {'d',     false, true,  withFlags(left, leftCtrlPressed)},
    // The keypad in application mode.
    {'M',     false, true,  keypadEnter},
    {'I',     false, true,  plainKey(tabScan)},
    {'X',     false, true,  keypadKey(0, '=')},                 // keypad equals: no PC key
    {'j',     false, true,  plainKey(keypadAsteriskScan)},
    {'k',     false, true,  plainKey(keypadPlusScan)},
    {'l',     false, true,  keypadKey(0, ',')},                 // keypad comma: no PC key
    {'m',     false, true,  plainKey(keypadMinusScan)},
    {'n',     false, true,  keypadKey(83, '.')},
    {'o',     false, true,  keypadSlash},
    {'p',     false, true,  keypadKey(82, '0')},
    {'q',     false, true,  keypadKey(79, '1')},
    {'r',     false, true,  keypadKey(80, '2')},
    {'s',     false, true,  keypadKey(81, '3')},
    {'t',     false, true,  keypadKey(75, '4')},
    {'u',     false, true,  keypadKey(76, '5')},
    {'v',     false, true,  keypadKey(77, '6')},
    {'w',     false, true,  keypadKey(71, '7')},
    {'x',     false, true,  keypadKey(72, '8')},
    {'y',     false, true,  keypadKey(73, '9')},
});
// clang-format on

struct StSequence {
  std::string_view parameters;
  unsigned char final;
  PcKey key;
};

// st, keypad not in application mode: it sends the editing functions of
// the keys instead of key sequences.
// clang-format off
constexpr auto stSequences = std::to_array<StSequence>({
    // parameters  final  key
    {"4",          'h',   insert},                                 // insert mode on
    {"4",          'l',   withFlags(insert, shiftPressed)},        // insert mode off
    {"",           'L',   withFlags(insert, leftCtrlPressed)},     // insert line
    {"",           'P',   deleteKey},                              // delete character
    {"2",          'K',   withFlags(deleteKey, shiftPressed)},     // erase line
    {"",           'M',   withFlags(deleteKey, leftCtrlPressed)},  // delete line
    {"2",          'J',   withFlags(home, shiftPressed)},          // erase display
    {"",           'J',   withFlags(end, leftCtrlPressed)},        // erase below
    {"",           'K',   withFlags(end, shiftPressed)},           // erase to end of line
});
// clang-format on

// The kitty keyboard protocol's key numbers that are no printable
// character: the C0 keys and the functional keys of the private use area.
// clang-format off
constexpr auto keyNumberKeys = std::to_array<NumberKey>({
    // number  key                                     name
    {8,        plainKey(backspaceScan)},               // Backspace as Ctrl+H
    {9,        plainKey(tabScan)},                     // TAB
    {13,       plainKey(enterScan)},                   // ENTER
    {27,       plainKey(escapeScan)},                  // ESCAPE
    {127,      plainKey(backspaceScan)},               // BACKSPACE
    {57358,    plainKey(capsLockScan)},                // CAPS_LOCK
    {57359,    plainKey(scrollLockScan)},              // SCROLL_LOCK
    {57360,    plainKey(numLockScan)},                 // NUM_LOCK
    {57361,    enhancedKeyOf(printScreenScan)},        // PRINT_SCREEN
    {57363,    enhancedKeyOf(applicationScan)},        // MENU
    {57376,    plainKey(0x64)},                        // F13
    {57377,    plainKey(0x65)},                        // F14
    {57378,    plainKey(0x66)},                        // F15
    {57379,    plainKey(0x67)},                        // F16
    {57380,    plainKey(0x68)},                        // F17
    {57381,    plainKey(0x69)},                        // F18
    {57382,    plainKey(0x6A)},                        // F19
    {57383,    plainKey(0x6B)},                        // F20
    {57384,    plainKey(0x6C)},                        // F21
    {57385,    plainKey(0x6D)},                        // F22
    {57386,    plainKey(0x6E)},                        // F23
    {57387,    plainKey(0x76)},                        // F24
    {57399,    keypadKey(82, '0')},                    // KP_0
    {57400,    keypadKey(79, '1')},                    // KP_1
    {57401,    keypadKey(80, '2')},                    // KP_2
    {57402,    keypadKey(81, '3')},                    // KP_3
    {57403,    keypadKey(75, '4')},                    // KP_4
    {57404,    keypadKey(76, '5')},                    // KP_5
    {57405,    keypadKey(77, '6')},                    // KP_6
    {57406,    keypadKey(71, '7')},                    // KP_7
    {57407,    keypadKey(72, '8')},                    // KP_8
    {57408,    keypadKey(73, '9')},                    // KP_9
    {57409,    keypadKey(83, '.')},                    // KP_DECIMAL
    {57410,    keypadSlash},                           // KP_DIVIDE
    {57411,    plainKey(keypadAsteriskScan)},          // KP_MULTIPLY
    {57412,    plainKey(keypadMinusScan)},             // KP_SUBTRACT
    {57413,    plainKey(keypadPlusScan)},              // KP_ADD
    {57414,    keypadEnter},                           // KP_ENTER
    {57415,    keypadKey(0, '=')},                     // KP_EQUAL: no PC key
    {57416,    keypadKey(0, ',')},                     // KP_SEPARATOR: no PC key
    {57417,    plainKey(75)},                          // KP_LEFT
    {57418,    plainKey(77)},                          // KP_RIGHT
    {57419,    plainKey(72)},                          // KP_UP
    {57420,    plainKey(80)},                          // KP_DOWN
    {57421,    plainKey(73)},                          // KP_PAGE_UP
    {57422,    plainKey(81)},                          // KP_PAGE_DOWN
    {57423,    plainKey(71)},                          // KP_HOME
    {57424,    plainKey(79)},                          // KP_END
    {57425,    plainKey(82)},                          // KP_INSERT
    {57426,    plainKey(83)},                          // KP_DELETE
    {57427,    keypadFive},                            // KP_BEGIN
    {57441,    plainKey(leftShiftScan)},               // LEFT_SHIFT
    {57442,    plainKey(leftCtrlScan)},                // LEFT_CONTROL
    {57443,    plainKey(leftAltScan)},                 // LEFT_ALT
    {57444,    enhancedKeyOf(leftWindowsScan)},        // LEFT_SUPER
    {57445,    plainKey(0)},                           // LEFT_HYPER
    {57446,    plainKey(0)},                           // LEFT_META
    {57447,    plainKey(rightShiftScan)},              // RIGHT_SHIFT
    {57448,    enhancedKeyOf(leftCtrlScan)},           // RIGHT_CONTROL
    {57449,    enhancedKeyOf(leftAltScan)},            // RIGHT_ALT
    {57450,    enhancedKeyOf(rightWindowsScan)},       // RIGHT_SUPER
    {57451,    plainKey(0)},                           // RIGHT_HYPER
    {57452,    plainKey(0)},                           // RIGHT_META
});
// clang-format on

// Functional key numbers missing above (media keys, F25 to F35, Pause, the
// ISO level shifts) are keys no PC console reports.

template <typename Table>
std::optional<PcKey> keyOfNumber(const Table& table, int number) {
  const auto* row =
      std::find_if(table.begin(), table.end(), [&](const NumberKey& candidate) { return candidate.number == number; });
  if (row == table.end()) {
    return std::nullopt;
  }
  return row->key;
}

}  // namespace

std::optional<PcKey> keyOfTildeNumber(int number) { return keyOfNumber(tildeKeys, number); }

std::optional<PcKey> keyOfLinuxFunctionFinal(unsigned char final) {
  if (final < 'A' || final > 'E') {
    return std::nullopt;
  }
  return functionKey(final - 'A' + 1);
}

std::optional<PcKey> keyOfFinal(unsigned char final, SequenceForm form) {
  const auto* row = std::find_if(finalKeys.begin(), finalKeys.end(), [&](const FinalKey& candidate) {
    return candidate.final == final && (form == SequenceForm::csi ? candidate.inCsi : candidate.inSs3);
  });
  if (row == finalKeys.end()) {
    return std::nullopt;
  }
  return row->key;
}

std::optional<PcKey> keyOfStSequence(std::string_view parameters, unsigned char final) {
  const auto* row = std::find_if(stSequences.begin(), stSequences.end(), [&](const StSequence& candidate) {
    return candidate.parameters == parameters && candidate.final == final;
  });
  if (row == stSequences.end()) {
    return std::nullopt;
  }
  return row->key;
}

std::optional<PcKey> keyOfKeyNumber(std::uint32_t number) {
  if (isPrintableAscii(number)) {
    if (auto key = keyOfCharacter(static_cast<unsigned char>(number))) {
      return key;
    }
  }
  if (number <= lastFunctionalKeyNumber) {
    if (auto key = keyOfNumber(keyNumberKeys, static_cast<int>(number))) {
      return key;
    }
  }
  if (number >= firstFunctionalKeyNumber && number <= lastFunctionalKeyNumber) {
    return PcKey{};
  }
  return std::nullopt;
}
