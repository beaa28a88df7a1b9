// The terminal comes back exactly as it was on every way out of the process,
// and stays raw while the tool reads keys.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "endOnExit.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

const std::string probe = PROBE_BINARY;

struct WayOut {
  const char* way;
  // The signal that ends the probe, or 0 when it exits with `exitCode`.
  int killedBy;
  int exitCode;
};

class RestoreOnWayOut : public testing::TestWithParam<WayOut> {};

// Every way out restores the settings, and pops the keyboard flags the
// probe pushed. The signals are tested on the tool itself
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
  std::string output;
  const int status = waitWhileReading(process, output);
  EXPECT_TRUE(output.starts_with(std::string(pushEnhancedKeys) + "raw\r\n"))
      << "the probe did not open its terminal: " << visibleBytes(output);
  EXPECT_EQ(countOf(output, popEnhancedKeys), 1) << visibleBytes(output);
  if (wayOut.killedBy != 0) {
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == wayOut.killedBy) << "wait status " << status;
  } else {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == wayOut.exitCode) << "wait status " << status;
  }
  expectSettingsRestored(process);
}

INSTANTIATE_TEST_SUITE_P(WaysOut, RestoreOnWayOut,
                         testing::Values(WayOut{"return", 0, 0}, WayOut{"exit", 0, 3}, WayOut{"abort", SIGABRT, 0},
                                         WayOut{"throw", SIGABRT, 0}, WayOut{"overflow", SIGSEGV, 0}),
                         [](const testing::TestParamInfo<WayOut>& info) { return std::string(info.param.way); });

TEST(JobControl, ContinueAfterAStopTakesRawModeUpAgain) {
  std::string output;
  PtyProcess process = startTool(output);
  const EndOnExit ended([&process] { closePty(process); });
  kill(process.pid, SIGSTOP);
  ASSERT_TRUE(waitForStop(process.pid));
  // Something else changes the settings while the tool is stopped, as a
  // shell does when it takes the terminal back.
  const struct termios cooked = freshTerminalSettings();
  tcsetattr(process.master, TCSANOW, &cooked);
  kill(process.pid, SIGCONT);
  EXPECT_TRUE(waitForRawMode(process, promptWait()));
  finishRun(process, output, "m ");
  EXPECT_TRUE(output.ends_with(rowsOnTerminal({'m', ' '}) + closingPrompt)) << visibleBytes(output);
}

TEST(RawMode, KeysTypedBeforeItIsEnteredAreKept) {
  // The tool starts only once the keys are in the terminal: its standard
  // input is a pipe that opens when the test has seen them echoed, which
  // the cooked terminal does before raw mode.
  const std::filesystem::path go = std::filesystem::path(testing::TempDir()) / ("go." + std::to_string(getpid()));
  std::filesystem::remove(go);
  ASSERT_EQ(mkfifo(go.c_str(), 0600), 0);
  PtyOptions options;
  options.standardInputFile = go.string();
  PtyProcess process = startInPty(keycodes, options);
  const EndOnExit ended([&process, &go] {
    closePty(process);
    std::filesystem::remove(go);
  });
  sendBytes(process, "ab ");
  std::string output = readUntil(process, "ab ", promptWait());
  ASSERT_EQ(output, "ab ") << "the keys were not echoed: " << visibleBytes(output);
  close(open(go.c_str(), O_WRONLY));
  EXPECT_TRUE(answerKeyboardQuery(process, output, KeyboardAnswer::deviceAttributes)) << visibleBytes(output);
  finishRun(process, output, "");
  const std::string expected = "ab " + legacyScreen({'a', 'b', ' '});
  EXPECT_EQ(output, expected) << firstDifference(output, expected);
}

}  // namespace
