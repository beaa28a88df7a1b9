#pragma once

#include <cstdint>
#include <string_view>

#include <optional>

#include "keys/keyReports.hpp"
#include "keys/terminalDecoder.hpp"
#include "keys/terminalFamilies.hpp"

// Which keyboard reporting mode the tool asks of a terminal, decided from its
// family and its answer to the keyboard query: a pure decision, carried out
// by the terminal source.

// CSI ? u asks for the progressive keyboard enhancement flags; CSI c asks for
// the primary device attributes, which every terminal answers, last. A
// terminal that knows the enhancements answers the first before the second.
constexpr std::string_view keyboardProtocolQuery = "\x1b[?u\x1b[c";
// The same with CSI ? 4 m between, which asks xterm for its modifyOtherKeys
// level (answered CSI > 4 ; level m), for families that may get that mode.
constexpr std::string_view keyboardAndModifyOtherKeysQuery = "\x1b[?u\x1b[?4m\x1b[c";

// The query a terminal of `family` is sent; empty for one that takes none.
std::string_view keyboardQueryFor(const TerminalFamilyRow& family);

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
// as CSI 27 ; m ; k ~; CSI > 4 ; level m puts the level found back.
constexpr std::string_view setModifyOtherKeys = "\x1b[>4;2m";

// The sequence that puts modifyOtherKeys back to `level` (0 to 3); empty
// for a level that cannot be put back.
std::string_view restoreModifyOtherKeys(int level);

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

// What the terminal answered to the query.
struct QueryAnswers {
  ProtocolAnswer protocol = ProtocolAnswer::none;
  // The modifyOtherKeys level it reported, if it did.
  std::optional<int> modifyOtherKeys;
};

struct KeyboardMode {
  // Sent to switch the mode on for the run and off again; empty for none.
  std::string_view enable;
  std::string_view disable;
  // How keys are reported under this mode.
  KeyReporting reporting{KeyNumberMeaning::typedCharacter};
};

// The mode for a terminal of `family` that gave `answers`: the kitty
// protocol's flags where it knows them; otherwise modifyOtherKeys 2 where
// the family takes it and the level it had is known, from its answer or
// its family, so that the same level can be put back. CSI u reports are the
// kitty protocol's only where the terminal answered its query; elsewhere
// they are modifyOtherKeys' (tmux) and name the character typed. Ctrl+H
// comes as a report only where the terminal itself said it knows
// modifyOtherKeys.
KeyboardMode keyboardModeFor(const TerminalFamilyRow& family, const QueryAnswers& answers);
