// The tool asks the terminal what its keyboard can report and switches the
// best reporting on for the run, and off again on every way out.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "fakeTerminal.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "keys/terminalFamilies.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

const std::string keycodes = KEYCODES_BINARY;

// Starts the tool on a terminal named `term` that answers its keyboard
// query with `answer`; the opening must end with the query.
PtyProcess startAndAnswer(const std::string& term, KeyboardAnswer answer, milliseconds delay = milliseconds(0),
                          const std::vector<std::string>& environment = {}) {
  PtyOptions options;
  options.term = term;
  options.environment = environment;
  PtyProcess process = startInPty(keycodes, options);
  std::string opening;
  EXPECT_TRUE(answerKeyboardQuery(process, opening, answer, delay)) << visibleBytes(opening);
  const std::string query(keyboardQueryFor(familyOfTerm(term)));
  EXPECT_TRUE(opening.ends_with(ruleLineOnScreen + query)) << visibleBytes(opening);
  return process;
}

// Presses `keys`, reads up to the closing prompt, presses the final key and
// returns everything written from the query on.
std::string finishRun(PtyProcess& process, std::string_view keys) {
  sendBytes(process, keys);
  std::string output = readUntil(process, closingPrompt);
  sendBytes(process, "x");
  const int status = waitForExit(process);
  output += readAvailable(process, milliseconds(50));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  return output;
}

// Starts the tool in a terminal that answers the keyboard query and reads
// until the tool has pushed its flags; returns what came after the query.
PtyProcess startWithEnhancedKeys(std::string& pushed, const std::vector<std::string>& environment = {}) {
  PtyProcess process = startAndAnswer("xterm-kitty", KeyboardAnswer::enhancedKeys, milliseconds(0), environment);
  pushed = readUntil(process, pushEnhancedKeys, milliseconds(2000));
  return process;
}

std::string rows(const std::vector<int>& codes) { return rowsOnTerminal(codes); }

TEST(EnhancedKeyboard, AnsweringTerminalGetsTheFlagsPushedAndPoppedAtTheEnd) {
  std::string pushed;
  PtyProcess process = startWithEnhancedKeys(pushed);
  const EndOnExit ended([&process] { closePty(process); });
  EXPECT_EQ(pushed, pushEnhancedKeys) << visibleBytes(pushed);
  const std::string output = finishRun(process,
                                       "\x1b[27u"       // Escape, with no wait
                                       "\x1b[57419u"    // keypad Up
                                       "\x1b[57419;5u"  // Ctrl+keypad Up
                                       "\x1b[97;5u"     // Ctrl+A
                                       "\x1b[97;5:3u"   // its release: no row
                                       "\x1b[9;5u"      // Ctrl+Tab
                                       "\x1b[13;5u"     // Ctrl+Enter
                                       "\x1b[57414u"    // keypad Enter
                                       "\x1b[57410;5u"  // Ctrl+keypad slash
                                       "\x1b[127;5u"    // Ctrl+Backspace
                                       "\x1b[57441u"    // left Shift alone: no row
                                       "\x1b[100;3:2u"  // Alt+D repeated: ends the table
  );
  const std::string expected =
      rows({27, 0, 72, 0, 141, 1, 0, 148, 10, 13, 0, 149, 127, 0, 32}) + closingPrompt + std::string(popEnhancedKeys);
  EXPECT_EQ(output, expected) << "got:      " << visibleBytes(output) << "\nexpected: " << visibleBytes(expected);
  expectSettingsRestored(process);
}

// Over a slow link the answers come late; within the query wait they still
// count, and a key typed meanwhile keeps its row.
TEST(EnhancedKeyboard, AnswerAfterThreeHundredMillisecondsStillCounts) {
  PtyProcess process = startAndAnswer("xterm-kitty", KeyboardAnswer::none);
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "q");
  std::this_thread::sleep_for(milliseconds(300));
  sendBytes(process, answerText(KeyboardAnswer::enhancedKeys));
  // Every flag (disambiguate 1, event types 2, alternate keys 4, all keys
  // as escape codes 8, associated text 16), then the key's row.
  const std::string pushed = readUntil(process, rows({'q'}), milliseconds(2000));
  EXPECT_EQ(pushed, "\x1b[>31u" + rows({'q'})) << visibleBytes(pushed);
  const std::string output = finishRun(process,
                                       "\x1b[228::39;u"    // a-umlaut on a German layout
                                       "\x1b[122::121;3u"  // Alt+z there: Alt+Y's place
                                       "\x1b[47;2u"        // the kitty protocol's Shift+slash
                                       "\x1b[55:47;2;47u"  // Shift+7 giving a slash
                                       " ");
  EXPECT_EQ(output, rows({0xC3, 0xA4, 0, 21, '?', '/', 32}) + closingPrompt + std::string(popEnhancedKeys))
      << visibleBytes(output);
}

TEST(EnhancedKeyboard, KeysTypedWhileTheAnswerIsAwaitedAreKept) {
  PtyProcess process = startAndAnswer("xterm-kitty", KeyboardAnswer::none);
  const EndOnExit ended([&process] { closePty(process); });
  // A key arrives before the answers, another between them.
  sendBytes(process, "q\x1b[?1u");
  sendBytes(process, "w\x1b[?62c");
  const std::string output = finishRun(process, " ");
  EXPECT_EQ(output, std::string(pushEnhancedKeys) + rows({'q', 'w', 32}) + closingPrompt + std::string(popEnhancedKeys))
      << visibleBytes(output);
}

