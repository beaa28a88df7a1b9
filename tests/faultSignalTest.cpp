// Signals reaching the tool while it waits for a key and while it writes a
// burst of rows: the terminating ones restore the terminal and kill the
// tool by the same signal; a stop and continue leave it raw and losing
// nothing.

#include <gtest/gtest.h>
#include <signal.h>
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
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using std::chrono::milliseconds;

const std::string keycodes = KEYCODES_BINARY;
// An xterm name, so the tool switches modifyOtherKeys on and must switch it
// off again on the way out, from its signal handlers too.
const std::string xtermName = "xterm-256color";
// The tool sets modifyOtherKeys 2 on an xterm that answered level 1, and
// puts 1 back.
const std::string putBackModifyOtherKeys(restoreModifyOtherKeys(1));
// Fits the terminal's input buffer, so the keys are all in before the
// signal; its rows fill the output buffer many times over.
constexpr int burstKeys = 3000;
// Rows read before the test stops reading, so the tool is mid-burst.
constexpr int rowsBeforeSignal = 50;

struct SignalCase {
  int signalNumber;
  bool whileWriting;
};

// The signal's name without SIG: TERM, RTMIN, RTMIN_1, RTMAX.
std::string signalName(int signalNumber) {
  if (signalNumber == SIGRTMAX) {
    return "RTMAX";
  }
  if (signalNumber >= SIGRTMIN && signalNumber < SIGRTMAX) {
    return signalNumber == SIGRTMIN ? "RTMIN" : std::string("RTMIN_").append(std::to_string(signalNumber - SIGRTMIN));
  }
  const char* name = sigabbrev_np(signalNumber);
  return name != nullptr ? name : std::to_string(signalNumber);
}

void PrintTo(const SignalCase& signalCase, std::ostream* stream) {
  *stream << "SIG" << signalName(signalCase.signalNumber)
          << (signalCase.whileWriting ? " while writing" : " while waiting");
}

std::string caseName(const testing::TestParamInfo<SignalCase>& info) {
  return signalName(info.param.signalNumber) + (info.param.whileWriting ? "_writing" : "_waiting");
}

// Starts the tool on an xterm-named pty and reads until it has switched its
// keyboard mode on, after which it waits for keys.
PtyProcess startWaitingForKeys(std::string& output) {
  PtyOptions options;
  options.term = xtermName;
  PtyProcess process = startInPty(keycodes, options);
  EXPECT_TRUE(answerKeyboardQuery(process, output, KeyboardAnswer::modifyOtherKeysLevel1)) << visibleBytes(output);
  EXPECT_TRUE(waitForRawMode(process)) << describeSettings(currentSettings(process));
  output += readUntil(process, setModifyOtherKeys);
  EXPECT_NE(output.find(setModifyOtherKeys), std::string::npos) << visibleBytes(output);
  return process;
}

// Presses `keys` and reads until `rows` rows of `code` have come, then
// stops reading, so that the tool soon blocks writing the next ones.
void startBurst(PtyProcess& process, std::string& output, const std::string& keys, int code, int rows) {
  sendBytes(process, keys);
  const std::string row = rowOnTerminal(code);
  while (countOf(output, row) < rows) {
    if (!readChunk(process, output, scaled(milliseconds(5000)))) {
      ADD_FAILURE() << "no rows came: " << visibleBytes(output);
      return;
    }
  }
  std::this_thread::sleep_for(milliseconds(20));
}

class TerminatingSignal : public testing::TestWithParam<SignalCase> {};

