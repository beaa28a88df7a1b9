#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The name of each key of a US PC keyboard, by scan code: what --explain
// calls a key, and what the key reference (docs/keys.md and the manual page)
// lists, so the three always agree.

struct KeyName {
  std::uint16_t scanCode;
  // The console marks the cursor block, keypad Enter and keypad slash as
  // enhanced keys; their scan codes are those of keypad keys.
  bool enhanced;
  std::string_view name;
};

// The key named so, e.g. "Up" or "Keypad 5"; nothing for a scan code no key
// of the table has (the modifier and lock keys among them).
std::optional<std::string_view> keyNameOf(std::uint16_t scanCode, bool enhanced);
