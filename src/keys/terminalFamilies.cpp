#include "keys/terminalFamilies.hpp"

#include <algorithm>

namespace {

constexpr bool yes = true;
constexpr bool no = false;

// xterm: others that borrow its name ignore modifyOtherKeys. rxvt: rxvt
// and urxvt. st: not st52 and the like, which are other terminals. screen:
// GNU screen, and tmux under that name. dumb: terminals that take no
// control sequence at all (an unset TERM, Emacs' shell buffers). other:
// vt220 and the terminals that borrow xterm's keys.
// clang-format off
constexpr auto familyRows = std::to_array<TerminalFamilyRow>({
    // family                     name      TERM names                              query  modifyOtherKeys  level at start  X10 mouse  editing keys
    {TerminalFamily::xterm,        "xterm",  {"xterm*"},                              yes,   yes,             unknownLevel,   yes,       no},
    {TerminalFamily::rxvt,         "rxvt",   {"rxvt*"},                               yes,   no,              unknownLevel,   yes,       no},
    {TerminalFamily::linuxConsole, "linux",  {"linux*"},                              yes,   no,              unknownLevel,   yes,       no},
    {TerminalFamily::st,           "st",     {"st", "st-*", "stterm", "stterm-*"},    yes,   no,              unknownLevel,   no,        yes},
    {TerminalFamily::tmux,         "tmux",   {"tmux*"},                               yes,   yes,             0,              yes,       no},
    {TerminalFamily::screen,       "screen", {"screen*"},                             yes,   yes,             0,              yes,       no},
    {TerminalFamily::foot,         "foot",   {"foot*"},                               yes,   yes,             unknownLevel,   yes,       no},
    {TerminalFamily::dumb,         "dumb",   {"dumb", "emacs*"},                      no,    no,              unknownLevel,   yes,       no},
    {TerminalFamily::other,        "other",  {"*"},                                   yes,   no,              unknownLevel,   yes,       no},
});
// clang-format on

bool nameMatches(std::string_view pattern, std::string_view termName) {
  if (pattern.ends_with('*')) {
    return termName.starts_with(pattern.substr(0, pattern.size() - 1));
  }
  return !pattern.empty() && termName == pattern;
}

}  // namespace

std::span<const TerminalFamilyRow> terminalFamilies() { return familyRows; }

const TerminalFamilyRow& familyRow(TerminalFamily family) {
  const auto* row = std::find_if(familyRows.begin(), familyRows.end(),
                                 [&](const TerminalFamilyRow& candidate) { return candidate.family == family; });
  return row != familyRows.end() ? *row : familyRows.back();
}

const TerminalFamilyRow& familyOfTerm(std::string_view termName) {
  if (termName.empty()) {
    return familyRow(TerminalFamily::dumb);
  }
  const auto* row = std::find_if(familyRows.begin(), familyRows.end(), [&](const TerminalFamilyRow& candidate) {
    return std::ranges::any_of(candidate.termNames,
                               [&](std::string_view pattern) { return nameMatches(pattern, termName); });
  });
  return row != familyRows.end() ? *row : familyRows.back();
}
