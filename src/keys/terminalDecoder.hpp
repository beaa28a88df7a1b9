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

// What a sequence cut at its length limit still has to come: its rest is
// skipped as it arrives, up to its end, without being held.
enum class SequenceRest : std::uint8_t {
  none,
  controlSequence,  // CSI or SS3: parameter and intermediate bytes, then a final byte
  string,           // OSC, DCS, APC, PM, SOS: up to BEL or ST (ESC \)
};

struct Decoded {
  DecodeStatus status = DecodeStatus::needMore;
  std::size_t length = 0;
  // The event, with the bytes that made it.
  KeyEvent event;
  // With skipped: the sequence goes on past the bytes used.
  SequenceRest rest = SequenceRest::none;
};

// How much of `bytes` belongs to the rest of a sequence cut at its length
// limit, and whether its end is among them. The end is the final byte or
// the string terminator, which belong to the rest, or a byte that no
// sequence holds (a control byte, ESC before anything but \), which does
// not and starts the next key. An ESC at the end of a string's bytes waits
// for the byte after it until input has paused.
struct SkippedRest {
  std::size_t length = 0;
  bool ended = false;
};
SkippedRest skipSequenceRest(std::string_view bytes, SequenceRest rest, bool inputPaused);

// How the terminal reports keys under the keyboard mode in force.
struct KeyReporting {
  // What the number of a CSI u report stands for.
  KeyNumberMeaning keyNumbers = KeyNumberMeaning::unshiftedKey;
  // modifyOtherKeys 2 is known to be on, so Ctrl+H comes as CSI 27;5;104~
  // and the bare 0x08 that xterm sends can only be Ctrl+Backspace.
  bool ctrlHReported = false;
};

// Decodes the first key at the start of `bytes`. `inputPaused` says that no
// further byte arrived within the Escape wait: the bytes held are then all
// there is, so a lone ESC is the Escape key and an unfinished sequence is
// decided on what has arrived instead of answering needMore. An empty
// `bytes` always answers needMore. `reporting` says how the terminal
// reports keys.
Decoded decodeKey(std::string_view bytes, const TerminalFamilyRow& family, bool inputPaused,
                  KeyReporting reporting = {});

inline Decoded decodeKey(std::string_view bytes, TerminalFamily family, bool inputPaused, KeyReporting reporting = {}) {
  return decodeKey(bytes, familyRow(family), inputPaused, reporting);
}

// Whether the bytes held could be the start of an answer to the keyboard
// query (ESC [ ? 6 2 ;), which a slow link may deliver a byte at a time.
bool couldStartAnswer(std::string_view bytes);
