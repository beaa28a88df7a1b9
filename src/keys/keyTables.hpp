#pragma once

#include <array>
#include <cstdint>

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
