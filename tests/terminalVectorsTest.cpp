#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/terminalFamilies.hpp"
#include "streamTestReads.hpp"

// What real terminals send for each key with their default settings, and
// the codes a console gives for that key (docs/keys.md). Where a terminal
// sends the same bytes for several keys, one row holds them all and expects
// the codes of the key those bytes stand for; where it changes the key
// itself (Alt setting the eighth bit), the row expects the character that
// arrives. One row per terminal and form of sequence: the decoder's own
// tests hold the rest of each form.

namespace {

struct CodeVector {
  const char* key;
  std::string bytes;
  std::vector<int> codes;
};

struct TerminalVectors {
  const char* terminal;
  const char* termName;
  KeyReporting reporting;
  std::vector<CodeVector> vectors;
};

constexpr KeyReporting typed{KeyNumberMeaning::typedCharacter};

TEST(TerminalVectors, giveTheCodesOfTheKeyPressed) {
  const std::vector<TerminalVectors> terminals = {
      {"konsole 22.12",
       "xterm-256color",
       typed,
       {
           {"F2", "\x1bOQ", {0, 60}},
           {"F7", "\x1b[18~", {0, 65}},
           {"F8", "\x1b[19~", {0, 66}},
           {"F9", "\x1b[20~", {0, 67}},
           {"Down = Keypad 2 (Num Lock off)", "\x1b[B", {224, 80}},
           {"Page Down = Keypad 3 (Num Lock off)", "\x1b[6~", {224, 81}},
           {"Shift+F2", "\x1bO2Q", {0, 85}},
           {"Ctrl+F1", "\x1bO5P", {0, 94}},
           {"Alt+F1", "\x1bO3P", {0, 104}},
           {"Ctrl+Shift+F1", "\x1bO6P", {0, 94}},
           {"Shift+F6", "\x1b[17;2~", {0, 89}},
           {"Shift+F11", "\x1b[23;2~", {224, 135}},
           {"Shift+Delete", "\x1b[3;2~", {224, 83}},
           {"Ctrl+F5", "\x1b[15;5~", {0, 98}},
           {"Ctrl+F11", "\x1b[23;5~", {224, 137}},
           {"Ctrl+Down", "\x1b[1;5B", {224, 145}},
           {"Ctrl+Home", "\x1b[1;5H", {224, 119}},
           {"Ctrl+Insert", "\x1b[2;5~", {224, 146}},
           {"Ctrl+Page Up", "\x1b[5;5~", {224, 134}},
           {"Alt+F5", "\x1b[15;3~", {0, 108}},
           {"Alt+F12", "\x1b[24;3~", {224, 140}},
           {"Alt+Down", "\x1b[1;3B", {0, 160}},
           {"Alt+Insert", "\x1b[2;3~", {0, 162}},
           {"Ctrl+Shift+F5", "\x1b[15;6~", {0, 98}},
           {"Ctrl+Shift+Up", "\x1b[1;6A", {224, 141}},
           {"Ctrl+Alt+Down", "\x1b[1;7B", {0, 160}},
           {"Ctrl+Alt+Delete", "\x1b[3;7~", {0, 163}},
           {"Tab = Ctrl+i", "\t", {9}},
           {"Alt+x", "\x1bx", {0, 45}},
           {"Ctrl+Alt+a", "\x1b\x01", {0, 30}},
           {"Ctrl+z", "\x1a", {26}},
           {"Ctrl+2 = Ctrl+Space", std::string(1, '\0'), {0, 3}},
           {"Keypad 1 (Num Lock on) = Ctrl+1", "1", {'1'}},
           {"Ctrl+/ sends the code of Ctrl+Minus", "\x1f", {31}},
           {"Keypad Add (Num Lock off or on)", "+", {'+'}},
           {"Shift+ä", "\xc3\x84", {0xC3, 0x84}},
           {"AltGr+q (@)", "@", {'@'}},
       }},
      // sakura 3.8 on VTE 0.70, as xfce4-terminal and other VTE terminals.
      {"VTE 0.70",
       "xterm-256color",
       typed,
       {
           {"Shift+F2", "\x1b[1;2Q", {0, 85}},
           {"Shift+F4", "\x1b[1;2S", {0, 87}},
           {"Shift+Left", "\x1b[1;2D", {224, 75}},
           {"Ctrl+F4", "\x1b[1;5S", {0, 97}},
           {"Alt+F3", "\x1b[1;3R", {0, 106}},
           {"Ctrl+Shift+F10", "\x1b[21;6~", {0, 103}},
       }},
      // Alt sets the eighth bit and drops out with control keys.
      {"mlterm 3.9",
       "mlterm",
       typed,
       {
           {"Shift+End", "\x1b[1;2F", {224, 79}},
           {"Ctrl+Shift+F1", "\x1b[1;6P", {0, 94}},
           {"Ctrl+Shift+Page Down", "\x1b[6;6~", {224, 118}},
           {"Alt+a: á, Alt sets the eighth bit", "\xc3\xa1", {0xC3, 0xA1}},
           {"Alt+1: ±, Alt sets the eighth bit", "\xc2\xb1", {0xC2, 0xB1}},
           {"Alt+ä: Ã¤, the UTF-8 bytes of ä as Latin-1", "\xc3\x83\xc2\xa4", {0xC3, 0x83, 0xC2, 0xA4}},
       }},
      // modifyOtherKeys' form for some keys from the start; with it set to
      // 2 for Ctrl+Backspace (zutty does not answer the query for its level,
      // so the tool leaves it as it is).
      {"zutty 0.14",
       "xterm-256color",
       typed,
       {
           {"Ctrl+Tab", "\x1b[27;5;9~", {0, 148}},
           {"Shift+Enter", "\x1b[27;2;13~", {13}},
           {"Alt+Enter", "\x1b[27;3;13~", {0, 28}},
           {"Ctrl+Backspace", "\x1b[27;5;127~", {127}},
       }},
      // Before any keyboard mode is asked for: foot answers the keyboard
      // query, so the tool itself gets its key reports instead.
      {"foot 1.13", "foot", typed, {{"Ctrl+ä", "\x1b[27;5;228~", {0xC3, 0xA4}}}},
      // Alt sets the eighth bit while modifyOtherKeys is off.
      {"xterm 379",
       "xterm",
       typed,
       {
           {"Alt+Tab: U+0089, Alt sets the eighth bit", "\xc2\x89", {0xC2, 0x89}},
           {"Alt+Backspace: ÿ, Alt sets the eighth bit", "\xc3\xbf", {0xC3, 0xBF}},
           {"Alt+Escape: U+009B, Alt sets the eighth bit", "\xc2\x9b", {0xC2, 0x9B}},
           {"answer to the modifyOtherKeys query", "\x1b[>4;0m", {}},
       }},
      // With modifyOtherKeys 2, which the tool sets in xterm.
      {"xterm 379, modifyOtherKeys 2",
       "xterm",
       KeyReporting{KeyNumberMeaning::typedCharacter, true},
       {
           {"Ctrl+i", "\x1b[27;5;105~", {9}},
           {"Ctrl+m", "\x1b[27;5;109~", {13}},
       }},
  };
  for (const TerminalVectors& terminal : terminals) {
    for (const CodeVector& vector : terminal.vectors) {
      // Each key as one read, after which input pauses, as typed.
      const std::vector<StreamKey> keys = keysOfReads(vector.bytes, terminalFamilyOf(terminal.termName),
                                                      {{vector.bytes.size(), true}}, terminal.reporting);
      EXPECT_EQ(codesOf(keys), vector.codes)
          << terminal.terminal << ", " << vector.key << ": " << showBytes(vector.bytes) << " -> " << showKeys(keys);
    }
  }
}

}  // namespace
