// The tool as a job of an interactive shell with job control (dash), on a
// terminal the test plays: it answers the keyboard query, so the tool pushes
// the enhanced key flags, and it counts every push and pop. The tool changes
// the terminal only while it is in front, and each push meets one pop.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "captureOutput.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string keycodes = KEYCODES_BINARY;
const std::string dash = "/bin/dash";
const std::string shellPrompt = "job-shell$ ";
// The flags answer (none pushed yet), then the device attributes.
constexpr std::string_view enhancedAnswer = "\x1b[?0u\x1b[?62;22c";

// The state letter in /proc/<pid>/stat: 'T' while stopped.
char processState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t nameEnd = line.rfind(')');
  return nameEnd != std::string::npos && nameEnd + 2 < line.size() ? line[nameEnd + 2] : '?';
}

bool waitForStop(pid_t pid) {
  const auto deadline = Clock::now() + scaled(milliseconds(5000));
  while (processState(pid) != 'T') {
    if (Clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(milliseconds(2));
  }
  return true;
}

class ShellJob : public testing::Test {
 protected:
  void SetUp() override {
    if (access(dash.c_str(), X_OK) != 0) {
      GTEST_SKIP() << "dash is not installed";
    }
    // valgrind never carries out the default action of a stop signal, so
    // a job run under it cannot be stopped.
    if (underValgrind()) {
      GTEST_SKIP() << "job control cannot be tested under valgrind";
    }
    // Should the shell end first, its jobs come to the test, which reaps
    // them in TearDown.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    PtyOptions options;
    options.arguments = {"-i"};
    options.term = "xterm-kitty";
    options.environment = {"PS1=" + shellPrompt, "ENV="};
    shell = startInPty(dash, options);
    readToPrompt();
    cooked = currentSettings(shell);
  }

  void TearDown() override {
    if (job > 0) {
      kill(-job, SIGKILL);
    }
    closePty(shell);
    if (job > 0) {
      waitpid(job, nullptr, 0);
    }
  }

  void type(const std::string& line) { sendBytes(shell, line + "\n"); }

  // Reads until `part` has been shown `count` times since the shell began.
  void readUntilShown(std::string_view part, int count) {
    const auto deadline = Clock::now() + scaled(milliseconds(5000));
    while (countOf(screen, part) < count && Clock::now() < deadline) {
      screen += readAvailable(shell, milliseconds(2));
    }
    EXPECT_GE(countOf(screen, part), count) << "waiting for " << visibleBytes(std::string(part)) << " in\n"
                                            << visibleBytes(screen);
  }

  void readToPrompt() { readUntilShown(shellPrompt, ++prompts); }

  bool terminalAsTheShellHasIt() const { return sameSettings(cooked, currentSettings(shell)); }

  // The tool in front: raw mode, the query answered, the flags pushed.
  void takesTheTerminal(int pushes) {
    EXPECT_TRUE(waitForRawMode(shell, scaled(milliseconds(5000)))) << visibleBytes(screen);
    if (pushes == 1) {
      readUntilShown(keyboardAndModifyOtherKeysQuery, 1);
      sendBytes(shell, enhancedAnswer);
    }
    readUntilShown(pushEnhancedKeys, pushes);
  }

  void startInFront() {
    type(keycodes);
    const auto deadline = Clock::now() + scaled(milliseconds(5000));
    while (tcgetpgrp(shell.master) == shell.pid && Clock::now() < deadline) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    // The shell runs each job in a process group led by its first process.
    const pid_t front = tcgetpgrp(shell.master);
    ASSERT_TRUE(front > 0 && front != shell.pid) << "the tool did not start: " << visibleBytes(screen);
    job = front;
    takesTheTerminal(1);
  }

  // One key and the space, the key at the closing prompt, and the shell
  // back in front.
  void finish() {
    sendBytes(shell, "a ");
    readUntilShown(closingPrompt, 1);
    sendBytes(shell, "x");
    readToPrompt();
    EXPECT_NE(screen.find(asTerminalShowsIt(expectedRows({'a', ' '})) + closingPrompt), std::string::npos)
        << visibleBytes(screen);
    EXPECT_TRUE(terminalAsTheShellHasIt()) << describeSettings(currentSettings(shell));
  }

  void expectPushesAndPops(int count) {
    EXPECT_EQ(countOf(screen, pushEnhancedKeys), count) << visibleBytes(screen);
    EXPECT_EQ(countOf(screen, popEnhancedKeys), count) << visibleBytes(screen);
  }

  PtyProcess shell;
  pid_t job = -1;
  struct termios cooked {};
  std::string screen;
  int prompts = 0;
};

TEST_F(ShellJob, StartedInTheBackgroundItStopsUntouchedAndTakesTheTerminalInFront) {
  type(keycodes + " & echo job=$!");
  readToPrompt();
  const std::size_t jobAt = screen.find("\njob=");
  ASSERT_NE(jobAt, std::string::npos) << visibleBytes(screen);
  job = std::stoi(screen.substr(jobAt + 5));
  ASSERT_TRUE(waitForStop(job)) << "the tool did not stop in the background: " << visibleBytes(screen);
  EXPECT_TRUE(terminalAsTheShellHasIt()) << describeSettings(currentSettings(shell));
  EXPECT_EQ(countOf(screen, keyboardAndModifyOtherKeysQuery), 0) << visibleBytes(screen);
  type("fg");
  takesTheTerminal(1);
  finish();
  expectPushesAndPops(1);
}

TEST_F(ShellJob, BgAfterAStopLeavesTheTerminalToTheShell) {
  ASSERT_NO_FATAL_FAILURE(startInFront());
  kill(-job, SIGTSTP);
  readToPrompt();
  type("bg");
  readToPrompt();
  // Behind, the tool runs until its next read, where SIGTTIN stops it.
  ASSERT_TRUE(waitForStop(job)) << visibleBytes(screen);
  EXPECT_TRUE(terminalAsTheShellHasIt()) << describeSettings(currentSettings(shell));
  EXPECT_EQ(countOf(screen, pushEnhancedKeys), 1) << visibleBytes(screen);
  type("fg");
  takesTheTerminal(2);
  finish();
  expectPushesAndPops(2);
}

struct StopCase {
  int signalNumber;
  int stops;
};

void PrintTo(const StopCase& stopCase, std::ostream* stream) {
  *stream << stopCase.stops << " x SIG" << sigabbrev_np(stopCase.signalNumber);
}

class StopsInFront : public ShellJob, public testing::WithParamInterface<StopCase> {};

TEST_P(StopsInFront, GiveTheShellItsTerminalAndEachPushMeetsOnePop) {
  ASSERT_NO_FATAL_FAILURE(startInFront());
  for (int stop = 1; stop <= GetParam().stops; ++stop) {
    kill(-job, GetParam().signalNumber);
    readToPrompt();
    EXPECT_TRUE(terminalAsTheShellHasIt()) << "stop " << stop << ": " << describeSettings(currentSettings(shell));
    EXPECT_EQ(countOf(screen, popEnhancedKeys), stop) << visibleBytes(screen);
    type("fg");
    takesTheTerminal(stop + 1);
  }
  finish();
  expectPushesAndPops(GetParam().stops + 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopsInFront,
                         testing::Values(StopCase{SIGTSTP, 1}, StopCase{SIGTSTP, 2}, StopCase{SIGTTIN, 1},
                                         StopCase{SIGTTOU, 1}),
                         [](const testing::TestParamInfo<StopCase>& info) {
                           return std::string(sigabbrev_np(info.param.signalNumber)) + "_" +
                                  std::to_string(info.param.stops);
                         });

}  // namespace