TEST(LegacyKeyboard, DeviceAttributesAloneLeaveTheKeyboardAsItIs) {
  PtyProcess process = startAndAnswer("vt220", KeyboardAnswer::deviceAttributes);
  const EndOnExit ended([&process] { closePty(process); });
  // A late flags answer is skipped like any report; ESC [ A is Up.
  const std::string output = finishRun(process, "\x1b[?1u\x1b[A ");
  EXPECT_EQ(output, rows({224, 72, 32}) + closingPrompt) << visibleBytes(output);
  expectSettingsRestored(process);
}

TEST(LegacyKeyboard, TerminalThatNeverAnswersDelaysTheFirstKeyByTheQueryWaitAtMost) {
  PtyProcess process = startAndAnswer("vt220", KeyboardAnswer::none);
  const EndOnExit ended([&process] { closePty(process); });
  const auto sent = Clock::now();
  sendBytes(process, "z");
  const std::string firstRow = readUntil(process, "\r\n", milliseconds(3000));
  const auto waited = std::chrono::duration_cast<milliseconds>(Clock::now() - sent);
  EXPECT_EQ(firstRow, rows({'z'})) << visibleBytes(firstRow);
  // The wait is 1 s; the margin covers a loaded machine and sanitizers.
  EXPECT_LT(waited.count(), keyboardQueryWaitMs + 400) << "first key after " << waited.count() << " ms";
  const std::string output = finishRun(process, " ");
  EXPECT_EQ(output, rows({32}) + closingPrompt) << visibleBytes(output);
}

struct ModifyOtherKeysCase {
  const char* name;
  const char* term;
  KeyboardAnswer answer;
  // What the tool writes back at the end; empty where it changes nothing.
  std::string_view putBack;
};

void PrintTo(const ModifyOtherKeysCase& modeCase, std::ostream* stream) { *stream << modeCase.name; }

class ModifyOtherKeys : public testing::TestWithParam<ModifyOtherKeysCase> {};

// xterm, and tmux, which passes modified keys on to the programs that set
// modifyOtherKeys, in the CSI u form with Shift already applied. The level
// the terminal had goes back at the end: the one it answered, or tmux's
// and screen's 0; one that gives no level is left as it is.
TEST_P(ModifyOtherKeys, IsSetOnlyWhereTheLevelFoundCanBePutBack) {
  const ModifyOtherKeysCase& modeCase = GetParam();
  PtyProcess process = startAndAnswer(modeCase.term, modeCase.answer);
  const EndOnExit ended([&process] { closePty(process); });
  const std::string expectedSet = modeCase.putBack.empty() ? "" : std::string(setModifyOtherKeys);
  if (!expectedSet.empty()) {
    const std::string set = readUntil(process, setModifyOtherKeys, milliseconds(2000));
    EXPECT_EQ(set, setModifyOtherKeys) << visibleBytes(set);
  }
  const std::string output = finishRun(process,
                                       "\x1b[27;5;9~"    // Ctrl+Tab
                                       "\x1b[27;5;13~"   // Ctrl+Enter
                                       "\x1b[27;3;120~"  // Alt+X
                                       "\x1b[27;6;33~"   // Ctrl+Shift+1: no pair, no row
                                       "\x1b[47;2u"      // tmux: Shift+7 giving a slash
                                       "\x1b[65;6u"      // tmux: Ctrl+Shift+A
                                       " ");
  EXPECT_EQ(output, rows({0, 148, 10, 0, 45, '/', 1, 32}) + closingPrompt + std::string(modeCase.putBack))
      << visibleBytes(output);
  expectSettingsRestored(process);
}

INSTANTIATE_TEST_SUITE_P(
    Terminals, ModifyOtherKeys,
    testing::Values(ModifyOtherKeysCase{"xtermAnsweringLevel1", "xterm-256color", KeyboardAnswer::modifyOtherKeysLevel1,
                                        "\x1b[>4;1m"},
                    ModifyOtherKeysCase{"xtermNamedTerminalNotAnswering", "xterm-256color",
                                        KeyboardAnswer::deviceAttributes, ""},
                    ModifyOtherKeysCase{"tmux", "tmux-256color", KeyboardAnswer::deviceAttributes, "\x1b[>4;0m"},
                    ModifyOtherKeysCase{"screen", "screen", KeyboardAnswer::deviceAttributes, "\x1b[>4;0m"}),
    [](const testing::TestParamInfo<ModifyOtherKeysCase>& info) { return std::string(info.param.name); });

class PopOnSignal : public testing::TestWithParam<int> {};

TEST_P(PopOnSignal, FlagsArePoppedBeforeTheToolDies) {
  if (underValgrind()) {
    GTEST_SKIP()
        << "valgrind takes the fault signals for itself; the handler is tested natively and under the sanitizers";
  }
  // No core files from the crash signals, and the sanitizers' own fault
  // handlers off, so that the tool's handler is the one that runs.
  const struct rlimit noCore {};
  setrlimit(RLIMIT_CORE, &noCore);
  std::string pushed;
  PtyProcess process =
      startWithEnhancedKeys(pushed, {"ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0"});
  const EndOnExit ended([&process] { closePty(process); });
  ASSERT_EQ(pushed, pushEnhancedKeys) << visibleBytes(pushed);
  kill(process.pid, GetParam());
  const int status = waitForExit(process);
  const std::string output = readAvailable(process, milliseconds(50));
  EXPECT_EQ(output, popEnhancedKeys) << visibleBytes(output);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << "wait status " << status;
  expectSettingsRestored(process);
}

// The other terminating signals: faultSignalTest.cpp.
INSTANTIATE_TEST_SUITE_P(CrashSignals, PopOnSignal, testing::Values(SIGSEGV, SIGBUS, SIGFPE, SIGILL),
                         [](const testing::TestParamInfo<int>& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
