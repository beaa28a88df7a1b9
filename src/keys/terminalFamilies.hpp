#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// Terminal families as data: the TERM names each one sets, what may be sent
// to it, and where the decoder reads its bytes differently. The first row
// whose names match a TERM name counts; the last row matches every name.

enum class TerminalFamily : std::uint8_t { xterm, rxvt, linuxConsole, st, tmux, screen, foot, dumb, other };

struct TerminalFamilyRow {
  TerminalFamily family;
  std::string_view name;
  // TERM names: a name ending in '*' is the start of longer names
  // (rxvt-unicode-256color), any other the whole name; empty slots are
  // unused.
  std::array<std::string_view, 4> termNames;
  // What may be sent: the keyboard query (the kitty protocol's flags and the
  // device attributes), and xterm's modifyOtherKeys for the run when the
  // terminal does not know the kitty protocol (tmux passes modified keys on
  // to the programs that ask).
  bool takesKeyboardQuery;
  bool takesModifyOtherKeys;
  // The modifyOtherKeys level a new terminal of the family starts with,
  // where it is known without asking (tmux and screen start each pane at
  // 0); unknownLevel elsewhere.
  int modifyOtherKeysAtStart;
  // CSI M and three bytes are an X10 mouse report; st sends CSI M alone for
  // Ctrl+Delete.
  bool x10MouseReports;
  // st sends the editing functions of its editing keys (CSI 4 h to insert,
  // CSI P to delete a character ...) while the keypad is not in
  // application mode: they are keys there, reports elsewhere.
  bool editingFunctionsAreKeys;
};

constexpr int unknownLevel = -1;

// Every family, in the order their names are tried.
std::span<const TerminalFamilyRow> terminalFamilies();

// The row of a family.
const TerminalFamilyRow& familyRow(TerminalFamily family);

// The row whose names match the TERM name; an empty name, as an unset TERM,
// is the dumb terminal's.
const TerminalFamilyRow& familyOfTerm(std::string_view termName);

// The family of a TERM name.
inline TerminalFamily terminalFamilyOf(std::string_view termName) { return familyOfTerm(termName).family; }
