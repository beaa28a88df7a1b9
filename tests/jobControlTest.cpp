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
#include <string>
#include <thread>

#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using std::chrono::milliseconds;

const std::string dash = "/bin/dash";
const std::string shellPrompt = "job-shell$ ";

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
  void readUntilShown(std::string_view part, int count) { ::readUntilShown(shell, screen, part, count); }
  void readToPrompt() { readUntilShown(shellPrompt, ++prompts); }

  bool terminalAsTheShellHasIt() const { return sameSettings(cooked, currentSettings(shell)); }

  // The tool in front: raw mode, the query answered, the flags pushed.
  void takesTheTerminal(int pushes) {
    EXPECT_TRUE(waitForRawMode(shell, scaled(milliseconds(5000)))) << visibleBytes(screen);
    if (pushes == 1) {
      readUntilShown(keyboardAndModifyOtherKeysQuery, 1);
      sendBytes(shell, answerText(KeyboardAnswer::enhancedKeys));
    }
    readUntilShown(pushEnhancedKeys, pushes);
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

  PtyProcess shell;
  pid_t job = -1;
  struct termios cooked {};
  std::string screen;
  int prompts = 0;
};

// Started in the background the tool stops untouched. In front it takes
// the terminal, and each stop gives it back as the shell had it, as does a
// move behind, where its next read stops it (SIGTTIN); the stop signals take
// one handler, so SIGTSTP stands for them all. Each push meets one pop.
TEST_F(ShellJob, TakesTheTerminalOnlyInFront) {
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
  for (int stop = 1; stop <= 2; ++stop) {
    kill(-job, SIGTSTP);
    readToPrompt();
    EXPECT_TRUE(terminalAsTheShellHasIt()) << "stop " << stop << ": " << describeSettings(currentSettings(shell));
    EXPECT_EQ(countOf(screen, popEnhancedKeys), stop) << visibleBytes(screen);
    if (stop == 2) {
      type("bg");
      readToPrompt();
      ASSERT_TRUE(waitForStop(job)) << visibleBytes(screen);
      EXPECT_TRUE(terminalAsTheShellHasIt()) << describeSettings(currentSettings(shell));
    }
    type("fg");
    takesTheTerminal(stop + 1);
  }
  finish();
  EXPECT_EQ(countOf(screen, pushEnhancedKeys), 3) << visibleBytes(screen);
  EXPECT_EQ(countOf(screen, popEnhancedKeys), 3) << visibleBytes(screen);
}

}  // namespace
