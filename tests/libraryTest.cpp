// The library in a program of its own (tests/libraryProbe.c, linked with
// the shared library): the terminal handed back and taken up again, the
// program's own signal handlers called with the terminal restored, and the
// library's signal handling turned off.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "endOnExit.hpp"
#include "fakeTerminal.hpp"
#include "keys/keyboardMode.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

const std::string probe = LIBRARY_PROBE;

// Starts the probe in the case `mode` on a terminal that answers the
// keyboard query with `answer`, and waits for the terminal to go raw.
PtyProcess startProbe(const char* mode, KeyboardAnswer answer = KeyboardAnswer::deviceAttributes) {
  PtyOptions options;
  options.arguments = {mode};
  // The sanitizer's own fault handler off, so that the probe sees SIGSEGV
  // as the library leaves it.
  options.environment = {"ASAN_OPTIONS=handle_segv=0"};
  PtyProcess process = startInPty(probe, options);
  std::string opening;
  EXPECT_TRUE(answerKeyboardQuery(process, opening, answer)) << visibleBytes(opening);
  EXPECT_TRUE(waitForRawMode(process));
  return process;
}

std::size_t countOf(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

int exitStatusOf(PtyProcess& process) {
  const int status = waitForExit(process);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LibraryHandBack, TheTerminalIsAsItWasUntilTheNextRead) {
  PtyProcess process = startProbe("handback", KeyboardAnswer::enhancedKeys);
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "\x1b[97u");
  std::string output = readUntil(process, "restored\r\n");
  ASSERT_NE(output.find("code 97\r\navailable before 0\r\n"), std::string::npos) << visibleBytes(output);
  expectSettingsRestored(process);
  EXPECT_EQ(countOf(output, pushEnhancedKeys), 1U) << visibleBytes(output);
  EXPECT_EQ(countOf(output, popEnhancedKeys), 1U) << "the keyboard mode was not popped: " << visibleBytes(output);
  // Cooked: the line goes to the probe's standard input at Enter.
  sendBytes(process, "go\r");
  EXPECT_TRUE(waitForRawMode(process)) << "the next read did not take the terminal again";
  sendBytes(process, "\x1b[98u");
  output += readUntil(process, "code 98\r\n");
  EXPECT_EQ(exitStatusOf(process), 0);
  output += readAvailable(process, std::chrono::milliseconds(20));
  expectSettingsRestored(process);
  // Pushed again with raw mode, popped again at exit.
  EXPECT_EQ(countOf(output, pushEnhancedKeys), 2U) << visibleBytes(output);
  EXPECT_EQ(countOf(output, popEnhancedKeys), 2U) << visibleBytes(output);
}

class ProgramHandler : public testing::TestWithParam<int> {};

// The probe's handler runs with the terminal given back (echo on), the
// probe is neither ended nor stopped, and its read goes on in raw mode.
TEST_P(ProgramHandler, RunsWithTheTerminalRestoredAndTheProgramReadsOn) {
  const int signalNumber = GetParam();
  PtyProcess process = startProbe("handlers");
  const EndOnExit ended([&process] { closePty(process); });
  kill(process.pid, signalNumber);
  std::string output = readUntil(process, "in handler\r\n");
  ASSERT_NE(output.find("in handler"), std::string::npos) << visibleBytes(output);
  EXPECT_TRUE(waitForRawMode(process)) << "the terminal was not taken up again";
  sendBytes(process, "a");
  // Only the handler installed with SA_SIGINFO is told who sent the signal.
  const int sender = signalNumber == SIGHUP ? 1 : 0;
  const std::string report =
      "code 97\r\nhandled " + std::to_string(signalNumber) + " echo 1 sender " + std::to_string(sender) + "\r\n";
  output += readUntil(process, report);
  EXPECT_NE(output.find(report), std::string::npos) << visibleBytes(output);
  sendBytes(process, "b");
  output += readUntil(process, "handled 0");
  EXPECT_EQ(exitStatusOf(process), 0);
  expectSettingsRestored(process);
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramHandler, testing::Values(SIGTERM, SIGHUP, SIGTSTP),
                         [](const testing::TestParamInfo<int>& info) { return std::string(sigabbrev_np(info.param)); });

TEST(LibrarySignals, TurnedOffBeforeTheFirstReadTheyAreLeftAlone) {
  PtyProcess process = startProbe("quiet");
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "a");
  const std::string output = readUntil(process, "SEGV default\r\n");
  EXPECT_NE(output.find("code 97\r\nTERM default TSTP default CONT default SEGV default\r\n"), std::string::npos)
      << visibleBytes(output);
  // Nothing of the library's runs: the signal ends the probe with the
  // terminal still raw, as the program has asked for.
  kill(process.pid, SIGTERM);
  const int status = waitForExit(process);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "wait status " << status;
  EXPECT_TRUE(isRawMode(currentSettings(process))) << describeSettings(currentSettings(process));
}

TEST(LibrarySignals, TurnedOffLaterTheProgramsOwnActionsComeBack) {
  PtyProcess process = startProbe("toggle");
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "a");
  const std::string output = readUntil(process, "on other\r\n");
  EXPECT_NE(output.find("code 97\r\non other off program TSTP default on other\r\n"), std::string::npos)
      << visibleBytes(output);
  EXPECT_EQ(exitStatusOf(process), 0);
  expectSettingsRestored(process);
}

}  // namespace
