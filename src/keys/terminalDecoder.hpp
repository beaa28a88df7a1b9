#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "keys/keyRecord.hpp"
#include "keys/keyReports.hpp"
#include "keys/terminalSequences.hpp"

// Turns the bytes a terminal sends into key event records, one key at a
// time. Pure: it is fed bytes and never touches a terminal, so the terminal
// source decides when to wait for more.

enum class DecodeStatus : std::uint8_t {
  key,       // `record` holds a key; `length` bytes were used
  skipped,   // `length` bytes were a well-formed sequence that is no key
  needMore,  // the bytes so far are the start of a sequence; nothing used
};

struct DecodeResult {
  DecodeStatus status = DecodeStatus::needMore;
  std::size_t length = 0;
  KeyRecord record;
  // Further records the same bytes give, in order after `record`: a key
  // whose character takes several bytes (a UTF-8 character, or a key report
  // of one) gives one record per byte, and a report's text of several
  // characters the records of each. Empty for every other key.
  std::vector<KeyRecord> moreRecords;
};

// Decodes the first key at the start of `bytes`. `inputPaused` says that no
// further byte arrived within the Escape wait: the bytes held are then all
// there is, so a lone ESC is the Escape key and an unfinished sequence is
// decided on what has arrived instead of answering needMore. An empty
// `bytes` always answers needMore. `keyNumbers` says what the number of a
// CSI u report stands for.
DecodeResult decodeKey(std::string_view bytes, TerminalFamily family, bool inputPaused,
                       KeyNumberMeaning keyNumbers = KeyNumberMeaning::unshiftedKey);
