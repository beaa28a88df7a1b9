#pragma once

#include <optional>
#include <string>

#include "keys/keyEvent.hpp"
#include "keys/keyTables.hpp"

// What one event gives the reader: nothing, a two-code pair, or the bytes
// of what the key typed, each byte a code of its own.
struct KeyCodes {
  std::optional<KeyPair> pair;
  std::string characters;

  [[nodiscard]] bool empty() const { return !pair && characters.empty(); }
  // The number of codes: two for a pair, one per character byte.
  [[nodiscard]] std::size_t size() const { return pair ? 2 : characters.size(); }
  // The code at `index` (below size()), 0..255.
  [[nodiscard]] int operator[](std::size_t index) const;
};

// The codes of an event, consulting the tables at most once:
// - no code for anything but a key going down (or repeating);
// - the text, byte by byte, when the key typed some;
// - otherwise the tables by scan code in the state of the modifiers (Alt
//   before Ctrl before Shift): an enhanced key's pair as it stands; another
//   key's pair only when it is a real two-code pair; and, for a key whose
//   source named only its place, the character the tables hold for it.
KeyCodes codesOf(const KeyEvent& event);
