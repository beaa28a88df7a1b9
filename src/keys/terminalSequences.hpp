#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "keys/keyRecord.hpp"

// What the bytes and sequences terminals send for keys stand for: the key of
// a US PC keyboard each one is, as data. The decoder finds the sequences; this
// says which key they are.

// Terminal families that send different keys with the same bytes. The
// terminal's TERM name picks one; a name no row knows is the xterm family.
enum class TerminalFamily : std::uint8_t { xterm, rxvt, linuxConsole, st };

TerminalFamily terminalFamilyOf(std::string_view termName);

// Whether the terminal named so takes xterm's modifyOtherKeys request (or,
// as tmux does, passes modified keys on to programs that make it).
bool understandsModifyOtherKeys(std::string_view termName);

// Where a family reads the same bytes as another key than the others do.
struct FamilyQuirks {
  // CSI M and three bytes are an X10 mouse report; st sends CSI M alone for
  // Ctrl+Delete.
  bool x10MouseReports = true;
  // st sends the editing functions of its editing keys (CSI 4 h to insert,
  // CSI P to delete a character ...) while the keypad is not in
  // application mode: they are keys there, reports elsewhere.
  bool editingFunctionsAreKeys = false;
};

const FamilyQuirks& quirksOf(TerminalFamily family);

// A PC key as a key record describes it.
struct TerminalKey {
  // Scan code set 1; 0 for a key the console tables do not know.
  std::uint16_t scanCode = 0;
  // Flags the key always carries: enhancedKey for the cursor block, keypad
  // Enter and keypad slash, and the modifier a form implies (Shift for
  // Shift+Tab, for rxvt's Shift+F3 sent as CSI 25~ ...).
  std::uint32_t flags = 0;
  // The character the key gives with no modifier held, where the tables'
  // plain column does not say it (keypad digits with Num Lock on); 0 when
  // the tables decide.
  unsigned char text = 0;
};

// Which of the two sequence forms a final byte ends.
enum class SequenceForm : std::uint8_t { csi, ss3 };

// The key that types an ASCII byte on a US PC keyboard, with the Shift or
// Ctrl it takes: control bytes are Ctrl and a key, except those of
// Backspace, Tab, Enter and Escape. Nothing for bytes of 0x80 or more.
std::optional<TerminalKey> keyOfByte(unsigned char byte);

// CSI n ~ and the rxvt forms CSI n $, CSI n ^, CSI n @.
std::optional<TerminalKey> keyOfTildeNumber(int number);

// CSI [ A to CSI [ E: the Linux console's F1 to F5.
std::optional<TerminalKey> keyOfLinuxFunctionFinal(unsigned char final);

// CSI X, CSI 1;m X and SS3 X for the letter (or other final byte) X.
std::optional<TerminalKey> keyOfFinal(unsigned char final, SequenceForm form);

// st's own forms, sent while the keypad is not in application mode: the
// parameter bytes and the final byte, e.g. "4" and 'h' for Insert.
std::optional<TerminalKey> keyOfStSequence(std::string_view parameters, unsigned char final);

// The kitty keyboard protocol numbers its functional keys in Unicode's
// private use area, from the first number to the last: they name no
// character.
constexpr std::uint32_t firstFunctionalKeyNumber = 57344;
constexpr std::uint32_t lastFunctionalKeyNumber = 63743;

// A key number of the kitty keyboard protocol's CSI u form (also the key of
// xterm's CSI 27;m;k~): a Unicode code point or a functional key number.
std::optional<TerminalKey> keyOfKeyNumber(std::uint32_t number);

// The record of a key pressed (or released) with the console's control-key
// flags `modifiers` held. It carries the character the key gives in that
// state, as a console's record does (a two-code pair of the tables is no
// character); keys that give none are left to the tables by scan code and
// flags.
KeyRecord keyRecordOf(const TerminalKey& key, std::uint32_t modifiers, bool keyDown);
