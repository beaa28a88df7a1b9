#include "keys/terminalFamilies.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "keys/byteStream.hpp"
#include "keys/keyCodes.hpp"
#include "keys/keyboardMode.hpp"
#include "streamReads.hpp"

namespace {

struct TermCase {
  const char* termName;
  TerminalFamily family;
  // What the tool sends to it when it does not answer the flags query.
  std::string_view legacyMode;
};

TEST(TerminalFamilies, followTheTermNameAndSayWhatMayBeSent) {
  using enum TerminalFamily;
  const std::vector<TermCase> cases = {
      {"xterm", xterm, setModifyOtherKeys},
      {"xterm-256color", xterm, setModifyOtherKeys},
      {"xterm-kitty", xterm, setModifyOtherKeys},
      {"rxvt-unicode-256color", rxvt, ""},
      {"rxvt", rxvt, ""},
      {"linux", linuxConsole, ""},
      {"linux-16color", linuxConsole, ""},
      {"st", st, ""},
      {"st-256color", st, ""},
      {"stterm-256color", st, ""},
      {"tmux", tmux, setModifyOtherKeys},
      {"tmux-256color", tmux, setModifyOtherKeys},
      {"screen", screen, setModifyOtherKeys},
      {"screen.xterm-256color", screen, setModifyOtherKeys},
      {"st52", other, ""},
      {"vt220", other, ""},
      {"sun", other, ""},
  };
  for (const TermCase& termCase : cases) {
    const TerminalFamilyRow& row = familyOfTerm(termCase.termName);
    EXPECT_EQ(row.family, termCase.family) << termCase.termName;
    EXPECT_EQ(keyboardModeFor(row, ProtocolAnswer::legacy).enable, termCase.legacyMode) << termCase.termName;
    EXPECT_EQ(keyboardModeFor(row, ProtocolAnswer::none).enable, termCase.legacyMode) << termCase.termName;
  }
  // Only st reads CSI M as a key and its editing functions as keys.
  for (const TerminalFamilyRow& row : terminalFamilies()) {
    EXPECT_EQ(row.editingFunctionsAreKeys, row.family == TerminalFamily::st);
    EXPECT_EQ(row.x10MouseReports, row.family != TerminalFamily::st);
  }
}

TEST(KeyboardModeChoice, theFlagsAnswerPushesTheKittyFlagsAndSetsWhatCsiUMeans) {
  for (const TerminalFamilyRow& row : terminalFamilies()) {
    const KeyboardMode enhanced = keyboardModeFor(row, ProtocolAnswer::enhanced);
    EXPECT_EQ(enhanced.enable, pushEnhancedKeys);
    EXPECT_EQ(enhanced.disable, popEnhancedKeys);
    EXPECT_EQ(enhanced.keyNumbers, KeyNumberMeaning::unshiftedKey);
    for (const ProtocolAnswer answer : {ProtocolAnswer::legacy, ProtocolAnswer::none}) {
      const KeyboardMode legacy = keyboardModeFor(row, answer);
      EXPECT_EQ(legacy.keyNumbers, KeyNumberMeaning::typedCharacter);
      EXPECT_EQ(legacy.disable.empty(), legacy.enable.empty());
      if (!legacy.enable.empty()) {
        EXPECT_EQ(legacy.disable, resetModifyOtherKeys);
      }
    }
  }
}

struct AnswerCase {
  std::string bytes;
  std::optional<EventType> first;
};

// The answers to the keyboard query are events of the stream, found among
// keys typed before, between and after them; the keys stay for the reader.
TEST(KeyboardQueryAnswers, areEventsTakenOutOfTheStreamInOrder) {
  constexpr auto flags = EventType::keyboardFlagsAnswer;
  constexpr auto attributes = EventType::deviceAttributesAnswer;
  const std::vector<AnswerCase> cases = {
      {"\x1b[?0u\x1b[?62;22c", flags},    {"\x1b[?31u\x1b[?1;2c", flags},
      {"\x1b[?1;2c", attributes},         {"\x1b[?64;1;2;6;9;15;18;21;22c", attributes},
      {"\x1b[?1;2c\x1b[?1u", attributes}, {"", std::nullopt},
      {"\x1b[?1;2", std::nullopt},        {"\x1b[?", std::nullopt},
      {"abc\x1b[A", std::nullopt},        {"q\x1b[1;5Au\x1b[?0u\x1b[?6c", flags},
      {"\x1b[?1;2$y\x1b[?5u", flags},
  };
  for (const AnswerCase& answerCase : cases) {
    ByteStream stream;
    stream.feed(answerCase.bytes);
    EXPECT_EQ(stream.takeAnswer(), answerCase.first) << showBytes(answerCase.bytes);
  }
  // Keys typed around the answers are given in order, the answers left out.
  ByteStream stream;
  const std::string input = "q\x1b[?0uw\x1b[?62c\x1b[1;5A";
  stream.feed(input);
  stream.endInput();
  EXPECT_EQ(stream.takeAnswer(), flags);
  std::vector<int> codes;
  for (StreamItem item = stream.next(false); item.status == StreamStatus::event; item = stream.next(false)) {
    const KeyCodes keyCodes = codesOf(item.event);
    for (std::size_t index = 0; index < keyCodes.size(); ++index) {
      codes.push_back(keyCodes[index]);
    }
  }
  EXPECT_EQ(codes, (std::vector<int>{'q', 'w', 224, 141})) << showBytes(input);
}

}  // namespace
