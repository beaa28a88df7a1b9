#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "keys/keyRecord.hpp"

// What --explain writes beside the first row of a key: the key's name and
// what the terminal sent for it (or, on a Windows console, the record).
// Pure: the caller says whether the output takes UTF-8.

struct KeyDetails {
  // The key's first record, the one whose code opens its rows.
  KeyRecord record;
  // The character bytes of all the key's records, in order: C3 A4 for the
  // ä of a UTF-8 terminal, one byte for most keys, none for a key without
  // a character.
  std::string characters;
  // The bytes the terminal sent for the key; nothing where a console
  // delivers records instead of bytes.
  std::optional<std::string> bytes;
};

// The details of a key a terminal sent: its first record, the records that
// follow it from the same bytes, and those bytes.
KeyDetails terminalKeyDetails(const KeyRecord& first, std::span<const KeyRecord> following, std::string_view bytes);

// The key's name: the modifiers in the order Ctrl, Alt, Shift and the key
// as on a US PC keyboard, joined with '+' ("Ctrl+Up", "Shift+A", "Keypad
// 5"); a character with no key on that keyboard by the character itself
// ("ä"), as its \xNN bytes where the output takes no UTF-8 or the bytes are
// no printable character.
std::string keyNameText(const KeyDetails& details, bool utf8Output);

// The bytes as a C string literal: "\e[1;5A", "a", "\x7f", "\r".
std::string quotedBytes(std::string_view bytes);

// A console record's key fields: "scan 0x48 vk 0x26 enhanced left-ctrl".
std::string recordFieldsText(const KeyRecord& record);

// The whole annotation: the name, two spaces, and the quoted bytes or the
// record's fields. Never holds a control byte.
std::string keyExplanation(const KeyDetails& details, bool utf8Output);
