// library_pty_check: runs a program built on the keycodes library on a
// pseudo-terminal of its own, presses keys and checks what it writes, its
// exit status and that the terminal is as it was afterwards. Used on the
// programs of the build tree and on those CI builds against an installed
// library. Exit status 0 when all holds, 1 otherwise, 2 on wrong usage.
//
//   library_pty_check menu PROGRAM         examples/menu.c: Down, Down, Enter
//                                          selects the third line, "Cheese"
//   library_pty_check menu-escape PROGRAM  examples/menu.c: Escape leaves
//                                          with status 1
//   library_pty_check keys PROGRAM         examples/keys.c: F1 gives "0 59",
//                                          Escape ends
//   library_pty_check key-pair PROGRAM     tests/libraryKeyPair.c: F1 reads
//                                          as 0, a code at hand, then 59

#include <sys/wait.h>

#include <chrono>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "fakeTerminal.hpp"
#include "ptyHarness.hpp"
#include "transcript.hpp"

namespace {

// What the terminal of the pty sends for the keys: it is a VT220.
constexpr std::string_view downKey = "\x1b[B";
constexpr std::string_view enterKey = "\r";
constexpr std::string_view escapeKey = "\x1b";
constexpr std::string_view f1Key = "\x1bOP";
// ESC [ 7 m: the menu's highlighted line in reverse video.
constexpr std::string_view reverseVideo = "\x1b[7m";

struct Step {
  std::string_view key;
  // What the program writes once it has read the key.
  std::string expected;
};

struct Check {
  std::string_view name;
  std::vector<Step> steps;
  int exitStatus;
};

const Check checks[] = {
    {"menu",
     {{downKey, std::string(reverseVideo) + " Bread "},
      {downKey, std::string(reverseVideo) + " Cheese "},
      {enterKey, "Selected: Cheese\r\n"}},
     0},
    {"menu-escape", {{downKey, std::string(reverseVideo) + " Bread "}, {escapeKey, ""}}, 1},
    {"keys", {{f1Key, "0 59\r\n"}, {escapeKey, ""}}, 0},
    {"key-pair", {{f1Key, "0 1 59\r\n"}}, 0},
};

bool fail(const std::string& message) {
  std::cerr << "FAILED: " << message << '\n';
  return false;
}

bool run(const Check& check, const std::string& program) {
  PtyProcess process = startInPty(program);
  std::string screen;
  // A VT220 answers the device attributes and not the keyboard enhancement
  // query, so the program need not wait for the query to time out.
  bool passed = answerKeyboardQuery(process, screen, KeyboardAnswer::deviceAttributes) ||
                fail("no keyboard query came: " + visibleBytes(screen));
  if (!waitForRawMode(process)) {
    passed = fail("the terminal was not switched to raw mode");
  }
  for (const Step& step : check.steps) {
    sendBytes(process, step.key);
    const std::string output = readUntil(process, step.expected);
    screen += output;
    if (output.find(step.expected) == std::string::npos) {
      passed = fail("after " + visibleBytes(step.key) + " no " + visibleBytes(step.expected) + " came");
    }
  }
  const int status = waitForExit(process);
  screen += readAvailable(process, std::chrono::milliseconds(20));
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != check.exitStatus) {
    passed = fail("the program did not exit with status " + std::to_string(check.exitStatus) + " (wait status " +
                  std::to_string(status) + ")");
  }
  const struct termios fresh = freshTerminalSettings();
  const struct termios after = currentSettings(process);
  if (!sameSettings(fresh, after)) {
    passed = fail("the terminal was left changed:\n  after: " + describeSettings(after) +
                  "\n  fresh: " + describeSettings(fresh));
  }
  closePty(process);
  if (!passed) {
    std::cerr << "  screen: " << visibleBytes(screen) << '\n';
  }
  return passed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    for (const Check& check : checks) {
      if (check.name == argv[1]) {
        const bool passed = run(check, argv[2]);
        if (passed) {
          std::cout << "passed: " << argv[2] << " (" << check.name << ")\n";
        }
        return passed ? 0 : 1;
      }
    }
  }
  std::cerr << "usage: library_pty_check menu|menu-escape|keys|key-pair PROGRAM\n";
  return 2;
}
