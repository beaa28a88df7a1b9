#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "keys/keyEvent.hpp"

// What --explain writes beside the first row of a key: the key's name and
// what the terminal sent for it (or, on a Windows console, the record).
// Pure: the caller says whether the output takes UTF-8.

struct KeyDetails {
  // The key's event: its place, flags and, on a terminal, the bytes the
  // terminal sent; on a Windows console the record's fields instead.
  KeyEvent event;
  // The character bytes the key gave: C3 A4 for the ä of a UTF-8
  // terminal, one byte for most keys, none for a key without a character.
  std::string characters;
};

// The details of the key of an event.
KeyDetails keyDetailsOf(const KeyEvent& event);

// The details of a key if there is one: the reader's last key.
std::optional<KeyDetails> keyDetailsOf(const std::optional<KeyEvent>& event);

// The key's name: the modifiers in the order Ctrl, Alt, Shift and the key
// as on a US PC keyboard, joined with '+' ("Ctrl+Up", "Shift+A", "Keypad
// 5"); a character with no key on that keyboard by the character itself
// ("ä"), as its \xNN bytes where the output takes no UTF-8 or the bytes are
// no printable character.
std::string keyNameText(const KeyDetails& details, bool utf8Output);

// The bytes as a C string literal: "\e[1;5A", "a", "\x7f", "\r".
std::string quotedBytes(std::string_view bytes);

// A console record's key fields: "scan 0x48 vk 0x26 enhanced left-ctrl".
std::string recordFieldsText(const KeyEvent& record);

// The whole annotation: the name, two spaces, and the quoted bytes or the
// record's fields. Never holds a control byte.
std::string keyExplanation(const KeyDetails& details, bool utf8Output);
