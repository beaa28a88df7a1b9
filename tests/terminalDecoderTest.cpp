#include "keys/terminalDecoder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "keys/byteStream.hpp"
#include "keys/keyExplanation.hpp"
#include "streamTestReads.hpp"

namespace {

struct DecodedKey {
  DecodeStatus status;
  std::size_t length;
  KeyRecord record;
};

bool sameRecord(const KeyRecord& left, const KeyRecord& right) {
  return left.eventType == right.eventType && left.keyDown == right.keyDown && left.asciiChar == right.asciiChar &&
         left.scanCode == right.scanCode && left.controlKeyState == right.controlKeyState;
}

bool sameDecoded(const DecodedKey& left, const DecodedKey& right) {
  return left.status == right.status && left.length == right.length &&
         (left.status != DecodeStatus::key || sameRecord(left.record, right.record));
}

std::string showDecoded(const std::vector<DecodedKey>& results) {
  std::string shown;
  for (const DecodedKey& result : results) {
    if (result.status == DecodeStatus::key) {
      shown += "key " + showRecord(result.record);
    } else {
      shown += result.status == DecodeStatus::skipped ? "skipped" : "needMore";
    }
    shown += " length " + std::to_string(result.length) + "; ";
  }
  return shown;
}

// Decodes `bytes` sent at once, then checks that the byte stream gives the
// same keys.
std::vector<DecodedKey> decodeStream(std::string_view bytes, TerminalFamily family, KeyReporting keyNumbers = {},
                                     bool checkSplits = false) {
  std::vector<DecodedKey> whole;
  std::vector<StreamKey> keys;
  for (std::size_t start = 0; start < bytes.size();) {
    const Decoded result = decodeKey(bytes.substr(start), family, true, keyNumbers);
    if (result.length == 0 || result.length > bytes.size() - start) {
      ADD_FAILURE() << "length " << result.length << " at " << start << " of " << showBytes(bytes);
      break;
    }
    if (result.status != DecodeStatus::key || result.event.eventType != EventType::key) {
      // Reports and answers to the keyboard query are no key.
      whole.push_back({DecodeStatus::skipped, result.length, KeyRecord{}});
    } else {
      // A key that typed several bytes gives a record per byte; the further
      // records use no bytes of their own.
      const std::vector<KeyRecord> records = recordsOf(result.event);
      for (std::size_t index = 0; index < records.size(); ++index) {
        whole.push_back({DecodeStatus::key, index == 0 ? result.length : 0, records[index]});
        keys.push_back({records[index], index == 0 ? std::string(bytes.substr(start, result.length)) : std::string(),
                        index == 0 ? std::optional<KeyEvent>(result.event) : std::nullopt});
      }
    }
    start += result.length;
  }
  // The byte stream gives the same keys, with the same bytes, for the bytes
  // in one read; with `checkSplits` also byte by byte and split in two at
  // every boundary. The table vectors check the one read: splits are
  // checked over every short byte string (DecodeProperties), with pauses
  // (ByteStreamSplits) and by the fuzzer.
  std::vector<std::vector<Read>> splits = {{{bytes.size(), true}}};
  if (checkSplits) {
    std::vector<Read> byteByByte;
    for (std::size_t end = 1; end <= bytes.size(); ++end) {
      byteByByte.push_back({end, end == bytes.size()});
      if (end < bytes.size()) {
        splits.push_back({{end, false}, {bytes.size(), true}});
      }
    }
    splits.push_back(byteByByte);
  }
  for (const std::vector<Read>& reads : splits) {
    const std::vector<StreamKey> split = keysOfReads(bytes, family, reads, keyNumbers);
    const bool same = std::equal(keys.begin(), keys.end(), split.begin(), split.end(), sameKey);
    EXPECT_TRUE(same) << showBytes(bytes) << " fed in " << reads.size() << " reads, first ending at "
                      << reads.front().end << ":\n  whole: " << showKeys(keys) << "\n  split: " << showKeys(split);
  }
  return whole;
}

struct CodeVector {
  const char* key;
  std::string bytes;
  std::vector<int> codes;
};

void expectCodes(TerminalFamily family, const std::vector<CodeVector>& vectors, KeyReporting keyNumbers = {}) {
  for (const CodeVector& vector : vectors) {
    const std::vector<DecodedKey> decoded = decodeStream(vector.bytes, family, keyNumbers);
    const std::vector<StreamKey> keys = keysOfReads(vector.bytes, family, {{vector.bytes.size(), true}}, keyNumbers);
    EXPECT_EQ(codesOf(keys), vector.codes)
        << vector.key << ": " << showBytes(vector.bytes) << " -> " << showDecoded(decoded);
  }
}

KeyRecord keyRecord(unsigned char character, std::uint16_t scanCode, std::uint32_t flags, bool keyDown = true) {
  KeyRecord record;
  record.keyDown = keyDown;
  record.asciiChar = character;
  record.scanCode = scanCode;
  record.controlKeyState = flags;
  return record;
}

DecodedKey key(const KeyRecord& record, std::size_t length) { return {DecodeStatus::key, length, record}; }
DecodedKey key(unsigned char character) { return {DecodeStatus::key, 1, keyRecord(character, 0, 0)}; }
// The first byte of a UTF-8 character: the key of all its bytes.
DecodedKey character(unsigned char lead, std::size_t length) {
  return {DecodeStatus::key, length, keyRecord(lead, 0, 0)};
}
// A further byte of the character: a record of the same key.
DecodedKey followingByte(unsigned char byte) { return {DecodeStatus::key, 0, keyRecord(byte, 0, 0)}; }
DecodedKey skipped(std::size_t length) { return {DecodeStatus::skipped, length, KeyRecord{}}; }

void expectDecoded(std::string_view bytes, TerminalFamily family, const std::vector<DecodedKey>& expected) {
  const std::vector<DecodedKey> decoded = decodeStream(bytes, family);
  const bool same = std::equal(decoded.begin(), decoded.end(), expected.begin(), expected.end(), sameDecoded);
  EXPECT_TRUE(same) << showBytes(bytes) << "\n  decoded:  " << showDecoded(decoded)
                    << "\n  expected: " << showDecoded(expected);
}

constexpr auto xterm = TerminalFamily::xterm;
constexpr auto rxvt = TerminalFamily::rxvt;
constexpr auto linuxConsole = TerminalFamily::linuxConsole;
constexpr auto st = TerminalFamily::st;
constexpr std::uint32_t alt = leftAltPressed;
constexpr std::uint32_t ctrl = leftCtrlPressed;
constexpr std::uint32_t shift = shiftPressed;
constexpr std::uint32_t enhanced = enhancedKey;

// NUL is Ctrl+2; terminals send DEL for Backspace, for which a console
// gives 8, and 127 for Ctrl+Backspace.
TEST(PlainBytes, areKeysWithThatCharacter) {
  expectDecoded(std::string("a\r\t\x08\x03\0", 6), xterm,
                {key('a'), key(13), key(9), key(8), key(3), key(keyRecord(0, 3, ctrl), 1)});
  expectCodes(xterm, {{"Enter", "\r", {13}},
                      {"space", " ", {32}},
                      {"Backspace", "\x7f", {8}},
                      {"Ctrl+2", std::string(1, '\0'), {0, 3}}});
}

// The bytes of a UTF-8 character are one key with a record per byte; its
// start waits for the rest as ESC does, until input pauses. Another code
// page's bytes, a character cut off by another byte or by a pause, an
// overlong form, a surrogate, a lone continuation byte are a key each.
TEST(PlainBytes, aUtf8CharacterIsOneKeyAndAnyOtherByteAKeyOfItsOwn) {
  expectDecoded(
      "\xc3\xa9\xe2\x82\xac", xterm,
      {character(0xC3, 2), followingByte(0xA9), character(0xE2, 3), followingByte(0x82), followingByte(0xAC)});
  expectDecoded("\xf0\x9f\x98\x80", xterm,
                {character(0xF0, 4), followingByte(0x9F), followingByte(0x98), followingByte(0x80)});
  EXPECT_EQ(decodeKey("\xe2\x82", xterm, false).status, DecodeStatus::needMore);
  expectDecoded("\xe4x", xterm, {key(0xE4), key('x')});
  expectDecoded("\xc3\x41", xterm, {key(0xC3), key('A')});
  expectDecoded("\xe2\x82", xterm, {key(0xE2), key(0x82)});
  expectDecoded("\xc0\xaf", xterm, {key(0xC0), key(0xAF)});
  expectDecoded("\xed\xa0\x80", xterm, {key(0xED), key(0xA0), key(0x80)});
  expectDecoded("\xa4\xff", xterm, {key(0xA4), key(0xFF)});
}

TEST(EscapeKey, waitsForMoreUntilInputPauses) {
  EXPECT_EQ(decodeKey("\x1b", xterm, false).status, DecodeStatus::needMore);
  const Decoded paused = decodeKey("\x1b", xterm, true);
  EXPECT_EQ(paused.status, DecodeStatus::key);
  EXPECT_EQ(paused.length, 1U);
  EXPECT_TRUE(sameRecord(recordsOf(paused.event).front(), keyRecord(27, 1, 0)))
      << showRecord(recordsOf(paused.event).front());
  EXPECT_EQ(decodeKey("", xterm, true).status, DecodeStatus::needMore);
  expectCodes(xterm, {{"Escape", "\x1b", {27}}});
}

// ESC before a UTF-8 character is Alt with a key of another layout (konsole,
// urxvt, VTE): one key that gives the character's bytes and no Escape row.
// Before any other byte of 0x80 or more it is the Escape key alone.
TEST(EscapeKey, beforeAUtf8CharacterIsAltAndTheCharacter) {
  expectDecoded("\x1b\xc3\xa9", xterm, {key(keyRecord(0xC3, 0, alt), 3), followingByte(0xA9)});
  expectCodes(xterm, {
                         {"Alt+a-umlaut", "\x1b\xc3\xa4", {0xC3, 0xA4}},
                         {"Alt+euro sign", "\x1b\xe2\x82\xac", {0xE2, 0x82, 0xAC}},
                         {"Escape and a character cut off", "\x1b\xc3", {27, 0xC3}},
                         {"Escape and a broken character", "\x1b\xc3x", {27, 0xC3, 'x'}},
                         {"Escape and 0x80", "\x1b\x80", {27, 128}},
                     });
}

TEST(AltPrefix, givesTheKeyWithAltAndNoCharacter) {
  expectDecoded("\033d", xterm, {key(keyRecord(0, 32, alt), 2)});
  expectDecoded("\x1b!", xterm, {key(keyRecord(0, 2, alt | shift), 2)});
  expectCodes(xterm, {
                         {"Alt+d", "\033d", {0, 32}},
                         {"Alt+1", "\0331", {0, 120}},
                         {"Alt+Shift+a", "\033A", {0, 30}},
                         {"Alt+Ctrl+H as Alt+Backspace", "\x1b\x08", {0, 14}},
                         {"Alt+Enter", "\x1b\r", {0, 28}},
                         {"Alt+Escape", "\x1b\x1b", {0, 1}},
                         {"Alt+Ctrl+D", "\x1b\x04", {0, 32}},
                         {"Alt+Ctrl+2", std::string("\x1b\0", 2), {0, 121}},
                         {"Alt+backslash has no code", "\x1b\\", {}},
                         {"Alt+[ cut short", "\x1b[", {0, 26}},
                         {"Alt+Shift+o cut short", "\x1bO", {0, 24}},
                         {"Alt+Shift+p cut short", "\x1bP", {0, 25}},
                     });
}

TEST(AltPrefix, addsAltToAWholeSequence) {
  expectDecoded("\x1b\x1b[A", xterm, {key(keyRecord(0, 0x48, alt | enhanced), 4)});
  expectCodes(xterm, {
                         {"Alt+Up", "\x1b\x1b[A", {0, 152}},
                         {"Alt+F1", "\x1b\x1bOP", {0, 104}},
                         {"Alt+Ctrl+Home", "\x1b\x1b[1;5H", {0, 151}},
                         {"Alt+Escape, then x", "\x1b\x1bx", {0, 1, 'x'}},
                         {"Alt before a kitty report", "\x1b\x1b[97;5u", {0, 30}},
                         {"Alt before a modifyOtherKeys report", "\x1b\x1b[27;5;97~", {0, 30}},
                         {"ESC [ $ cut off is no key", "\x1b[$", {}},
                     });
  // A report after an ESC: the ESC was the Escape key.
  expectDecoded("\x1b\x1b[I", xterm, {key(keyRecord(27, 1, 0), 1), skipped(3)});
}

struct TableKey {
  const char* bytes;
  const char* name;
  std::vector<int> codes;
};

// Every key of the sequence tables, by its bytes after ESC: the name that
// --explain gives it and its codes.
TEST(SequenceTables, giveEveryKeyItsNameAndCodes) {
  // clang-format off
  const std::vector<std::pair<TerminalFamily, std::vector<TableKey>>> tables = {
      {rxvt, {
        // CSI n ~: the cursor block, F1 to F12, and F13 to F20 as Shift+F3 to Shift+F10.
        {"[1~", "Home", {224, 71}}, {"[2~", "Insert", {224, 82}}, {"[3~", "Delete", {224, 83}},
        {"[4~", "End", {224, 79}}, {"[5~", "Page Up", {224, 73}}, {"[6~", "Page Down", {224, 81}},
        {"[7~", "Home", {224, 71}}, {"[8~", "End", {224, 79}}, {"[11~", "F1", {0, 59}}, {"[12~", "F2", {0, 60}},
        {"[13~", "F3", {0, 61}}, {"[14~", "F4", {0, 62}}, {"[15~", "F5", {0, 63}}, {"[17~", "F6", {0, 64}},
        {"[18~", "F7", {0, 65}}, {"[19~", "F8", {0, 66}}, {"[20~", "F9", {0, 67}}, {"[21~", "F10", {0, 68}},
        {"[23~", "F11", {224, 133}}, {"[24~", "F12", {224, 134}}, {"[25~", "Shift+F3", {0, 86}},
        {"[26~", "Shift+F4", {0, 87}}, {"[28~", "Shift+F5", {0, 88}}, {"[29~", "Shift+F6", {0, 89}},
        {"[31~", "Shift+F7", {0, 90}}, {"[32~", "Shift+F8", {0, 91}}, {"[33~", "Shift+F9", {0, 92}},
        {"[34~", "Shift+F10", {0, 93}},
        // CSI and a letter; rxvt's lowercase for Shift.
        {"[A", "Up", {224, 72}}, {"[B", "Down", {224, 80}}, {"[C", "Right", {224, 77}}, {"[D", "Left", {224, 75}},
        {"[H", "Home", {224, 71}}, {"[F", "End", {224, 79}}, {"[E", "Keypad 5", {}}, {"[G", "Keypad 5", {}},
        {"[P", "F1", {0, 59}}, {"[Q", "F2", {0, 60}}, {"[R", "F3", {0, 61}}, {"[S", "F4", {0, 62}},
        {"[Z", "Shift+Tab", {0, 15}}, {"[a", "Shift+Up", {224, 72}}, {"[b", "Shift+Down", {224, 80}},
        {"[c", "Shift+Right", {224, 77}}, {"[d", "Shift+Left", {224, 75}},
        // SS3: the application modes' keys; rxvt's lowercase for Ctrl.
        {"OA", "Up", {224, 72}}, {"OB", "Down", {224, 80}}, {"OC", "Right", {224, 77}}, {"OD", "Left", {224, 75}},
        {"OH", "Home", {224, 71}}, {"OF", "End", {224, 79}}, {"OE", "Keypad 5", {}}, {"OP", "F1", {0, 59}},
        {"OQ", "F2", {0, 60}}, {"OR", "F3", {0, 61}}, {"OS", "F4", {0, 62}}, {"Oa", "Ctrl+Up", {224, 141}},
        {"Ob", "Ctrl+Down", {224, 145}}, {"Oc", "Ctrl+Right", {224, 116}}, {"Od", "Ctrl+Left", {224, 115}},
        {"OM", "Keypad Enter", {13}}, {"OI", "Tab", {9}}, {"OX", "Equals", {61}}, {"Oj", "Keypad asterisk", {42}},
        {"Ok", "Keypad plus", {43}}, {"Ol", "Comma", {44}}, {"Om", "Keypad minus", {45}},
        {"On", "Keypad full stop (Delete)", {46}}, {"Oo", "Keypad slash", {47}}, {"Op", "Keypad 0 (Insert)", {48}},
        {"Oq", "Keypad 1 (End)", {49}}, {"Or", "Keypad 2 (Down)", {50}}, {"Os", "Keypad 3 (Page Down)", {51}},
        {"Ot", "Keypad 4 (Left)", {52}}, {"Ou", "Keypad 5", {53}}, {"Ov", "Keypad 6 (Right)", {54}},
        {"Ow", "Keypad 7 (Home)", {55}}, {"Ox", "Keypad 8 (Up)", {56}}, {"Oy", "Keypad 9 (Page Up)", {57}},
      }},
      {xterm, {
        // The kitty protocol's numbers of keys that type no printable character.
        {"[8u", "Backspace", {8}}, {"[9u", "Tab", {9}}, {"[13u", "Enter", {13}}, {"[27u", "Escape", {27}},
        {"[127u", "Backspace", {8}}, {"[57399u", "Keypad 0 (Insert)", {48}}, {"[57400u", "Keypad 1 (End)", {49}},
        {"[57401u", "Keypad 2 (Down)", {50}}, {"[57402u", "Keypad 3 (Page Down)", {51}},
        {"[57403u", "Keypad 4 (Left)", {52}}, {"[57404u", "Keypad 5", {53}}, {"[57405u", "Keypad 6 (Right)", {54}},
        {"[57406u", "Keypad 7 (Home)", {55}}, {"[57407u", "Keypad 8 (Up)", {56}},
        {"[57408u", "Keypad 9 (Page Up)", {57}}, {"[57409u", "Keypad full stop (Delete)", {46}},
        {"[57410u", "Keypad slash", {47}}, {"[57411u", "Keypad asterisk", {42}}, {"[57412u", "Keypad minus", {45}},
        {"[57413u", "Keypad plus", {43}}, {"[57414u", "Keypad Enter", {13}}, {"[57415u", "Equals", {61}},
        {"[57416u", "Comma", {44}}, {"[57417u", "Keypad 4 (Left)", {0, 75}}, {"[57418u", "Keypad 6 (Right)", {0, 77}},
        {"[57419u", "Keypad 8 (Up)", {0, 72}}, {"[57420u", "Keypad 2 (Down)", {0, 80}},
        {"[57421u", "Keypad 9 (Page Up)", {0, 73}}, {"[57422u", "Keypad 3 (Page Down)", {0, 81}},
        {"[57423u", "Keypad 7 (Home)", {0, 71}}, {"[57424u", "Keypad 1 (End)", {0, 79}},
        {"[57425u", "Keypad 0 (Insert)", {0, 82}}, {"[57426u", "Keypad full stop (Delete)", {0, 83}},
        {"[57427u", "Keypad 5", {}},
      }},
      {st, {
        // st's editing functions.
        {"[4h", "Insert", {224, 82}}, {"[4l", "Shift+Insert", {224, 82}}, {"[L", "Ctrl+Insert", {224, 146}},
        {"[P", "Delete", {224, 83}}, {"[2K", "Shift+Delete", {224, 83}}, {"[M", "Ctrl+Delete", {224, 147}},
        {"[2J", "Shift+Home", {224, 71}}, {"[J", "Ctrl+End", {224, 117}}, {"[K", "Shift+End", {224, 79}},
      }},
      {linuxConsole, {
        // The Linux console's F1 to F5.
        {"[[A", "F1", {0, 59}}, {"[[B", "F2", {0, 60}}, {"[[C", "F3", {0, 61}}, {"[[D", "F4", {0, 62}},
        {"[[E", "F5", {0, 63}},
      }},
  };
  // clang-format on
  for (const auto& [family, keys] : tables) {
    for (const TableKey& key : keys) {
      ByteStream stream(family);
      std::string bytes = "\x1b";
      stream.feed(bytes += key.bytes);
      stream.endInput();
      const StreamItem item = stream.next(false);
      ASSERT_EQ(item.status, StreamStatus::event) << key.bytes;
      EXPECT_EQ(keyNameText(keyDetailsOf(item.event), true), key.name) << key.bytes;
      EXPECT_EQ(codeNumbersOf(item.event), key.codes) << key.bytes;
    }
  }
}

TEST(XtermKeys, decodeFunctionAndCursorKeysWithModifiers) {
  expectDecoded("\x1bOP", xterm, {key(keyRecord(0, 59, 0), 3)});
  expectDecoded("\x1b[1;5A", xterm, {key(keyRecord(0, 0x48, ctrl | enhanced), 6)});
  expectCodes(xterm, {
                         {"Shift+F1", "\x1b[1;2P", {0, 84}},
                         {"Ctrl+F1", "\x1b[1;5P", {0, 94}},
                         {"Alt+F1", "\x1b[1;3P", {0, 104}},
                         {"Meta+F1", "\x1b[1;9P", {0, 104}},
                         {"Ctrl+F3, not a position report", "\x1b[1;5R", {0, 96}},
                         {"F4 in SS3 with a modifier", "\x1bO2S", {0, 87}},
                         {"F2 in SS3 with 1;m", "\x1bO1;5Q", {0, 95}},
                         {"Shift+F5", "\x1b[15;2~", {0, 88}},
                         {"Ctrl+F12", "\x1b[24;5~", {224, 138}},
                         {"Ctrl+Up", "\x1b[1;5A", {224, 141}},
                         {"Alt+Up", "\x1b[1;3A", {0, 152}},
                         {"Shift+Left without 1;", "\x1b[2D", {224, 75}},
                         {"Meta+Ctrl+Alt+Shift+Up without 1;", "\x1b[16A", {0, 152}},
                         {"no modifier past 16", "\x1b[17A", {}},
                     });
}

TEST(RxvtKeys, decodeTheirSuffixesAndLowercaseForms) {
  expectDecoded("\x1b[2$", rxvt, {key(keyRecord(0, 0x52, shift | enhanced), 4)});
  expectCodes(rxvt, {
                        {"Ctrl+F1", "\x1b[11^", {0, 94}},
                        {"Ctrl+Shift+F3", "\x1b[25^", {0, 96}},
                        {"Shift+F11", "\x1b[23$", {224, 135}},
                        {"Ctrl+Shift+F11", "\x1b[23@", {224, 137}},
                        {"Alt+F1", "\x1b\x1b[11~", {0, 104}},
                    });
}

TEST(LinuxConsoleKeys, decodeItsFunctionKeys) {
  expectCodes(linuxConsole, {
                                {"F6", "\x1b[17~", {0, 64}},
                                {"Shift+F1 reads as F11", "\x1b[23~", {224, 133}},
                                {"Shift+Tab as ESC Tab", "\x1b\t", {0, 15}},
                                {"keypad 5 has no code", "\x1b[G", {}},
                            });
  // CSI [ cut by a control byte leaves that byte.
  expectDecoded("\x1b[[\r", linuxConsole, {skipped(3), key(13)});
}

TEST(StKeys, decodeItsEditingForms) {
  // The same bytes are other keys, or reports, elsewhere.
  expectDecoded("\x1b[P", xterm, {key(keyRecord(0, 59, 0), 3)});
  expectDecoded("\x1b[P", st, {key(keyRecord(0, 0x53, enhanced), 3)});
  // An X10 mouse report elsewhere, Ctrl+Delete and three keys in st.
  expectDecoded("\x1b[M !!", xterm, {skipped(6)});
  expectDecoded("\x1b[M !!", st, {key(keyRecord(0, 0x53, ctrl | enhanced), 3), key(' '), key('!'), key('!')});
  expectDecoded("\x1b[4h", xterm, {skipped(4)});
}

TEST(Reports, areSkippedWholeAndTheNextKeySurvives) {
  const std::vector<std::string> reports = {
      "\x1b[I",                            // focus in
      "\x1b[O",                            // focus out
      "\x1b[M\x1b\x80\xff",                // X10 mouse, any bytes
      "\x1b[<0;10;5M",                     // SGR mouse press
      "\x1b[<0;10;5m",                     // SGR mouse release
      "\x1b[32;10;5M",                     // urxvt mouse
      "\x1b[12;40R",                       // cursor position
      "\x1b[?64;1;2c",                     // primary device attributes
      "\x1b[>41;1;0c",                     // secondary device attributes
      "\x1b[?3u",                          // kitty keyboard flags
      "\x1b[?2004;2$y",                    // mode report
      "\x1b[2;1$y",                        // ANSI mode report
      "\x1b[$y",                           // a $ with no number before it
      "\x1b[200~",                         // paste start
      "\x1bOz",                            // SS3 no key
      "\x1b]11;rgb:0000/0000/0000\x07",    // OSC ended by BEL
      "\x1b]11;rgb:ffff/ffff/ffff\x1b\\",  // OSC ended by ST
      "\x1bP1+r544e=787465726d\x1b\\",     // DCS
      "\x1b]lmy title\x1b\\",              // window title report, a space in it
      "\x1bP1$r2 q\x1b\\",                 // status string answer, a space in it
      "\x1b_Gi=1;OK\x1b\\",                // APC
      "\x1b^privacy\x1b\\",                // PM
      "\x1bXstring\x07",                   // SOS
  };
  for (const std::string& report : reports) {
    for (const TerminalFamily family : {xterm, rxvt, linuxConsole}) {
      expectDecoded(report + "x", family, {skipped(report.size()), key('x')});
    }
  }
}

TEST(BrokenSequences, endBeforeTheByteThatBreaksThem) {
  const KeyRecord up = keyRecord(0, 0x48, enhanced);
  expectDecoded("\x1b[1;\x1b[A", xterm, {skipped(4), key(up, 3)});
  expectDecoded("\x1b[1;5\r", xterm, {skipped(5), key(13)});
  expectDecoded("\x1b[12\xc3\xa9", xterm, {skipped(4), character(0xC3, 2), followingByte(0xA9)});
  expectDecoded("\x1bO5\x1b[A", xterm, {skipped(3), key(up, 3)});
  // Only the introducer came: Alt and its key.
  expectDecoded("\x1b[\r", xterm, {key(keyRecord(0, 26, alt), 2), key(13)});
  expectDecoded("\x1bO\x1b[A", xterm, {key(keyRecord(0, 24, alt | shift), 2), key(up, 3)});
  // A string a typed key interrupts was typed: Alt+] and the rest as keys.
  expectDecoded("\x1b]0;t\x1b[A", xterm, {key(keyRecord(0, 27, alt), 2), key('0'), key(';'), key('t'), key(up, 3)});
  expectDecoded("\x1b]0;\rx\x07", xterm,
                {key(keyRecord(0, 27, alt), 2), key('0'), key(';'), key(13), key('x'), key(7)});
  // Once input has paused, what arrived decides.
  expectDecoded("\x1b[1;", xterm, {skipped(4)});
  expectDecoded("\x1b[M!", xterm, {skipped(4)});
  expectDecoded("\x1b]0;ti", xterm, {key(keyRecord(0, 27, alt), 2), key('0'), key(';'), key('t'), key('i')});
  EXPECT_EQ(decodeKey("\x1b[1;5", xterm, false).status, DecodeStatus::needMore);
}

struct OverlongCase {
  const char* what;
  std::string bytes;
  std::vector<int> codes;
};

// A sequence past its length limit is skipped to its end as it arrives: no
// key comes of it, whatever its length, and the key after it survives. The
// stream holds none of it meanwhile.
TEST(BrokenSequences, pastTheLengthLimitAreSkippedToTheirEnd) {
  const std::vector<OverlongCase> cases = {
      {"CSI of 10,000 parameter bytes", "\x1b[" + std::string(10000, '1') + "mx", {'x'}},
      {"CSI cut by a control byte", "\x1b[" + std::string(100, ';') + "\rx", {13, 'x'}},
      {"OSC of 10,000 bytes", "\x1b]0;" + std::string(10000, 't') + "\x07x", {'x'}},
      {"DCS of 5,000 bytes with ST", "\x1bP" + std::string(5000, 'q') + "\x1b\\x", {'x'}},
      {"the longest CSI that is still one", "\x1b[" + std::string(61, '1') + "A", {}},
      {"a key at the limit", "\x1b[" + std::string(58, '0') + "1;2A", {224, 72}},
      {"a key one byte past the limit", "\x1b[" + std::string(59, '0') + "1;2A", {}},
  };
  for (const OverlongCase& overlong : cases) {
    for (const std::size_t chunk : {std::size_t{4096}, std::size_t{7}}) {
      std::vector<Read> reads;
      for (std::size_t end = chunk; end < overlong.bytes.size(); end += chunk) {
        reads.push_back({end, false});
      }
      reads.push_back({overlong.bytes.size(), true});
      EXPECT_EQ(codesOf(keysOfReads(overlong.bytes, xterm, reads)), overlong.codes)
          << overlong.what << " in reads of " << chunk;
    }
  }
  // What is skipped is dropped as it comes: the stream keeps no more than a
  // read's worth of it.
  ByteStream stream(xterm);
  stream.feed("\x1b[");
  for (int read = 0; read < 100; ++read) {
    stream.feed(std::string(4096, '1'));
    EXPECT_EQ(stream.next(false).status, StreamStatus::needMore);
    EXPECT_EQ(stream.heldBytes().size(), 0U);
  }
  stream.feed("mz");
  const StreamItem item = stream.next(false);
  ASSERT_EQ(item.status, StreamStatus::event);
  EXPECT_EQ(item.event.bytes, "z");
}

TEST(KittyKeys, carryTheCharacterOrTheKeyOfEachState) {
  expectDecoded("\x1b[97;5u", xterm, {key(keyRecord(1, 30, ctrl), 7)});
  expectDecoded("\x1b[97;3u", xterm, {key(keyRecord(0, 30, alt), 7)});
  expectCodes(xterm, {
                         {"a", "\x1b[97u", {'a'}},
                         {"Shift+a", "\x1b[97;2u", {'A'}},
                         {"Ctrl+a", "\x1b[97;5u", {1}},
                         {"Alt+a", "\x1b[97;3u", {0, 30}},
                         {"Ctrl+Meta+a counts as Alt", "\x1b[97;37u", {0, 30}},
                         {"Ctrl+Shift+i", "\x1b[105;6u", {9}},
                         {"Ctrl+2", "\x1b[50;5u", {0, 3}},
                         {"Ctrl+1 has no code", "\x1b[49;5u", {}},
                         {"Ctrl+[", "\x1b[91;5u", {27}},
                         {"Escape", "\x1b[27u", {27}},
                         {"Alt+Escape", "\x1b[27;3u", {0, 1}},
                         {"Ctrl+Enter", "\x1b[13;5u", {10}},
                         {"Alt+Enter", "\x1b[13;3u", {0, 28}},
                         {"Ctrl+Tab", "\x1b[9;5u", {0, 148}},
                         {"Shift+Tab", "\x1b[9;2u", {0, 15}},
                         {"Backspace", "\x1b[127u", {8}},
                         {"Ctrl+Backspace", "\x1b[127;5u", {127}},
                         {"shifted key given", "\x1b[97:65;2u", {'A'}},
                         {"shifted key given, Shift not held", "\x1b[97:65u", {'a'}},
                         {"text given", "\x1b[97;2;65u", {'A'}},
                         {"Cyrillic Ctrl+es by its base layout key", "\x1b[1089::99;5u", {3}},
                         {"Russian Ctrl+ef with its text", "\x1b[1092::97;5;1092u", {1}},
                         {"German Ctrl+a-umlaut with its text", "\x1b[228::39;5;228u", {0xC3, 0xA4}},
                         {"AltGr+q on a German layout", "\x1b[113::113;1;64u", {'@'}},
                         {"a code point past U+10FFFF", "\x1b[1114112;1u", {}},
                         {"text past U+10FFFF", "\x1b[97;;1114112u", {}},
                         {"Caps Lock leaves a division sign as it is", "\x1b[247;65u", {0xC3, 0xB7}},
                         {"modifyOtherKeys past U+10FFFF", "\x1b[27;5;1114112~", {}},
                     });
}

TEST(KittyKeys, reportRepeatAsPressAndReleaseAndLoneModifiersAsNoCode) {
  expectDecoded("\x1b[97;5:3u", xterm, {key(keyRecord(1, 30, ctrl, false), 9)});
  expectDecoded("\x1b[1;1:3A", xterm, {key(keyRecord(0, 0x48, enhanced, false), 8)});
  expectCodes(xterm, {
                         {"Ctrl+a press", "\x1b[97;5:1u", {1}},
                         {"Ctrl+a repeat", "\x1b[97;5:2u", {1}},
                         {"Ctrl+a release", "\x1b[97;5:3u", {}},
                         {"Ctrl+Up repeat", "\x1b[1;5:2A", {224, 141}},
                         {"Up release", "\x1b[1;1:3A", {}},
                         {"F5 release", "\x1b[15;1:3~", {}},
                         {"F3", "\x1b[13~", {0, 61}},
                     });
  // Modifier and lock keys alone give records without codes.
  expectDecoded("\x1b[57441;2u", xterm, {key(keyRecord(0, 42, shift), 10)});
  expectCodes(xterm, {
                         {"right Alt", "\x1b[57449;3u", {}},
                         {"Caps Lock", "\x1b[57358u", {}},
                         {"a media key", "\x1b[57428u", {}},
                     });
}

TEST(KittyKeys, giveTheKeypadItsOwnKeys) {
  expectDecoded("\x1b[57419u", xterm, {key(keyRecord(0, 72, 0), 8)});
  expectDecoded("\x1b[57414u", xterm, {key(keyRecord(13, 0x1C, enhanced), 8)});
  expectCodes(xterm, {
                         {"Ctrl+keypad 8", "\x1b[57407;5u", {0, 141}},
                         {"keypad Begin", "\x1b[57427~", {}},
                         {"Ctrl+keypad Enter", "\x1b[57414;5u", {10}},
                         {"Alt+keypad Enter", "\x1b[57414;3u", {0, 166}},
                         {"Ctrl+keypad slash", "\x1b[57410;5u", {0, 149}},
                     });
  // The navigation keys (Num Lock off) have no enhanced flag: lead 0, with
  // Ctrl too (the plain codes are rows of the sequence tables).
  expectCodes(xterm, {
                         {"Ctrl+keypad Left", "\x1b[57417;5u", {0, 115}},
                         {"Ctrl+keypad Right", "\x1b[57418;5u", {0, 116}},
                         {"Ctrl+keypad Up", "\x1b[57419;5u", {0, 141}},
                         {"Ctrl+keypad Down", "\x1b[57420;5u", {0, 145}},
                         {"Ctrl+keypad Page Up", "\x1b[57421;5u", {0, 132}},
                         {"Ctrl+keypad Page Down", "\x1b[57422;5u", {0, 118}},
                         {"Ctrl+keypad Home", "\x1b[57423;5u", {0, 119}},
                         {"Ctrl+keypad End", "\x1b[57424;5u", {0, 117}},
                         {"Ctrl+keypad Insert", "\x1b[57425;5u", {0, 146}},
                         {"Ctrl+keypad Delete", "\x1b[57426;5u", {0, 147}},
                     });
}

// xterm's CSI 27 ; m ; character ~. Once xterm has said it knows
// modifyOtherKeys and the tool has set it to 2, Ctrl+H comes as a report, so
// the bare 0x08 can only be Ctrl+Backspace.
TEST(ModifyOtherKeys, decodesTheKeyByItsCharacter) {
  const KeyReporting ctrlHReported{KeyNumberMeaning::typedCharacter, true};
  expectCodes(xterm, {{"Ctrl+Backspace", "\x08", {127}}, {"Ctrl+H", "\x1b[27;5;104~", {8}}, {"Backspace", "\x7f", {8}}},
              ctrlHReported);
  expectCodes(xterm, {{"Ctrl+H or Ctrl+Backspace", "\x08", {8}}}, KeyReporting{KeyNumberMeaning::typedCharacter});
  expectDecoded("\x1b[27;5;97~", xterm, {key(keyRecord(1, 30, ctrl), 10)});
  expectCodes(xterm, {
                         {"Ctrl+a", "\x1b[27;5;97~", {1}},
                         {"Ctrl+Shift+A", "\x1b[27;6;65~", {1}},
                         {"Alt+a", "\x1b[27;3;97~", {0, 30}},
                         {"Ctrl+Enter", "\x1b[27;5;13~", {10}},
                         {"Shift+Tab", "\x1b[27;2;9~", {0, 15}},
                         {"Ctrl+1 has no code", "\x1b[27;5;49~", {}},
                         {"Ctrl+space", "\x1b[27;5;32~", {' '}},
                     });
}

// What a German keyboard's keys give: the reports are those kitty (flags 31)
// and xterm (modifyOtherKeys 2) send for them on that layout.
TEST(KeyReports, giveWhatTheKeyTypedOnAnyLayout) {
  expectCodes(xterm, {
                         {"a-umlaut, no text", "\x1b[228u", {0xC3, 0xA4}},
                         {"a-umlaut with its base layout key", "\x1b[228::39;u", {0xC3, 0xA4}},
                         {"Shift+a-umlaut by its shifted key", "\x1b[228:196:39;2u", {0xC3, 0x84}},
                         {"sharp s", "\x1b[223::45;u", {0xC3, 0x9F}},
                         {"Shift+7 with its shifted key", "\x1b[55:47;2u", {'/'}},
                         {"Shift+7 with its text", "\x1b[55;2;47u", {'/'}},
                         {"Shift+7 with neither: the US shift", "\x1b[55;2u", {'&'}},
                         {"AltGr+E as text", "\x1b[8364::101;;8364u", {0xE2, 0x82, 0xAC}},
                         {"text wins over Ctrl+Alt", "\x1b[113;7;64u", {'@'}},
                         {"Alt+z by the base layout key", "\x1b[122::121;3u", {0, 21}},
                         {"Alt+a-umlaut by the base layout key", "\x1b[228::39;3u", {0, 40}},
                         {"Ctrl+z by the layout's key", "\x1b[122::121;5u", {26}},
                         {"Ctrl+e-acute's pair by the base layout key", "\x1b[233::50;5u", {0, 3}},
                         {"Ctrl+a-umlaut has no code: its character", "\x1b[228::39;5u", {0xC3, 0xA4}},
                         {"Alt+a-umlaut without base key: its character", "\x1b[228;3u", {0xC3, 0xA4}},
                         {"xterm a-umlaut", "\x1b[27;2;196~", {0xC3, 0x84}},
                         {"xterm Shift+7 is not shifted again", "\x1b[27;2;47~", {'/'}},
                         {"xterm Alt+z by its character", "\x1b[27;3;122~", {0, 44}},
                         {"xterm Alt+a-umlaut: its character", "\x1b[27;3;228~", {0xC3, 0xA4}},
                     });
}

TEST(KeyReports, locksChangeTheCaseOfLettersOnly) {
  expectCodes(xterm, {
                         {"Caps Lock+a", "\x1b[97;65u", {'A'}},
                         {"Caps Lock+Shift+a", "\x1b[97;66u", {'a'}},
                         {"Caps Lock+Shift+a with shifted key", "\x1b[97:65;66u", {'a'}},
                         {"text decides", "\x1b[97;66;97u", {'a'}},
                         {"Caps Lock+a-umlaut", "\x1b[228::39;65u", {0xC3, 0x84}},
                         {"Caps Lock+1", "\x1b[49;65u", {'1'}},
                         {"Caps Lock+Shift+1", "\x1b[49;66u", {'!'}},
                         {"Num Lock+a", "\x1b[97;129u", {'a'}},
                         {"Caps Lock+Ctrl+a", "\x1b[97;69u", {1}},
                         {"Num Lock+keypad 1", "\x1b[57400;129;49u", {'1'}},
                     });
}

TEST(KeyReports, takeEveryFieldOfTheFullForm) {
  expectDecoded("\x1b[101;;101:769u", xterm,
                {key(keyRecord('e', 18, 0), 15), followingByte(0xCC), followingByte(0x81)});
  // A release types nothing, text or not: one key-up record.
  expectDecoded("\x1b[228;1:3;228u", xterm, {key(keyRecord(0xC3, 0, 0, false), 14)});
  expectCodes(xterm, {
                         {"text of two code points", "\x1b[101;;101:769u", {'e', 0xCC, 0x81}},
                         {"text of a character beyond U+FFFF", "\x1b[0;;128512u", {0xF0, 0x9F, 0x98, 0x80}},
                         {"text without key number", "\x1b[;;229u", {0xC3, 0xA5}},
                         {"text of no US key", "\x1b[0;;229u", {0xC3, 0xA5}},
                         {"empty modifiers", "\x1b[97;u", {'a'}},
                         {"empty shifted key", "\x1b[97:;2u", {'A'}},
                         {"base layout key only", "\x1b[97::97u", {'a'}},
                         {"event without modifiers", "\x1b[97;:2u", {'a'}},
                         {"control characters in text", "\x1b[97;;13:97u", {'a'}},
                         {"repeat of a-umlaut", "\x1b[228::39;1:2u", {0xC3, 0xA4}},
                         {"release of a-umlaut", "\x1b[228::39;1:3u", {}},
                         {"a surrogate is no character", "\x1b[55296u", {}},
                     });
}

// tmux and xterm's formatOtherKeys send modifyOtherKeys as CSI c ; m u,
// where c already has Shift applied.
TEST(KeyReports, inModifyOtherKeysNameTheCharacterTyped) {
  expectCodes(xterm, {{"US Shift+slash", "\x1b[47;2u", {'?'}}});
  expectCodes(xterm,
              {
                  {"Shift+7 on German", "\x1b[47;2u", {'/'}},
                  {"Ctrl+Shift+A", "\x1b[65;6u", {1}},
                  {"Ctrl+Tab", "\x1b[9;5u", {0, 148}},
                  {"Ctrl+Enter", "\x1b[13;5u", {10}},
                  {"Shift+Enter", "\x1b[13;2u", {13}},
                  {"Alt+Shift+a", "\x1b[65;4u", {0, 30}},
                  {"Shift+a-umlaut", "\x1b[196;2u", {0xC3, 0x84}},
              },
              KeyReporting{KeyNumberMeaning::typedCharacter});
}

// Every byte string over bytes that start, continue, end and break
// sequences: decoding always makes progress and never claims more than it
// holds, and bytes split anywhere decode as when sent at once.
TEST(DecodeProperties, holdForEveryShortByteString) {
  const std::string alphabet = std::string("\x1b[O1;~Au\x80x$M\\\x07", 14) + std::string(1, '\0');
  std::vector<std::string> strings = {""};
  std::vector<std::string> all;
  for (int length = 1; length <= 3; ++length) {
    std::vector<std::string> longer;
    for (const std::string& prefix : strings) {
      for (const char byte : alphabet) {
        longer.push_back(prefix + byte);
      }
    }
    all.insert(all.end(), longer.begin(), longer.end());
    strings = longer;
  }
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int count = 0; count < 300; ++count) {
    std::string bytes;
    for (int index = 0; index < 12; ++index) {
      bytes += alphabet[pick(random)];
    }
    all.push_back(bytes);
  }
  for (const TerminalFamilyRow& row : terminalFamilies()) {
    const TerminalFamily family = row.family;
    for (const std::string& bytes : all) {
      const Decoded paused = decodeKey(bytes, family, true);
      EXPECT_NE(paused.status, DecodeStatus::needMore) << showBytes(bytes);
      EXPECT_GE(paused.length, 1U) << showBytes(bytes);
      EXPECT_LE(paused.length, bytes.size()) << showBytes(bytes);
      const Decoded waiting = decodeKey(bytes, family, false);
      if (waiting.status == DecodeStatus::needMore) {
        EXPECT_EQ(waiting.length, 0U) << showBytes(bytes);
      } else {
        EXPECT_GE(waiting.length, 1U) << showBytes(bytes);
        EXPECT_LE(waiting.length, bytes.size()) << showBytes(bytes);
      }
      decodeStream(bytes, family, {}, true);
    }
  }
}

}  // namespace
