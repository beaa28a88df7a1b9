// The options of the built tool on a pseudo-terminal: where each answer
// goes, the exit status, and that the terminal is left alone.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "captureOutput.hpp"
#include "faultHelpers.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

struct OptionCase {
  std::vector<std::string> arguments;
  bool redirectOutput;
  int status;
  // Standard error, and standard output when not redirected: all of it
  // when the output is redirected, else how it starts.
  std::string screen;
  // How standard output starts, when redirected to a file.
  std::string redirectedStart;
};

// Every spelling is a unit test of the command line; here the built tool
// answers one of each kind without touching the terminal.
TEST(Options, AnswerWithoutTouchingTheTerminal) {
  const std::string usage = "Usage: keycodes [OPTION]\r\nTry 'keycodes --help'.\r\n";
  const OptionCase cases[] = {
      {{"-h"}, true, 0, "", "Usage: keycodes [OPTION]\n"},
      {{"--version"}, true, 0, "", "keycodes " KEYCODES_VERSION "\n"},
      {{"--help"}, false, 0, "Usage: keycodes [OPTION]\r\n", ""},
      {{"--explainn"}, true, 2, "keycodes: unknown option '--explainn'\r\n" + usage, ""},
      // Control bytes in an argument reach the terminal escaped.
      {{"\x9b"
        "41mRED\x9b"
        "2J"},
       true,
       2,
       "keycodes: unexpected argument '\\x9b41mRED\\x9b2J'\r\n" + usage,
       ""},
  };
  const std::string outputFile = testing::TempDir() + "keycodes-options-" + std::to_string(getpid()) + ".txt";
  for (const OptionCase& each : cases) {
    const std::string name = visibleBytes(each.arguments.front());
    PtyOptions options;
    options.arguments = each.arguments;
    options.standardOutputFile = each.redirectOutput ? outputFile : "";
    PtyProcess process = startInPty(keycodes, options);
    std::string screen;
    const int status = waitWhileReading(process, screen);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == each.status) << name << ": wait status " << status;
    if (each.redirectOutput) {
      EXPECT_EQ(screen, each.screen) << name << ": " << visibleBytes(screen);
      const std::string redirected = fileContents(outputFile);
      EXPECT_TRUE(redirected.starts_with(each.redirectedStart) && redirected.empty() == each.redirectedStart.empty())
          << name << ": " << visibleBytes(redirected);
    } else {
      EXPECT_TRUE(screen.starts_with(each.screen)) << name << ": " << visibleBytes(screen);
    }
    // No table, no keyboard query, no raw control byte.
    EXPECT_EQ(screen.find_first_of("\x1b\x9b"), std::string::npos) << name << ": " << visibleBytes(screen);
    EXPECT_EQ(screen.find("Zeichencodes"), std::string::npos) << name << ": " << visibleBytes(screen);
    expectSettingsRestored(process);
    closePty(process);
  }
  std::remove(outputFile.c_str());
}

}  // namespace
