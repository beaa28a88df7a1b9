// What --explain writes beside a key's first row, for the bytes a terminal
// sends and for the records a Windows console delivers.

#include "keys/keyExplanation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "keys/byteStream.hpp"
#include "streamTestReads.hpp"

namespace {

// The explanation of the first key the byte stream makes of `bytes`, read
// at once with input pausing after them.
std::string explainBytes(std::string_view bytes, bool utf8Output, TerminalFamily family = TerminalFamily::xterm) {
  ByteStream stream(family);
  stream.feed(bytes);
  stream.endInput();
  const StreamItem item = stream.next(false);
  if (item.status != StreamStatus::event) {
    return "no key";
  }
  return keyExplanation(keyDetailsOf(item.event), utf8Output);
}

bool holdsControlByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char character) {
    const auto byte = static_cast<unsigned char>(character);
    return byte < 0x20 || byte == 0x7F;
  });
}

struct ExplainedBytes {
  std::string bytes;
  std::string explanation;
};

TEST(KeyExplanation, namesTheKeyAndQuotesTheBytesTheTerminalSent) {
  const std::vector<ExplainedBytes> cases = {
      // Function and cursor keys, with their modifiers as Ctrl, Alt, Shift.
      {"\x1bOP", R"(F1  "\eOP")"},
      {"\x1b[1;5A", R"(Ctrl+Up  "\e[1;5A")"},
      {"\x1b[3;7~", R"(Ctrl+Alt+Delete  "\e[3;7~")"},
      {"\x1b[1;8H", R"(Ctrl+Alt+Shift+Home  "\e[1;8H")"},
      // The keypad in application mode.
      {"\x1bOu", R"(Keypad 5  "\eOu")"},
      {"\x1bOM", R"(Keypad Enter  "\eOM")"},
      {"\x1bOo", R"(Keypad slash  "\eOo")"},
      {"/", R"(Slash  "/")"},
      // Plain bytes: the key that types them on a US keyboard.
      {"a", R"(A  "a")"},
      {"!", R"(Shift+1  "!")"},
      {"\r", R"(Enter  "\r")"},
      {"\x7f", R"(Backspace  "\x7f")"},
      {"\x1b", R"(Escape  "\e")"},
      {"\\", R"(Backslash  "\\")"},
      {"\"", R"(Shift+Apostrophe  "\"")"},
      // Ctrl and Alt.
      {"\x01", R"(Ctrl+A  "\x01")"},
      {std::string(1, '\0'), R"(Ctrl+2  "\x00")"},
      {"\x1c", R"(Ctrl+Backslash  "\x1c")"},
      {"\x1d", R"(Ctrl+Right bracket  "\x1d")"},
      {"\x1e", R"(Ctrl+Shift+6  "\x1e")"},
      {"\x1f", R"(Ctrl+Shift+Minus  "\x1f")"},
      {"\b", R"(Backspace  "\x08")"},
      {"\x1bx", R"(Alt+X  "\ex")"},
      {"\x1b\x1b[A", R"(Alt+Up  "\e\e[A")"},
      // National characters: the character itself.
      {"\xc3\xa4", R"(ä  "\xc3\xa4")"},
      {"\xe2\x82\xac", R"(€  "\xe2\x82\xac")"},
      {"\x1b\xc3\xa4", R"(Alt+ä  "\e\xc3\xa4")"},
      // An invisible character is shown by its bytes.
      {"\xef\xbb\xbf", R"(\xef\xbb\xbf  "\xef\xbb\xbf")"},
      // A byte of another code page is no UTF-8 character.
      {"\xe4", R"(\xe4  "\xe4")"},
      // The kitty keyboard protocol.
      {"\x1b[97;5u", R"(Ctrl+A  "\e[97;5u")"},
      {"\x1b\x1b[97;5u", R"(Ctrl+Alt+A  "\e\e[97;5u")"},
      {"\x1b[97:65;2;65u", R"(Shift+A  "\e[97:65;2;65u")"},
      {"\x1b[57414u", R"(Keypad Enter  "\e[57414u")"},
      // A national character by itself, an Alt pair by the US key at its place.
      {"\x1b[228::39;u", R"(ä  "\e[228::39;u")"},
      {"\x1b[122::121;3u", R"(Alt+Y  "\e[122::121;3u")"},
      // xterm's modifyOtherKeys.
      {"\x1b[27;5;9~", R"(Ctrl+Tab  "\e[27;5;9~")"},
      {"\x1b\x1b[27;5;97~", R"(Ctrl+Alt+A  "\e\e[27;5;97~")"},
  };
  for (const ExplainedBytes& explained : cases) {
    EXPECT_EQ(explainBytes(explained.bytes, true), explained.explanation) << showBytes(explained.bytes);
  }
}

TEST(KeyExplanation, fallsBackToBytesWhereTheOutputTakesNoUtf8) {
  EXPECT_EQ(explainBytes("\xc3\xa4", false), R"(\xc3\xa4  "\xc3\xa4")");
  EXPECT_EQ(explainBytes("a", false), R"(A  "a")");
  // In UTF-8 the C1 controls, the zero-width and bidirectional marks and the
  // byte order mark are no characters to show, from the first of each range
  // to the last; the characters just outside those ranges are.
  const auto hexOf = [](std::string_view bytes) {
    std::string hex;
    for (const char byte : bytes) {
      hex += "\\x" + std::string(1, "0123456789abcdef"[(byte >> 4) & 0xF]) + "0123456789abcdef"[byte & 0xF];
    }
    return hex;
  };
  for (const char* hidden : {"\u0080", "\u009f", "\u200b", "\u200f", "\u2028", "\u202e", "\u2066", "\u2069"}) {
    EXPECT_EQ(explainBytes(hidden, true), hexOf(hidden) + "  \"" + hexOf(hidden) + '"') << showBytes(hidden);
  }
  for (const char* shown : {"\u00a0", "\u2010", "\u202f", "\u206a"}) {
    EXPECT_EQ(explainBytes(shown, true), shown + ("  \"" + hexOf(shown)) + '"') << showBytes(shown);
  }
}

TEST(KeyExplanation, neverHoldsAControlByte) {
  for (int byte = 0; byte <= 0xFF; ++byte) {
    for (const bool utf8Output : {true, false}) {
      const std::string explanation = explainBytes(std::string(1, static_cast<char>(byte)), utf8Output);
      EXPECT_FALSE(holdsControlByte(explanation)) << "byte " << byte << ": " << showBytes(explanation);
    }
  }
}

struct ExplainedRecord {
  KeyEvent record;
  std::string explanation;
};

// A console's record as the Windows source makes it an event: the character
// byte as its text, nothing typed when it is 0.
KeyEvent consoleRecord(unsigned char character, std::uint16_t scanCode, std::uint16_t virtualKey, std::uint32_t flags) {
  KeyEvent record;
  record.text = character != 0 ? std::string(1, static_cast<char>(character)) : std::string();
  record.scanCode = scanCode;
  record.virtualKeyCode = virtualKey;
  record.controlKeyState = flags;
  return record;
}

TEST(KeyExplanation, showsAConsoleRecordsScanCodeVirtualKeyAndFlags) {
  const std::vector<ExplainedRecord> cases = {
      {consoleRecord(0, 0x48, 0x26, enhancedKey | leftCtrlPressed), "Ctrl+Up  scan 0x48 vk 0x26 enhanced left-ctrl"},
      {consoleRecord(0, 0x3B, 0x70, 0), "F1  scan 0x3b vk 0x70"},
      {consoleRecord('a', 0x1E, 0x41, numLockOn), "A  scan 0x1e vk 0x41 num-lock"},
      {consoleRecord('5', 0x4C, 0x65, numLockOn), "Keypad 5  scan 0x4c vk 0x65 num-lock"},
      {consoleRecord(13, 0x1C, 0x0D, enhancedKey), "Keypad Enter  scan 0x1c vk 0x0d enhanced"},
      {consoleRecord(0, 0x20, 0x44, rightAltPressed | leftCtrlPressed | shiftPressed),
       "Ctrl+Alt+Shift+D  scan 0x20 vk 0x44 left-ctrl right-alt shift"},
      // A character of the console's code page: its byte, with Alt named
      // but not AltGr, which the console reports as Ctrl+Alt.
      {consoleRecord(0x84, 0x28, 0xDE, 0), R"(\x84  scan 0x28 vk 0xde)"},
      {consoleRecord(0x84, 0x28, 0xDE, leftAltPressed), R"(Alt+\x84  scan 0x28 vk 0xde left-alt)"},
      {consoleRecord(0x84, 0x28, 0xDE, leftCtrlPressed | rightAltPressed),
       R"(\x84  scan 0x28 vk 0xde left-ctrl right-alt)"},
  };
  for (const ExplainedRecord& explained : cases) {
    EXPECT_EQ(keyExplanation(keyDetailsOf(explained.record), false), explained.explanation)
        << showRecord(recordsOf(explained.record).front());
  }
}

}  // namespace
