// The options of the built tool on a pseudo-terminal: where each answer
// goes, the exit status, and that the terminal is left alone.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "captureOutput.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

const std::string keycodes = KEYCODES_BINARY;

struct OptionRun {
  int exitStatus = -1;
  std::string screen;      // standard error, and standard output when not redirected
  std::string redirected;  // standard output, when redirected to a file
  bool settingsKept = false;
  std::string settings;
};

OptionRun runWithArguments(const std::vector<std::string>& arguments, bool redirectOutput) {
  OptionRun run;
  PtyOptions options;
  options.arguments = arguments;
  const std::string outputFile = testing::TempDir() + "keycodes-options-" + std::to_string(getpid()) + ".txt";
  if (redirectOutput) {
    options.standardOutputFile = outputFile;
  }
  PtyProcess process = startInPty(keycodes, options);
  const int status = waitForExit(process);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.screen = readAvailable(process, std::chrono::milliseconds(50));
  const struct termios after = currentSettings(process);
  run.settingsKept = sameSettings(freshTerminalSettings(), after);
  run.settings = describeSettings(after);
  closePty(process);
  if (redirectOutput) {
    run.redirected = fileContents(outputFile);
    std::remove(outputFile.c_str());
  }
  return run;
}

TEST(Options, HelpAndVersionGoToStandardOutputAndExitZero) {
  struct Case {
    std::string argument;
    std::string outputStart;
  };
  // Every spelling is a unit test of the command line; here the built tool
  // answers one of each without touching the terminal.
  const Case cases[] = {
      {"-h", "Usage: keycodes [OPTION]\n"},
      {"--version", "keycodes " KEYCODES_VERSION "\n"},
  };
  for (const Case& each : cases) {
    const OptionRun run = runWithArguments({each.argument}, true);
    EXPECT_EQ(run.exitStatus, 0) << each.argument;
    EXPECT_TRUE(run.redirected.starts_with(each.outputStart)) << each.argument << ": " << visibleBytes(run.redirected);
    // Nothing on the terminal: no table, no keyboard query.
    EXPECT_EQ(run.screen, "") << each.argument << ": " << visibleBytes(run.screen);
    EXPECT_TRUE(run.settingsKept) << each.argument << ": " << run.settings;
  }
}

TEST(Options, HelpOnTheTerminalIsTheHelpAlone) {
  const OptionRun run = runWithArguments({"--help"}, false);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(run.screen.starts_with("Usage: keycodes [OPTION]\r\n")) << visibleBytes(run.screen);
  EXPECT_EQ(run.screen.find('\x1b'), std::string::npos) << "the terminal was queried: " << visibleBytes(run.screen);
  EXPECT_EQ(run.screen.find("Zeichencodes"), std::string::npos) << visibleBytes(run.screen);
  EXPECT_TRUE(run.settingsKept) << run.settings;
}

TEST(Options, AUsageErrorIsReportedOnStandardErrorWithStatusTwo) {
  const OptionRun run = runWithArguments({"--explainn"}, true);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.redirected, "") << visibleBytes(run.redirected);
  EXPECT_EQ(run.screen,
            "keycodes: unknown option '--explainn'\r\nUsage: keycodes [OPTION]\r\nTry 'keycodes --help'.\r\n")
      << visibleBytes(run.screen);
  EXPECT_TRUE(run.settingsKept) << run.settings;
}

}  // namespace
