// The fault matrix: the tool run from an interactive bash on a terminal the
// test plays (one that answers the keyboard query, so the tool pushes the
// enhanced key flags), one row per way a user or another program can break
// the shell around it. After every row the shell is as it was: the same
// settings at its prompt, each push met by one pop, no byte of the run
// waiting at the prompt, nothing run that the user never typed, and the
// status and message the row names.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "captureOutput.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "transcript.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string nonBlockingOutput = NONBLOCKING_OUTPUT_BINARY;
const std::string bash = "/bin/bash";
const std::string shellPrompt = "fault-shell> ";
// The file the command hidden in a paste would make.
const std::string markerName = "pwned";
// How long the prompt must stay quiet to count as holding nothing.
constexpr milliseconds promptQuiet(50);

// The shell on its terminal, as the rows' plays drive it.
struct ShellTerminal {
  PtyProcess shell;
  std::filesystem::path directory;
  std::string screen;
  int prompts = 0;

  // Types a line and presses Enter.
  void type(const std::string& line) { sendBytes(shell, line + "\r"); }
  bool readUntilShown(std::string_view part, int count = 1) { return ::readUntilShown(shell, screen, part, count); }
  void waitForPrompt() { readUntilShown(shellPrompt, ++prompts); }

  // The tool in front: it asks, the terminal answers, the tool pushes its
  // flags.
  void toolTakesTheTerminal() {
    readUntilShown(keyboardAndModifyOtherKeysQuery);
    sendBytes(shell, answerText(KeyboardAnswer::enhancedKeys));
    readUntilShown(pushEnhancedKeys);
  }

  // Lets the row's command go on where it waits on the pipe {dir}/go.
  void release() const { std::ofstream(directory / "go") << "go\n"; }

  // Reads a little at a time, pausing between reads, until `part` is shown;
  // fails once nothing has come for a while.
  void readSlowlyUntil(std::string_view part) {
    auto lastRead = Clock::now();
    while (screen.find(part) == std::string::npos && Clock::now() - lastRead < promptWait()) {
      if (readChunk(shell, screen, milliseconds(20))) {
        lastRead = Clock::now();
      }
      std::this_thread::sleep_for(milliseconds(2));
    }
    EXPECT_NE(screen.find(part), std::string::npos) << visibleBytes(part) << " never came";
  }
};

// Waits until the process whose id `path` holds has ended.
void waitForEndOf(const std::filesystem::path& path) {
  const auto deadline = Clock::now() + scaled(milliseconds(5000));
  std::string pid;
  while ((pid.empty() || pid.back() != '\n') && Clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(1));
    pid = fileContents(path);
  }
  ASSERT_FALSE(pid.empty()) << "no process id in " << path;
  const pid_t reader = std::stoi(pid);
  for (char state = processState(reader); state != 'Z' && state != '?' && Clock::now() < deadline;
       state = processState(reader)) {
    std::this_thread::sleep_for(milliseconds(1));
  }
}

struct FaultRow {
  const char* name;
  // Typed at the prompt, with {tool}, {dir} (the row's directory, which
  // holds the named pipe go) and {nonblocking} filled in.
  std::string commandLine;
  // What the terminal and the user do until the run is over and the
  // shell's prompt is back; it may check what only its row shows.
  void (*play)(ShellTerminal&);
  // The status the command line echoes as "[status N]"; none when -1.
  int status;
  // What standard error says; when empty, nothing.
  std::string message;
  // How many times the tool asks the terminal about its keyboard.
  int queries;
};

void PrintTo(const FaultRow& row, std::ostream* stream) { *stream << row.name; }

// ------------------------------------------------------------- plays

void untilThePrompt(ShellTerminal& terminal) { terminal.waitForPrompt(); }

void writePastTheFileSizeLimit(ShellTerminal& terminal) {
  terminal.toolTakesTheTerminal();
  sendBytes(terminal.shell, std::string(40, 'a'));
  terminal.waitForPrompt();
}

void startTheToolOnceTheShellIsBack(ShellTerminal& terminal) {
  terminal.waitForPrompt();
  terminal.release();
  // Behind from its start, the tool ends at its first read.
  terminal.readUntilShown(closingPrompt);
}

void typeAtThePromptOnceTheJobHasEnded(ShellTerminal& terminal) {
  terminal.toolTakesTheTerminal();
  terminal.release();
  terminal.waitForPrompt();
  // At once, as a user would: every key is the shell's.
  terminal.type("echo hi");
  terminal.readUntilShown("\r\nhi\r\n");
  terminal.waitForPrompt();
  // The tool, behind for good, ends on its own.
  terminal.readUntilShown(closingPrompt);
  for (const int key : {'e', 'c', 'h', 'o', 'i'}) {
    EXPECT_EQ(terminal.screen.find(rowOnTerminal(key)), std::string::npos) << "the tool read " << char(key);
  }
}

void pasteACommandAfterTheEnd(ShellTerminal& terminal) {
  terminal.toolTakesTheTerminal();
  const std::string paste =
      "a bc" + std::string(9000, 'x') + "\necho PWNED > " + (terminal.directory / markerName).string() + "\n";
  EXPECT_TRUE(sendBytesWhileReading(terminal.shell, paste, terminal.screen, scaled(milliseconds(5000))));
  terminal.waitForPrompt();
}

