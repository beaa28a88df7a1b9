#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "keys/keyEvent.hpp"
#include "keys/keyReports.hpp"
#include "keys/terminalFamilies.hpp"

// Turns the bytes a terminal sends into events, one key at a time. Pure: it
// is fed bytes and never touches a terminal, so the terminal source decides
// when to wait for more.

enum class DecodeStatus : std::uint8_t {
  key,       // `event` holds a key or an answer; `length` bytes were used
  skipped,   // `length` bytes were a well-formed sequence that is no key
  needMore,  // the bytes so far are the start of a sequence; nothing used
};

struct Decoded {
  DecodeStatus status = DecodeStatus::needMore;
  std::size_t length = 0;
  // The event, with the bytes that made it.
  KeyEvent event;
};

// Decodes the first key at the start of `bytes`. `inputPaused` says that no
// further byte arrived within the Escape wait: the bytes held are then all
// there is, so a lone ESC is the Escape key and an unfinished sequence is
// decided on what has arrived instead of answering needMore. An empty
// `bytes` always answers needMore. `keyNumbers` says what the number of a
// CSI u report stands for.
Decoded decodeKey(std::string_view bytes, const TerminalFamilyRow& family, bool inputPaused,
                  KeyNumberMeaning keyNumbers = KeyNumberMeaning::unshiftedKey);

inline Decoded decodeKey(std::string_view bytes, TerminalFamily family, bool inputPaused,
                         KeyNumberMeaning keyNumbers = KeyNumberMeaning::unshiftedKey) {
  return decodeKey(bytes, familyRow(family), inputPaused, keyNumbers);
}
