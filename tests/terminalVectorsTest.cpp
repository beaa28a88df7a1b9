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
// arrives. Keys a terminal keeps for itself send nothing and have no row.

namespace {

struct CodeVector {
  const char* key;
  std::string bytes;
  std::vector<int> codes;
};

// Each key as one read, after which input pauses, as typed.
void expectCodes(TerminalFamily family, const std::vector<CodeVector>& vectors,
                 KeyReporting reporting = KeyReporting{KeyNumberMeaning::typedCharacter}) {
  for (const CodeVector& vector : vectors) {
    const std::vector<StreamKey> keys = keysOfReads(vector.bytes, family, {{vector.bytes.size(), true}}, reporting);
    EXPECT_EQ(codesOf(keys), vector.codes) << vector.key << ": " << showBytes(vector.bytes) << " -> " << showKeys(keys);
  }
}

// konsole 22.12, TERM=xterm-256color.
TEST(TerminalVectors, konsole) {
  expectCodes(terminalFamilyOf("xterm-256color"), {
                                                      {"F2", "\x1bOQ", {0, 60}},
                                                      {"F3", "\x1bOR", {0, 61}},
                                                      {"F4", "\x1bOS", {0, 62}},
                                                      {"F7", "\x1b[18~", {0, 65}},
                                                      {"F8", "\x1b[19~", {0, 66}},
                                                      {"F9", "\x1b[20~", {0, 67}},
                                                      {"Down = Keypad 2 (Num Lock off)", "\x1b[B", {224, 80}},
                                                      {"Left = Keypad 4 (Num Lock off)", "\x1b[D", {224, 75}},
                                                      {"Right = Keypad 6 (Num Lock off)", "\x1b[C", {224, 77}},
                                                      {"Page Down = Keypad 3 (Num Lock off)", "\x1b[6~", {224, 81}},
                                                      {"Shift+F2", "\x1bO2Q", {0, 85}},
                                                      {"Shift+F3", "\x1bO2R", {0, 86}},
                                                      {"Shift+F6", "\x1b[17;2~", {0, 89}},
                                                      {"Shift+F7", "\x1b[18;2~", {0, 90}},
                                                      {"Shift+F8", "\x1b[19;2~", {0, 91}},
                                                      {"Shift+F9", "\x1b[20;2~", {0, 92}},
                                                      {"Shift+F10", "\x1b[21;2~", {0, 93}},
                                                      {"Shift+F11", "\x1b[23;2~", {224, 135}},
                                                      {"Shift+F12", "\x1b[24;2~", {224, 136}},
                                                      {"Shift+Delete", "\x1b[3;2~", {224, 83}},
                                                      {"Ctrl+F1", "\x1bO5P", {0, 94}},
                                                      {"Ctrl+F2", "\x1bO5Q", {0, 95}},
                                                      {"Ctrl+F3", "\x1bO5R", {0, 96}},
                                                      {"Ctrl+F4", "\x1bO5S", {0, 97}},
                                                      {"Ctrl+F5", "\x1b[15;5~", {0, 98}},
                                                      {"Ctrl+F6", "\x1b[17;5~", {0, 99}},
                                                      {"Ctrl+F7", "\x1b[18;5~", {0, 100}},
                                                      {"Ctrl+F8", "\x1b[19;5~", {0, 101}},
                                                      {"Ctrl+F9", "\x1b[20;5~", {0, 102}},
                                                      {"Ctrl+F10", "\x1b[21;5~", {0, 103}},
                                                      {"Ctrl+F11", "\x1b[23;5~", {224, 137}},
                                                      {"Ctrl+Down", "\x1b[1;5B", {224, 145}},
                                                      {"Ctrl+Right", "\x1b[1;5C", {224, 116}},
                                                      {"Ctrl+Home", "\x1b[1;5H", {224, 119}},
                                                      {"Ctrl+End", "\x1b[1;5F", {224, 117}},
                                                      {"Ctrl+Insert", "\x1b[2;5~", {224, 146}},
                                                      {"Ctrl+Page Up", "\x1b[5;5~", {224, 134}},
                                                      {"Alt+F1", "\x1bO3P", {0, 104}},
                                                      {"Alt+F2", "\x1bO3Q", {0, 105}},
                                                      {"Alt+F3", "\x1bO3R", {0, 106}},
                                                      {"Alt+F4", "\x1bO3S", {0, 107}},
                                                      {"Alt+F5", "\x1b[15;3~", {0, 108}},
                                                      {"Alt+F6", "\x1b[17;3~", {0, 109}},
                                                      {"Alt+F7", "\x1b[18;3~", {0, 110}},
                                                      {"Alt+F8", "\x1b[19;3~", {0, 111}},
                                                      {"Alt+F9", "\x1b[20;3~", {0, 112}},
                                                      {"Alt+F10", "\x1b[21;3~", {0, 113}},
                                                      {"Alt+F12", "\x1b[24;3~", {224, 140}},
                                                      {"Alt+Down", "\x1b[1;3B", {0, 160}},
                                                      {"Alt+Left", "\x1b[1;3D", {0, 155}},
                                                      {"Alt+Right", "\x1b[1;3C", {0, 157}},
                                                      {"Alt+Home", "\x1b[1;3H", {0, 151}},
                                                      {"Alt+End", "\x1b[1;3F", {0, 159}},
                                                      {"Alt+Insert", "\x1b[2;3~", {0, 162}},
                                                      {"Alt+Delete", "\x1b[3;3~", {0, 163}},
                                                      {"Alt+Page Up", "\x1b[5;3~", {0, 153}},
                                                      {"Alt+Page Down", "\x1b[6;3~", {0, 161}},
                                                      {"Ctrl+Shift+F1", "\x1bO6P", {0, 94}},
                                                      {"Ctrl+Shift+F2", "\x1bO6Q", {0, 95}},
                                                      {"Ctrl+Shift+F3", "\x1bO6R", {0, 96}},
                                                      {"Ctrl+Shift+F4", "\x1bO6S", {0, 97}},
                                                      {"Ctrl+Shift+F5", "\x1b[15;6~", {0, 98}},
                                                      {"Ctrl+Shift+F6", "\x1b[17;6~", {0, 99}},
                                                      {"Ctrl+Shift+F7", "\x1b[18;6~", {0, 100}},
                                                      {"Ctrl+Shift+F8", "\x1b[19;6~", {0, 101}},
                                                      {"Ctrl+Shift+F9", "\x1b[20;6~", {0, 102}},
                                                      {"Ctrl+Shift+F11", "\x1b[23;6~", {224, 137}},
                                                      {"Ctrl+Shift+F12", "\x1b[24;6~", {224, 138}},
                                                      {"Ctrl+Shift+Up", "\x1b[1;6A", {224, 141}},
                                                      {"Ctrl+Shift+Down", "\x1b[1;6B", {224, 145}},
                                                      {"Ctrl+Shift+Left", "\x1b[1;6D", {224, 115}},
                                                      {"Ctrl+Shift+Right", "\x1b[1;6C", {224, 116}},
                                                      {"Ctrl+Shift+Delete", "\x1b[3;6~", {224, 147}},
                                                      {"Ctrl+Alt+Down", "\x1b[1;7B", {0, 160}},
                                                      {"Ctrl+Alt+Left", "\x1b[1;7D", {0, 155}},
                                                      {"Ctrl+Alt+Right", "\x1b[1;7C", {0, 157}},
                                                      {"Ctrl+Alt+Home", "\x1b[1;7H", {0, 151}},
                                                      {"Ctrl+Alt+End", "\x1b[1;7F", {0, 159}},
                                                      {"Ctrl+Alt+Insert", "\x1b[2;7~", {0, 162}},
                                                      {"Ctrl+Alt+Delete", "\x1b[3;7~", {0, 163}},
                                                      {"Ctrl+Alt+Page Up", "\x1b[5;7~", {0, 153}},
                                                      {"Ctrl+Alt+Page Down", "\x1b[6;7~", {0, 161}},
                                                      {"Tab = Ctrl+i", "\t", {9}},
                                                      {"Alt+a",
                                                       "\x1b"
                                                       "a",
                                                       {0, 30}},
                                                      {"Alt+x", "\x1bx", {0, 45}},
                                                      {"Ctrl+Alt+a", "\x1b\x01", {0, 30}},
                                                      {"Ctrl+a", "\x01", {1}},
                                                      {"Ctrl+z", "\x1a", {26}},
                                                      {"Ctrl+2 = Ctrl+Space", std::string(1, '\0'), {0, 3}},
                                                      {"Keypad 1 (Num Lock on) = Ctrl+1", "1", {'1'}},
                                                      {"Ctrl+/ sends the code of Ctrl+Minus", "\x1f", {31}},
                                                      {"Keypad Add (Num Lock off or on)", "+", {'+'}},
                                                      {"Keypad Subtract (Num Lock off or on)", "-", {'-'}},
                                                      {"Keypad Multiply (Num Lock off or on)", "*", {'*'}},
                                                      {"Keypad Divide (Num Lock off or on)", "/", {'/'}},
                                                      {"Keypad 0 (Num Lock on)", "0", {'0'}},
                                                      {"Keypad 2 (Num Lock on)", "2", {'2'}},
                                                      {"Keypad 3 (Num Lock on)", "3", {'3'}},
                                                      {"Keypad 4 (Num Lock on)", "4", {'4'}},
                                                      {"Keypad 5 (Num Lock on)", "5", {'5'}},
                                                      {"Keypad 6 (Num Lock on)", "6", {'6'}},
                                                      {"Keypad 7 (Num Lock on)", "7", {'7'}},
                                                      {"Keypad 8 (Num Lock on)", "8", {'8'}},
                                                      {"Keypad 9 (Num Lock on)", "9", {'9'}},
                                                      {"Keypad Decimal (Num Lock on)", ".", {'.'}},
                                                      {"Shift+ä", "\xc3\x84", {0xC3, 0x84}},
                                                      {"ö", "\xc3\xb6", {0xC3, 0xB6}},
                                                      {"ü", "\xc3\xbc", {0xC3, 0xBC}},
                                                      {"ß", "\xc3\x9f", {0xC3, 0x9F}},
                                                      {"AltGr+q (@)", "@", {'@'}},
                                                      {"y (German layout)", "y", {'y'}},
                                                      {"z (German layout)", "z", {'z'}},
                                                  });
}

// sakura 3.8 on VTE 0.70 (as xfce4-terminal and other VTE terminals),
// TERM=xterm-256color.
TEST(TerminalVectors, vte) {
  expectCodes(terminalFamilyOf("xterm-256color"), {
                                                      {"Shift+F2", "\x1b[1;2Q", {0, 85}},
                                                      {"Shift+F3", "\x1b[1;2R", {0, 86}},
                                                      {"Shift+F4", "\x1b[1;2S", {0, 87}},
                                                      {"Shift+Down", "\x1b[1;2B", {224, 80}},
                                                      {"Shift+Left", "\x1b[1;2D", {224, 75}},
                                                      {"Shift+Right", "\x1b[1;2C", {224, 77}},
                                                      {"Ctrl+F2", "\x1b[1;5Q", {0, 95}},
                                                      {"Ctrl+F4", "\x1b[1;5S", {0, 97}},
                                                      {"Alt+F2", "\x1b[1;3Q", {0, 105}},
                                                      {"Alt+F3", "\x1b[1;3R", {0, 106}},
                                                      {"Alt+F4", "\x1b[1;3S", {0, 107}},
                                                      {"Ctrl+Shift+F10", "\x1b[21;6~", {0, 103}},
                                                  });
}

// mlterm 3.9, TERM=mlterm: Alt sets the eighth bit and drops out with
// control keys.
TEST(TerminalVectors, mlterm) {
  expectCodes(
      terminalFamilyOf("mlterm"),
      {
          {"Shift+Home", "\x1b[1;2H", {224, 71}},
          {"Shift+End", "\x1b[1;2F", {224, 79}},
          {"Ctrl+Shift+F1", "\x1b[1;6P", {0, 94}},
          {"Ctrl+Shift+F2", "\x1b[1;6Q", {0, 95}},
          {"Ctrl+Shift+F3", "\x1b[1;6R", {0, 96}},
          {"Ctrl+Shift+F4", "\x1b[1;6S", {0, 97}},
          {"Ctrl+Shift+Home", "\x1b[1;6H", {224, 119}},
          {"Ctrl+Shift+End", "\x1b[1;6F", {224, 117}},
          {"Ctrl+Shift+Insert", "\x1b[2;6~", {224, 146}},
          {"Ctrl+Shift+Page Up", "\x1b[5;6~", {224, 134}},
          {"Ctrl+Shift+Page Down", "\x1b[6;6~", {224, 118}},
          {"Alt+a: á, Alt sets the eighth bit", "\xc3\xa1", {0xC3, 0xA1}},
          {"Alt+x: ø, Alt sets the eighth bit", "\xc3\xb8", {0xC3, 0xB8}},
          {"Alt+Shift+a: Á, Alt sets the eighth bit", "\xc3\x81", {0xC3, 0x81}},
          {"Alt+1: ±, Alt sets the eighth bit", "\xc2\xb1", {0xC2, 0xB1}},
          {"Alt+ä: Ã¤, the UTF-8 bytes of ä as Latin-1", "\xc3\x83\xc2\xa4", {0xC3, 0x83, 0xC2, 0xA4}},
          {"Alt+Shift+ä: Ã U+0084, the UTF-8 bytes of Ä as Latin-1", "\xc3\x83\xc2\x84", {0xC3, 0x83, 0xC2, 0x84}},
          {"Alt+ß: Ã U+009F, the UTF-8 bytes of ß as Latin-1", "\xc3\x83\xc2\x9f", {0xC3, 0x83, 0xC2, 0x9F}},
      });
}

// zutty 0.14, TERM=xterm-256color: modifyOtherKeys' form for some keys
// from the start, and a keypad that sends digits whatever Num Lock says.
TEST(TerminalVectors, zutty) {
  expectCodes(terminalFamilyOf("xterm-256color"), {
                                                      {"Ctrl+Tab", "\x1b[27;5;9~", {0, 148}},
                                                      {"Ctrl+Shift+Tab", "\x1b[27;6;9~", {0, 148}},
                                                      {"Shift+Enter", "\x1b[27;2;13~", {13}},
                                                      {"Alt+Enter", "\x1b[27;3;13~", {0, 28}},
                                                  });
  // With modifyOtherKeys set to 2 (zutty does not answer the query for
  // its level, so the tool leaves it as it is).
  expectCodes(terminalFamilyOf("xterm-256color"), {
                                                      {"Ctrl+Backspace", "\x1b[27;5;127~", {127}},
                                                  });
}

// foot 1.13, TERM=foot, before any keyboard mode is asked for. foot answers
// the keyboard query, so the tool itself gets its key reports instead.
TEST(TerminalVectors, foot) {
  expectCodes(terminalFamilyOf("foot"), {
                                            {"Ctrl+ä", "\x1b[27;5;228~", {0xC3, 0xA4}},
                                        });
}

// xterm 379, TERM=xterm, where its bytes are not among the decoder's own
// vectors: Alt sets the eighth bit while modifyOtherKeys is off.
TEST(TerminalVectors, xterm) {
  expectCodes(terminalFamilyOf("xterm"),
              {
                  {"Alt+Tab: U+0089, Alt sets the eighth bit", "\xc2\x89", {0xC2, 0x89}},
                  {"Alt+Backspace: ÿ, Alt sets the eighth bit", "\xc3\xbf", {0xC3, 0xBF}},
                  {"Ctrl+Alt+Backspace: U+0088, Alt sets the eighth bit", "\xc2\x88", {0xC2, 0x88}},
                  {"Alt+Escape: U+009B, Alt sets the eighth bit", "\xc2\x9b", {0xC2, 0x9B}},
                  {"Ctrl+Alt+a: U+0081, Alt sets the eighth bit", "\xc2\x81", {0xC2, 0x81}},
                  {"answer to the modifyOtherKeys query", "\x1b[>4;0m", {}},
              });
  // With modifyOtherKeys 2, which the tool sets in xterm.
  expectCodes(terminalFamilyOf("xterm"),
              {
                  {"Ctrl+i", "\x1b[27;5;105~", {9}},
                  {"Ctrl+m", "\x1b[27;5;109~", {13}},
              },
              KeyReporting{KeyNumberMeaning::typedCharacter, true});
}

}  // namespace
