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
};

// The codes in the order the reader gives them, a byte each: the lead and
// the second code of a pair, or the characters.
std::string codeSequence(const KeyCodes& codes);

// The codes of an event, consulting the tables at most once:
// - no code for anything but a key going down (or repeating);
// - the text, byte by byte, when the key typed some;
// - otherwise the tables by scan code in the state of the modifiers (Alt
//   before Ctrl before Shift): an enhanced key's pair as it stands; another
//   key's pair only when it is a real two-code pair; and, for a key whose
//   source named only its place, the character the tables hold for it.
KeyCodes codesOf(const KeyEvent& event);

// Whether an event gives any code.
bool givesCode(const KeyEvent& event);