TEST_P(TerminatingSignal, RestoresTheTerminalAndKillsTheToolByTheSameSignal) {
  const SignalCase signalCase = GetParam();
  if ((signalCase.signalNumber == SIGTRAP || signalCase.signalNumber == SIGSYS) && underValgrind()) {
    GTEST_SKIP() << "valgrind takes the fault signals for itself";
  }
  if ((signalCase.signalNumber == SIGSTKFLT || signalCase.signalNumber == SIGRTMAX) && underValgrind()) {
    GTEST_SKIP() << "valgrind does not deliver SIGSTKFLT and SIGRTMAX to the program it runs";
  }
  std::string output;
  PtyProcess process = startWaitingForKeys(output);
  const std::string row = rowOnTerminal('a');
  const EndOnExit ended([&process] { closePty(process); });
  if (signalCase.whileWriting) {
    startBurst(process, output, std::string(burstKeys, 'a'), 'a', rowsBeforeSignal);
  }
  kill(process.pid, signalCase.signalNumber);
  std::string after;
  const int status = waitWhileReading(process, after, scaled(milliseconds(5000)));
  ASSERT_TRUE(WIFSIGNALED(status)) << "wait status " << status;
  EXPECT_EQ(WTERMSIG(status), signalCase.signalNumber);
  expectSettingsRestored(process);
  // Each push meets one pop.
  EXPECT_EQ(countOf(output + after, setModifyOtherKeys), 1) << visibleBytes(output);
  EXPECT_EQ(countOf(after, putBackModifyOtherKeys), 1)
      << "keyboard mode not switched off: " << visibleBytes(after.substr(after.size() > 200 ? after.size() - 200 : 0));
  if (signalCase.whileWriting) {
    EXPECT_LT(countOf(output + after, row), burstKeys) << "the burst was over before the signal";
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminatingSignal,
                         testing::Values(SignalCase{SIGTERM, false}, SignalCase{SIGTERM, true},
                                         SignalCase{SIGHUP, false}, SignalCase{SIGHUP, true}, SignalCase{SIGINT, false},
                                         SignalCase{SIGINT, true}, SignalCase{SIGQUIT, false},
                                         SignalCase{SIGQUIT, true}),
                         caseName);

// Every other signal whose default action ends the process, sent from
// outside (kill -USR1) while the tool waits; SIGXFSZ from a file size limit
// is a row of the fault matrix too.
INSTANTIATE_TEST_SUITE_P(
    OtherSignals, TerminatingSignal,
    testing::Values(SignalCase{SIGUSR1, false}, SignalCase{SIGUSR2, false}, SignalCase{SIGALRM, false},
                    SignalCase{SIGVTALRM, false}, SignalCase{SIGPROF, false}, SignalCase{SIGXCPU, false},
                    SignalCase{SIGXFSZ, false}, SignalCase{SIGSYS, false}, SignalCase{SIGTRAP, false},
                    SignalCase{SIGSTKFLT, false}, SignalCase{SIGPWR, false}, SignalCase{SIGIO, false},
                    SignalCase{SIGABRT, false}, SignalCase{SIGUSR1, true}, SignalCase{SIGRTMIN, false},
                    SignalCase{SIGRTMIN + 1, false}, SignalCase{SIGRTMAX, false}),
    caseName);

TEST(IgnoredSignals, SignalsIgnoredAtTheStartStayIgnored) {
  // As under nohup, or in the background of a shell without job control:
  // the tool must not take these signals back and die of them.
  const std::vector<int> ignored = {SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGALRM, SIGPWR, SIGRTMIN, SIGRTMAX};
  std::string script = "trap ''";
  for (const int signalNumber : ignored) {
    script += ' ';
    script += std::to_string(signalNumber);
  }
  script += "; exec \"$0\"";
  PtyOptions options;
  options.term = xtermName;
  options.arguments = {"-c", script, keycodes};
  PtyProcess process = startInPty("/bin/sh", options);
  const EndOnExit ended([&process] { closePty(process); });
  std::string output;
  EXPECT_TRUE(answerKeyboardQuery(process, output, KeyboardAnswer::modifyOtherKeysLevel1)) << visibleBytes(output);
  ASSERT_TRUE(waitForRawMode(process, scaled(milliseconds(5000)))) << describeSettings(currentSettings(process));
  for (const int signalNumber : ignored) {
    kill(process.pid, signalNumber);
  }
  sendBytes(process, "a ");
  output += readUntil(process, closingPrompt, scaled(milliseconds(5000)));
  sendBytes(process, "x");
  const int status = waitForExit(process, scaled(milliseconds(5000)));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  EXPECT_NE(output.find(rowOnTerminal('a')), std::string::npos) << visibleBytes(output);
}

// A fault comes back as soon as the faulting instruction runs again, so a
// crash signal is handled even where the parent ignored it.
TEST(IgnoredSignals, ACrashSignalIgnoredAtTheStartStillRestoresAndEndsTheTool) {
  if (underValgrind()) {
    GTEST_SKIP() << "valgrind takes the fault signals for itself";
  }
  PtyOptions options;
  options.term = xtermName;
  options.arguments = {"-c", "trap '' SEGV; exec \"$0\"", keycodes};
  options.environment = {"ASAN_OPTIONS=handle_segv=0"};
  PtyProcess process = startInPty("/bin/sh", options);
  const EndOnExit ended([&process] { closePty(process); });
  std::string output;
  EXPECT_TRUE(answerKeyboardQuery(process, output, KeyboardAnswer::modifyOtherKeysLevel1)) << visibleBytes(output);
  output += readUntil(process, setModifyOtherKeys);
  ASSERT_NE(output.find(setModifyOtherKeys), std::string::npos) << visibleBytes(output);
  kill(process.pid, SIGSEGV);
  std::string after;
  const int status = waitWhileReading(process, after, scaled(milliseconds(5000)));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << "wait status " << status;
  expectSettingsRestored(process);
  EXPECT_EQ(countOf(after, putBackModifyOtherKeys), 1) << visibleBytes(after);
}

class StopAndContinue : public testing::TestWithParam<bool> {};

TEST_P(StopAndContinue, LeaveTheToolRawAndLoseNoKey) {
  // The tool leads its own session here, so its process group is orphaned
  // and the kernel discards the stop; the handler's way back runs anyway.
  const bool whileWriting = GetParam();
  std::string output;
  PtyProcess process = startWaitingForKeys(output);
  const EndOnExit ended([&process] { closePty(process); });
  std::vector<int> codes;
  if (whileWriting) {
    codes.assign(burstKeys, 'a');
    startBurst(process, output, std::string(burstKeys, 'a') + " ", 'a', rowsBeforeSignal);
  }
  kill(process.pid, SIGTSTP);
  std::this_thread::sleep_for(milliseconds(50));
  kill(process.pid, SIGCONT);
  if (!whileWriting) {
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_TRUE(isRawMode(currentSettings(process))) << describeSettings(currentSettings(process));
    sendBytes(process, "k ");
    codes = {'k'};
  }
  codes.push_back(' ');
  output += readUntil(process, closingPrompt, scaled(milliseconds(30'000)));
  EXPECT_TRUE(isRawMode(currentSettings(process))) << describeSettings(currentSettings(process));
  sendBytes(process, "x");
  std::string after;
  const int status = waitWhileReading(process, after, scaled(milliseconds(5000)));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  expectSettingsRestored(process);
  EXPECT_EQ(after, putBackModifyOtherKeys) << visibleBytes(after);

  // The way through the stop switched the keyboard mode off and on again
  // between the rows, once each: the continue that follows finds it on.
  // Without those sequences the screen is whole.
  int switchedOff = 0;
  int switchedOn = 0;
  std::string screen = withoutEvery(output, putBackModifyOtherKeys, switchedOff);
  screen = withoutEvery(screen, setModifyOtherKeys, switchedOn);
  EXPECT_EQ(switchedOff, 1) << "the stop handler did not run";
  EXPECT_EQ(switchedOn, 2) << "raw mode was not taken up again, or the mode was pushed twice";
  const std::string expected = asTerminalShowsIt(expectedGreeting()) + std::string(keyboardAndModifyOtherKeysQuery) +
                               rowsOnTerminal(codes) + closingPrompt;
  EXPECT_TRUE(screen == expected) << firstDifference(screen, expected);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopAndContinue, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
  return std::string(info.param ? "TSTP_CONT_writing" : "TSTP_CONT_waiting");
});

}  // namespace
