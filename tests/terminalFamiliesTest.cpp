#include "keys/terminalFamilies.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/byteStream.hpp"
#include "keys/keyCodes.hpp"
#include "keys/keyboardMode.hpp"
#include "streamReads.hpp"

namespace {

TEST(TerminalFamilies, followTheTermName) {
  using enum TerminalFamily;
  const std::vector<std::pair<const char*, TerminalFamily>> cases = {
      {"xterm-256color", xterm},
      {"xterm-kitty", xterm},
      {"rxvt-unicode-256color", rxvt},
      {"linux", linuxConsole},
      {"st", st},
      {"stterm-256color", st},
      {"tmux-256color", tmux},
      {"screen", screen},
      {"screen.xterm-256color", screen},
      {"foot", foot},
      {"dumb", dumb},
      {"", dumb},
      {"emacs", dumb},
      {"st52", other},
      {"vt220", other},
  };
  for (const auto& [termName, family] : cases) {
    EXPECT_EQ(familyOfTerm(termName).family, family) << termName;
  }
  // Only st reads CSI M as a key and its editing functions as keys.
  for (const TerminalFamilyRow& row : terminalFamilies()) {
    EXPECT_EQ(row.editingFunctionsAreKeys, row.family == TerminalFamily::st);
    EXPECT_EQ(row.x10MouseReports, row.family != TerminalFamily::st);
  }
}

struct ModeCase {
  const char* termName;
  QueryAnswers answers;
  // What is sent for the run and at its end; empty for nothing.
  std::string_view enable;
  std::string_view disable;
  KeyReporting reporting;
};

// The mode follows the answers; modifyOtherKeys is changed only where the
// level it had is known, and that level is what goes back.
TEST(KeyboardModeChoice, followsTheAnswersAndPutsBackWhatItFound) {
  using enum ProtocolAnswer;
  constexpr auto unshifted = KeyNumberMeaning::unshiftedKey;
  constexpr auto typed = KeyNumberMeaning::typedCharacter;
  const std::vector<ModeCase> cases = {
      {"xterm-kitty", {enhanced, std::nullopt}, pushEnhancedKeys, popEnhancedKeys, {unshifted}},
      {"rxvt", {enhanced, std::nullopt}, pushEnhancedKeys, popEnhancedKeys, {unshifted}},
      {"xterm", {legacy, 0}, setModifyOtherKeys, "\x1b[>4;0m", {typed, true}},
      {"xterm-256color", {legacy, 1}, setModifyOtherKeys, "\x1b[>4;1m", {typed, true}},
      {"xterm-256color", {legacy, 3}, setModifyOtherKeys, "\x1b[>4;3m", {typed, true}},
      {"xterm-256color", {legacy, 4}, "", "", {typed}},
      {"xterm-256color", {legacy, -1}, "", "", {typed}},
      {"xterm-256color", {legacy, std::nullopt}, "", "", {typed}},
      {"xterm-256color", {none, std::nullopt}, "", "", {typed}},
      {"tmux-256color", {legacy, std::nullopt}, setModifyOtherKeys, "\x1b[>4;0m", {typed}},
      {"screen", {none, std::nullopt}, setModifyOtherKeys, "\x1b[>4;0m", {typed}},
      {"tmux-256color", {legacy, 1}, setModifyOtherKeys, "\x1b[>4;1m", {typed, true}},
      {"rxvt-unicode", {legacy, 0}, "", "", {typed}},
      {"linux", {none, std::nullopt}, "", "", {typed}},
      {"vt220", {legacy, 0}, "", "", {typed}},
  };
  for (const ModeCase& modeCase : cases) {
    const KeyboardMode mode = keyboardModeFor(familyOfTerm(modeCase.termName), modeCase.answers);
    const std::string what =
        std::string(modeCase.termName) + " level " + std::to_string(modeCase.answers.modifyOtherKeys.value_or(-1));
    EXPECT_EQ(mode.enable, modeCase.enable) << what;
    EXPECT_EQ(mode.disable, modeCase.disable) << what;
    EXPECT_EQ(mode.reporting.keyNumbers, modeCase.reporting.keyNumbers) << what;
    EXPECT_EQ(mode.reporting.ctrlHReported, modeCase.reporting.ctrlHReported) << what;
  }
  // The query asks for the modifyOtherKeys level where that mode may be set;
  // a terminal that takes no control sequence is asked nothing.
  EXPECT_EQ(keyboardQueryFor(familyOfTerm("xterm")), keyboardAndModifyOtherKeysQuery);
  EXPECT_EQ(keyboardQueryFor(familyOfTerm("rxvt")), keyboardProtocolQuery);
  EXPECT_EQ(keyboardQueryFor(familyOfTerm("dumb")), "");
  EXPECT_EQ(keyboardQueryFor(familyOfTerm("")), "");
}

struct AnswerCase {
  std::string bytes;
  std::optional<EventType> first;
  int value = 0;
};

// The answers to the keyboard query are events of the stream, found among
// keys typed before, between and after them; the keys stay for the reader.
TEST(KeyboardQueryAnswers, areEventsTakenOutOfTheStreamInOrder) {
  constexpr auto flags = EventType::keyboardFlagsAnswer;
  constexpr auto attributes = EventType::deviceAttributesAnswer;
  constexpr auto modifyOtherKeys = EventType::modifyOtherKeysAnswer;
  const std::vector<AnswerCase> cases = {
      {"\x1b[?0u\x1b[?62;22c", flags},
      {"\x1b[?1;2c", attributes},
      {"\x1b[?64;1;2;6;9;15;18;21;22c", attributes},
      {"\x1b[?1;2c\x1b[?1u", attributes},
      {"", std::nullopt},
      {"\x1b[?1;2", std::nullopt},
      {"abc\x1b[A", std::nullopt},
      {"q\x1b[1;5Au\x1b[?0u\x1b[?6c", flags},
      {"\x1b[?1;2$y\x1b[?5u", flags},
      {"\x1b[>4;2m\x1b[?1;2c", modifyOtherKeys, 2},
      {"\x1b[>4m", modifyOtherKeys, 0},
      {"\x1b[>1;2m", std::nullopt},
      {"\x9b?62;22c", attributes},
      {"\x9b>4;1m", modifyOtherKeys, 1},
      {"\x9b"
       "A",
       std::nullopt},
  };
  for (const AnswerCase& answerCase : cases) {
    ByteStream stream;
    stream.feed(answerCase.bytes);
    stream.endInput();
    const std::optional<KeyEvent> answer = stream.takeAnswer();
    EXPECT_EQ(answer ? std::optional(answer->eventType) : std::nullopt, answerCase.first)
        << showBytes(answerCase.bytes);
    EXPECT_EQ(answer ? answer->answerValue : 0, answerCase.value) << showBytes(answerCase.bytes);
  }
  // Keys typed around the answers are given in order, the answers left out.
  ByteStream stream;
  const std::string input = "q\x1b[?0uw\x1b[?62c\x1b[1;5A";
  stream.feed(input);
  stream.endInput();
  EXPECT_EQ(stream.takeAnswer()->eventType, flags);
  std::vector<int> codes;
  for (StreamItem item = stream.next(false); item.status == StreamStatus::event; item = stream.next(false)) {
    const std::vector<int> numbers = codeNumbersOf(item.event);
    codes.insert(codes.end(), numbers.begin(), numbers.end());
  }
  EXPECT_EQ(codes, (std::vector<int>{'q', 'w', 224, 141})) << showBytes(input);
}

}  // namespace
