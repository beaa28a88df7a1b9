// The terminal comes back exactly as it was on every way out of the process,
// and stays raw while the tool reads keys.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <string>
#include <thread>

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
const std::string probe = PROBE_BINARY;

// Starts the tool and waits until it reads keys from a raw terminal.
PtyProcess startWaitingForKeys() {
  PtyProcess process = startInPty(keycodes);
  // Answer as a legacy terminal, so the tool need not wait for the answer.
  std::string opening;
  EXPECT_TRUE(answerKeyboardQuery(process, opening, KeyboardAnswer::deviceAttributes)) << visibleBytes(opening);
  EXPECT_TRUE(waitForRawMode(process));
  return process;
}

struct WayOut {
  const char* way;
  // The signal that ends the probe, or 0 when it exits with `exitCode`.
  int killedBy;
  int exitCode;
};

class RestoreOnWayOut : public testing::TestWithParam<WayOut> {};

// Every way out restores the settings, and pops the keyboard flags the
// probe pushed. The terminating signals are tested on the tool itself
// (faultSignalTest.cpp).
TEST_P(RestoreOnWayOut, SettingsComeBackAndTheFlagsArePopped) {
  const WayOut wayOut = GetParam();
  if (wayOut.killedBy == SIGSEGV && underValgrind()) {
    GTEST_SKIP() << "valgrind takes the fault signals for itself";
  }
  PtyOptions options;
  options.arguments = {wayOut.way, "enhanced"};
  // The sanitizer's own fault handler off, so that the probe's runs.
  options.environment = {"ASAN_OPTIONS=handle_segv=0"};
  PtyProcess process = startInPty(probe, options);
  const EndOnExit ended([&process] { closePty(process); });
  const int status = waitForExit(process);
  const std::string output = readAvailable(process, milliseconds(20));
  EXPECT_TRUE(output.starts_with(std::string(pushEnhancedKeys) + "raw\r\n"))
      << "the probe did not open its terminal: " << visibleBytes(output);
  EXPECT_EQ(countOf(output, popEnhancedKeys), 1) << visibleBytes(output);
  if (wayOut.killedBy != 0) {
    ASSERT_TRUE(WIFSIGNALED(status)) << "wait status " << status;
    EXPECT_EQ(WTERMSIG(status), wayOut.killedBy);
  } else {
    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), wayOut.exitCode);
  }
  expectSettingsRestored(process);
}

INSTANTIATE_TEST_SUITE_P(WaysOut, RestoreOnWayOut,
                         testing::Values(WayOut{"return", 0, 0}, WayOut{"exit", 0, 3}, WayOut{"abort", SIGABRT, 0},
                                         WayOut{"throw", SIGABRT, 0}, WayOut{"overflow", SIGSEGV, 0}),
                         [](const testing::TestParamInfo<WayOut>& info) { return std::string(info.param.way); });

TEST(JobControl, DiscardedStopLeavesTheToolRawAndReadingKeys) {
  // Under the test's pty the tool leads its own session, so its process
  // group is orphaned and the kernel discards the stop it raises again.
  PtyProcess process = startWaitingForKeys();
  const EndOnExit ended([&process] { closePty(process); });
  kill(process.pid, SIGTSTP);
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_TRUE(isRawMode(currentSettings(process))) << describeSettings(currentSettings(process));
  sendBytes(process, "k");
  const std::string row = readUntil(process, "\r\n");
  EXPECT_NE(row.find("107"), std::string::npos) << visibleBytes(row);
  sendBytes(process, " ");
  readUntil(process, "Press any key to finish.");
  sendBytes(process, "x");
  const int status = waitForExit(process);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  expectSettingsRestored(process);
}

TEST(JobControl, ContinueAfterAStopTakesRawModeUpAgain) {
  PtyProcess process = startWaitingForKeys();
  const EndOnExit ended([&process] { closePty(process); });
  kill(process.pid, SIGSTOP);
  std::this_thread::sleep_for(milliseconds(50));
  // Something else changes the settings while the tool is stopped, as a
  // shell does when it takes the terminal back.
  const struct termios cooked = freshTerminalSettings();
  tcsetattr(process.master, TCSANOW, &cooked);
  kill(process.pid, SIGCONT);
  EXPECT_TRUE(waitForRawMode(process, milliseconds(2000)));
  sendBytes(process, "m ");
  const std::string rows = readUntil(process, "Press any key to finish.");
  EXPECT_NE(rows.find("109"), std::string::npos) << visibleBytes(rows);
  sendBytes(process, "x");
  waitForExit(process);
  expectSettingsRestored(process);
}

TEST(RawMode, KeysTypedBeforeItIsEnteredAreKept) {
  // The tool starts only after a pause, so the keys typed at once are in
  // the terminal before it opens it, however busy the machine; the cooked
  // terminal echoes them, which shows that they came before raw mode.
  PtyOptions options;
  options.arguments = {"-c", "sleep 0.3; exec \"$0\"", keycodes};
  PtyProcess process = startInPty("/bin/sh", options);
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "ab ");
  const std::string output = readUntil(process, closingPrompt);
  ASSERT_TRUE(output.starts_with("ab ")) << "the keys were not typed ahead: " << visibleBytes(output);
  const std::string table = asTerminalShowsIt(expectedRows({'a', 'b', ' '})) + closingPrompt;
  EXPECT_TRUE(output.ends_with(std::string(keyboardProtocolQuery) + table)) << visibleBytes(output);
  sendBytes(process, "x");
  const int status = waitForExit(process);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  expectSettingsRestored(process);
}

}  // namespace