void closeThePipeThenPressKeys(ShellTerminal& terminal) {
  terminal.toolTakesTheTerminal();
  terminal.release();
  waitForEndOf(terminal.directory / "reader");
  sendBytes(terminal.shell, "a");
  terminal.waitForPrompt();
}

void burstWhileTheTerminalReadsSlowly(ShellTerminal& terminal) {
  constexpr int keys = 3000;
  terminal.toolTakesTheTerminal();
  sendBytes(terminal.shell, std::string(keys, 'a') + " ");
  terminal.readSlowlyUntil(closingPrompt);
  EXPECT_EQ(countOf(terminal.screen, rowOnTerminal('a')), keys);
  EXPECT_NE(terminal.screen.find(rowOnTerminal('a') + rowOnTerminal(' ') + closingPrompt), std::string::npos)
      << "the Space row or the closing prompt is missing";
  sendBytes(terminal.shell, "q");
  terminal.waitForPrompt();
}

// Bytes the terminal sends that are no keys, then Space: only the Space
// row may come, and the closing key ends the run.
void onlySpaceAfter(ShellTerminal& terminal, const std::string& bytes) {
  sendBytes(terminal.shell, bytes + " ");
  terminal.readUntilShown(closingPrompt);
  const std::size_t rule = terminal.screen.rfind("-----\r\n");
  const std::size_t prompt = terminal.screen.rfind(closingPrompt);
  int sequences = 0;
  std::string table = terminal.screen.substr(rule + 7, prompt - rule - 7);
  table = withoutEvery(withoutEvery(table, keyboardAndModifyOtherKeysQuery, sequences), pushEnhancedKeys, sequences);
  EXPECT_EQ(table, rowOnTerminal(' ')) << visibleBytes(table);
  sendBytes(terminal.shell, "q");
  terminal.waitForPrompt();
}

// Overlong sequences, late and 8-bit answers, and code points of no
// character.
void sequencesThatAreNoKeys(ShellTerminal& terminal) {
  terminal.toolTakesTheTerminal();
  onlySpaceAfter(terminal, "\x1b[" + std::string(10'000, '1') + "m\x1b]0;" + std::string(10'000, 't') + "\x07\x1bP" +
                               std::string(5'000, 'q') + "\x1b\\" + "\x1b[?62;22c\x9b?62c\x1b[?1u\x9b?1u" +
                               "\x1b[97;;1114112u\x1b[1114112;1u\x1b[55296u");
}

void aTerminalThatTakesNoQuery(ShellTerminal& terminal) {
  ASSERT_TRUE(waitForRawMode(terminal.shell, scaled(milliseconds(5000))));
  onlySpaceAfter(terminal, "");
}

// ------------------------------------------------------------ matrix

// One row per way to break the shell. The options and arguments are unit
// tests of the command line and rows of optionsTest.cpp; the run without a
// terminal is NoTerminal in faultMatrixTest.cpp.
const FaultRow faultRows[] = {
    {"FileSizeLimitReachedWhileWriting", "(ulimit -f 1; exec {tool} > {dir}/big.txt); echo \"[status $?]\"",
     writePastTheFileSizeLimit, 128 + SIGXFSZ, "", 1},
    {"StartedInAnOrphanedBackgroundGroup", "( (read x < {dir}/go; exec {tool}) & ); echo started",
     startTheToolOnceTheShellIsBack, -1, "", 0},
    {"TheJobThatStartedItEnds", "sh -c '{tool} & read x < {dir}/go'; echo \"[status $?]\"",
     typeAtThePromptOnceTheJobHasEnded, 0, "", 1},
    {"PasteOfACommandAfterTheLastKey", "{tool}; echo \"[status $?]\"", pasteACommandAfterTheEnd, 0, "", 1},
    {"OutputToAFullDevice", "{tool} > /dev/full; echo \"[status $?]\"", untilThePrompt, 1,
     "keycodes: write error: No space left on device\r\n", 0},
    {"HelpToAFullDevice", "{tool} --help > /dev/full; echo \"[status $?]\"", untilThePrompt, 1,
     "keycodes: write error: No space left on device\r\n", 0},
    {"OutputClosed", "{tool} >&-; echo \"[status $?]\"", untilThePrompt, 1,
     "keycodes: write error: Bad file descriptor\r\n", 0},
    {"ReaderOfTheOutputGone",
     "{tool} | (read x; read y < {dir}/go; echo $BASHPID > {dir}/reader); echo \"[status ${PIPESTATUS[0]}]\"",
     closeThePipeThenPressKeys, 1, "", 1},
    {"NonBlockingOutputReadSlowly", "{nonblocking} {tool}; echo \"[status $?]\"", burstWhileTheTerminalReadsSlowly, 0,
     "", 1},
    {"SequencesThatAreNoKeys", "{tool}; echo \"[status $?]\"", sequencesThatAreNoKeys, 0, "", 1},
    // A terminal that takes no query: no TERM at all (TERM=dumb is the
    // same family, a unit test of the families).
    {"UnsetTerm", "(unset TERM; exec {tool}); echo \"[status $?]\"", aTerminalThatTakesNoQuery, 0, "", 0},
};

// The command line with {tool}, {dir} and {nonblocking} filled in.
std::string filledIn(std::string text, const std::filesystem::path& directory) {
  for (const auto& [field, value] : {std::pair<std::string, std::string>{"{tool}", keycodes},
                                     {"{dir}", directory.string()},
                                     {"{nonblocking}", nonBlockingOutput}}) {
    for (std::size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size())) {
      text.replace(at, field.size(), value);
    }
  }
  return text;
}

