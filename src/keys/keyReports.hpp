#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "keys/keyEvent.hpp"

// What a key report names a key by, and what the key typed: the kitty
// keyboard protocol's CSI code:shifted:base ; modifiers:event ; text u and
// xterm's modifyOtherKeys (CSI 27 ; modifiers ; character ~, or CSI
// character ; modifiers u where tmux and xterm's formatOtherKeys send it).
// Pure: the decoder parses the fields, this turns them into an event.

// What the number of a CSI u report stands for. The two protocols share the
// form; the terminal source knows which one the terminal speaks from its
// answer to the keyboard query.
enum class KeyNumberMeaning : std::uint8_t {
  // The kitty keyboard protocol: the key as typed without Shift; the
  // shifted key and the text say what it typed with it.
  unshiftedKey,
  // modifyOtherKeys: the character the key typed, Shift already applied.
  typedCharacter,
};

// The bits of a modifier parameter, less 1. Super (8) and kitty's Meta
// (32) count as Alt, as a console has neither; Hyper (16) counts for
// nothing.
constexpr unsigned shiftBit = 1;
constexpr unsigned altBit = 2;
constexpr unsigned ctrlBit = 4;
constexpr unsigned superBit = 8;
constexpr unsigned metaBit = 32;
constexpr unsigned capsLockBit = 64;
constexpr unsigned numLockBit = 128;

// The bits a modifier parameter holds: the parameter less 1, none where it
// is missing or below 1.
unsigned modifierBitsOf(int parameter);

// The console's control-key flags for Shift, Alt and Ctrl among `bits`.
std::uint32_t modifierFlagsOf(unsigned bits);

struct KeyReport {
  // The key's number: a Unicode code point or a functional key number; 0
  // where the report gives none.
  std::uint32_t keyNumber = 0;
  // The kitty protocol's alternate keys, 0 where not reported: the key
  // with Shift, and the key of the US PC layout at the same place.
  std::uint32_t shiftedKey = 0;
  std::uint32_t baseLayoutKey = 0;
  unsigned modifierBits = 0;
  KeyAction action = KeyAction::press;
  // The text the key typed, as code points.
  std::u32string text;
  KeyNumberMeaning meaning = KeyNumberMeaning::unshiftedKey;
};

// The event of a reported key: the key by its place where the tables know
// what it gives (its character or its pair), else what it typed as text,
// a character of code point 128 or more as its UTF-8 bytes, as a UTF-8
// terminal sends it. A release types nothing.
KeyEvent eventOfReport(const KeyReport& report);
