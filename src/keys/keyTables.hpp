#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The PC extended keyboard codes. A key that carries no character is
// delivered as a lead code (0 or 224) followed by a second code.
struct KeyPair {
  unsigned char lead;
  unsigned char second;
};

// The modifier states a key is looked up in, in column order.
enum KeyState : std::uint8_t { plainState, shiftState, ctrlState, altState, keyStateCount };

using KeyPairs = std::array<KeyPair, keyStateCount>;

struct EnhancedKeyRow {
  std::uint16_t scanCode;
  KeyPairs pairs;
};

// Keys whose records carry the enhanced-key flag: the cursor block, the
// keypad Enter and the keypad slash. Searched in table order by scan code.
extern const std::array<EnhancedKeyRow, 12> EnhancedKeys;

// Every other key, indexed by scan code 0 to 88. Most pairs are the
// character the key gives in that state followed by 0; those never count,
// because the console supplies the character itself.
extern const std::array<KeyPairs, 89> NormalKeys;

// What the tables mean, in one place for the reader, the terminal decoder
// and the key reference.

// The modifier state a key is looked up in: Alt before Ctrl before Shift, so
// Ctrl+Alt counts as Alt and Ctrl+Shift as Ctrl.
KeyState keyStateOf(std::uint32_t controlKeyState);

// The tables' pair for a key in the modifier state of `controlKeyState`,
// character pairs included: from EnhancedKeys when the enhanced-key flag is
// set, else from NormalKeys by scan code. Nothing for a key with no row.
std::optional<KeyPair> tablePairOf(std::uint16_t scanCode, std::uint32_t controlKeyState);

// 0 and 224 start the two codes of a key that carries no character.
bool isLeadCode(unsigned char code);

// A pair that holds a character, (character, 0), rather than a lead code and
// a second code. Such a pair of NormalKeys never counts as a two-code key:
// the console supplies the character itself.
bool isCharacterPair(KeyPair pair);

// The character of a character pair; 0 for a two-code pair.
unsigned char characterOf(KeyPair pair);