class FaultMatrix : public testing::TestWithParam<FaultRow> {
 protected:
  void SetUp() override {
    if (access(bash.c_str(), X_OK) != 0) {
      GTEST_SKIP() << "bash is not installed";
    }
    // A tool whose parent ended comes to the test, which reaps it.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    terminal.directory = std::filesystem::path(testing::TempDir()) /
                         ("fault-" + std::string(GetParam().name) + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(terminal.directory);
    std::filesystem::create_directories(terminal.directory);
    ASSERT_EQ(mkfifo((terminal.directory / "go").c_str(), 0600), 0);
    PtyOptions options;
    options.arguments = {"--norc", "--noprofile", "-i"};
    options.term = "xterm-kitty";
    options.environment = {"PS1=" + shellPrompt, "HISTFILE=", "INPUTRC=/dev/null", "PROMPT_COMMAND="};
    terminal.shell = startInPty(bash, options);
    terminal.waitForPrompt();
    atPrompt = settingsAtPrompt();
  }

  void TearDown() override {
    // What was left of the row: its processes, and the tool if it outlived
    // its parent, killed and reaped.
    if (terminal.shell.pid > 0) {
      killSession(terminal.shell.pid);
    }
    closePty(terminal.shell);
    for (const auto end = Clock::now() + std::chrono::seconds(2);
         waitpid(-1, nullptr, WNOHANG) >= 0 && Clock::now() < end;) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    std::filesystem::remove_all(terminal.directory);
  }

  // The settings as the shell keeps them at its prompt; bash's line editor
  // sets them a moment after the prompt shows, so they are read once they
  // hold still.
  struct termios settingsAtPrompt() const {
    struct termios settings = currentSettings(terminal.shell);
    for (int look = 0; look < 50; ++look) {
      std::this_thread::sleep_for(milliseconds(2));
      const struct termios now = currentSettings(terminal.shell);
      if (sameSettings(now, settings)) {
        break;
      }
      settings = now;
    }
    return settings;
  }

  ShellTerminal terminal;
  struct termios atPrompt {};
};

TEST_P(FaultMatrix, LeavesTheShellAsItWas) {
  const FaultRow& row = GetParam();
  if (underValgrind() && std::string_view(row.name) == "OutputClosed") {
    GTEST_SKIP() << "valgrind's own log file takes the closed standard output";
  }
  terminal.type(filledIn(row.commandLine, terminal.directory));
  row.play(terminal);
  if (row.status >= 0) {
    EXPECT_NE(terminal.screen.find("[status " + std::to_string(row.status) + "]"), std::string::npos)
        << visibleBytes(terminal.screen);
  }
  // The next line typed is the shell's, and nothing else reaches it.
  terminal.type("echo end-of-run");
  terminal.readUntilShown("\r\nend-of-run\r\n");
  terminal.waitForPrompt();
  std::string atTheEnd;
  // Quiet, or a flood that never pauses is cut off.
  for (const auto end = Clock::now() + promptWait(); Clock::now() < end;) {
    if (!readChunk(terminal.shell, atTheEnd, promptQuiet)) {
      break;
    }
  }
  EXPECT_EQ(atTheEnd, "") << "waiting at the prompt: " << visibleBytes(atTheEnd);
  const struct termios after = settingsAtPrompt();
  EXPECT_TRUE(sameSettings(atPrompt, after))
      << "at the prompt before: " << describeSettings(atPrompt) << "\nafter: " << describeSettings(after);
  const std::string& screen = terminal.screen;
  EXPECT_EQ(countOf(screen, keyboardAndModifyOtherKeysQuery), row.queries) << visibleBytes(screen);
  EXPECT_EQ(countOf(screen, pushEnhancedKeys), row.queries) << visibleBytes(screen);
  EXPECT_EQ(countOf(screen, popEnhancedKeys), row.queries) << visibleBytes(screen);
  EXPECT_FALSE(std::filesystem::exists(terminal.directory / markerName)) << "the paste ran a command";
  if (row.message.empty()) {
    EXPECT_EQ(screen.find("keycodes:"), std::string::npos) << visibleBytes(screen);
  } else {
    EXPECT_EQ(countOf(screen, row.message), 1) << visibleBytes(screen);
  }
}

INSTANTIATE_TEST_SUITE_P(Shell, FaultMatrix, testing::ValuesIn(faultRows),
                         [](const testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.name); });

}  // namespace
