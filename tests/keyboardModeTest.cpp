// The tool asks the terminal what its keyboard can report and switches the
// best reporting on for the run, and off again at the end. The choice for
// each terminal and answer is a unit test of the keyboard modes; here the
// built tool carries out one choice of each kind.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "endOnExit.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "transcript.hpp"

namespace {

PtyOptions onTerminal(const std::string& term) {
  PtyOptions options;
  options.term = term;
  return options;
}

// The whole screen of a run that asked `query` and switched the keyboard
// mode on with `enable` and off with `disable`.
std::string screenOf(std::string_view query, std::string_view enable, const std::vector<int>& codes,
                     std::string_view disable) {
  return asTerminalShowsIt(expectedGreeting()) + std::string(query) + std::string(enable) + rowsOnTerminal(codes) +
         closingPrompt + std::string(disable);
}

TEST(EnhancedKeyboard, AnsweringTerminalGetsTheFlagsPushedAndPoppedAtTheEnd) {
  std::string output;
  PtyProcess process = startTool(output, KeyboardAnswer::enhancedKeys, onTerminal("xterm-kitty"));
  const EndOnExit ended([&process] { closePty(process); });
  finishRun(process, output,
            "\x1b[27u"       // Escape, with no wait
            "\x1b[57419u"    // keypad Up
            "\x1b[97;5u"     // Ctrl+A
            "\x1b[97;5:3u"   // its release: no row
            "\x1b[57441u"    // left Shift alone: no row
            "\x1b[100;3:2u"  // Alt+D repeated: ends the table
  );
  const std::string expected =
      screenOf(keyboardAndModifyOtherKeysQuery, pushEnhancedKeys, {27, 0, 72, 1, 0, 32}, popEnhancedKeys);
  EXPECT_EQ(output, expected) << firstDifference(output, expected);
}

// Over a slow link the answers come late; within the query wait they still
// count, and keys typed before and between them keep their rows.
TEST(EnhancedKeyboard, LateAnswersStillCountAndKeysTypedMeanwhileAreKept) {
  std::string output;
  PtyProcess process = startTool(output, KeyboardAnswer::none, onTerminal("xterm-kitty"));
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "q");
  // The pause is the point: the answer comes in a later read than the key.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  sendBytes(process, std::string(enhancedKeysAnswer) + "w" + std::string(deviceAttributesAnswer));
  finishRun(process, output, " ");
  const std::string expected =
      screenOf(keyboardAndModifyOtherKeysQuery, pushEnhancedKeys, {'q', 'w', 32}, popEnhancedKeys);
  EXPECT_EQ(output, expected) << firstDifference(output, expected);
}

// xterm at modifyOtherKeys level 1 gets level 2 for the run and 1 back; tmux
// passes modified keys on in the CSI u form with Shift already applied.
TEST(ModifyOtherKeys, IsSetForTheRunAndTheLevelFoundIsPutBack) {
  std::string output;
  PtyProcess process = startTool(output, KeyboardAnswer::modifyOtherKeysLevel1, onTerminal("xterm-256color"));
  const EndOnExit ended([&process] { closePty(process); });
  finishRun(process, output,
            "\x1b[27;5;9~"    // Ctrl+Tab
            "\x1b[27;5;13~"   // Ctrl+Enter
            "\x1b[27;3;120~"  // Alt+X
            "\x1b[27;6;33~"   // Ctrl+Shift+1: no pair, no row
            "\x1b[47;2u"      // tmux: Shift+7 giving a slash
            "\x1b[65;6u"      // tmux: Ctrl+Shift+A
            " ");
  const std::string expected = screenOf(keyboardAndModifyOtherKeysQuery, setModifyOtherKeys,
                                        {0, 148, 10, 0, 45, '/', 1, 32}, restoreModifyOtherKeys(1));
  EXPECT_EQ(output, expected) << firstDifference(output, expected);
}

}  // namespace
