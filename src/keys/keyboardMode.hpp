#pragma once

#include <cstdint>
#include <string_view>

#include "keys/keyReports.hpp"
#include "keys/terminalFamilies.hpp"

// Which keyboard reporting mode the tool asks of a terminal, decided from its
// family and its answer to the keyboard query: a pure decision, carried out
// by the terminal source.

// CSI ? u asks for the progressive keyboard enhancement flags; CSI c asks for
// the primary device attributes, which every terminal answers. A terminal
// that knows the enhancements answers the first before the second.
constexpr std::string_view keyboardProtocolQuery = "\x1b[?u\x1b[c";

// CSI > 31 u pushes the flags 1 (disambiguate escape codes), 2 (report event
// types, so releases arrive as key-up events), 4 (report alternate keys:
// the shifted key, and the base layout key, the US key at the same place,
// which the Alt pairs follow on every layout), 8 (report all keys as escape
// codes: without it a terminal may send the release of Enter, Tab or
// Backspace as the plain character, which would read as a second press) and
// 16 (report associated text: what the key typed, AltGr's characters
// included); CSI < u pops them.
constexpr std::string_view pushEnhancedKeys = "\x1b[>31u";
constexpr std::string_view popEnhancedKeys = "\x1b[<u";

// CSI > 4 ; 2 m sets xterm's modifyOtherKeys to 2, so modified keys arrive
// as CSI 27 ; m ; k ~; CSI > 4 m puts the resource back to its default.
constexpr std::string_view setModifyOtherKeys = "\x1b[>4;2m";
constexpr std::string_view resetModifyOtherKeys = "\x1b[>4m";

// How long the terminal may take to answer before it counts as one that
// knows neither. Every terminal answers the device attributes, so only one
// that never answers waits this long, once; over a slow link the answers
// still come in time.
constexpr int keyboardQueryWaitMs = 1000;

enum class ProtocolAnswer : std::uint8_t {
  none,      // neither answer has arrived (or no query was sent)
  enhanced,  // the enhancement flags came first
  legacy,    // the device attributes came first
};

struct KeyboardMode {
  // Sent to switch the mode on for the run and off again; empty for none.
  std::string_view enable;
  std::string_view disable;
  // What the number of a CSI u report stands for under this mode.
  KeyNumberMeaning keyNumbers = KeyNumberMeaning::typedCharacter;
};

// The mode for a terminal of `family` that gave `answer`: the kitty
// protocol's flags where it knows them; otherwise modifyOtherKeys where the
// family takes it. CSI u reports are the kitty protocol's only where the
// terminal answered its query; elsewhere they are modifyOtherKeys' (tmux)
// and name the character typed.
KeyboardMode keyboardModeFor(const TerminalFamilyRow& family, ProtocolAnswer answer);
