// package_smoke_test: runs a keycodes executable, typically the one a package
// installed, on a pseudo-terminal, presses a letter, the Up key, space and a
// final key, and compares everything it writes with the expected screen byte
// for byte. Exit status 0 when all matches, 1 otherwise.

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

constexpr std::string_view upKey = "\x1b[A";
constexpr std::chrono::milliseconds trailingOutputWait{50};

struct KeyPress {
  std::string_view bytes;
  // The codes of the rows the key gives.
  std::vector<int> codes;
  // Space ends the table: the closing prompt follows its row at once.
  bool endsTable = false;
};

const KeyPress keyPresses[] = {{"a", {'a'}}, {upKey, {224, 72}}, {" ", {' '}, true}};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: package_smoke_test PATH-OF-KEYCODES\n";
    return 2;
  }
  PtyProcess process = startInPty(argv[1]);
  // A VT220 answers the device attributes request and not the keyboard
  // enhancement query, so the tool needs not wait for the query to time out.
  std::string screen;
  answerKeyboardQuery(process, screen, KeyboardAnswer::deviceAttributes);
  std::string expected = asTerminalShowsIt(expectedGreeting()) + "\x1b[?u\x1b[c";
  const bool raw = waitForRawMode(process);
  for (const KeyPress& key : keyPresses) {
    sendBytes(process, key.bytes);
    // The prompt may come in the same read as the last row.
    std::string expectedEnd = rowsOnTerminal(key.codes);
    if (key.endsTable) {
      expectedEnd += closingPrompt;
    }
    expected += expectedEnd;
    screen += readUntil(process, expectedEnd);
  }
  sendBytes(process, "x");
  const int status = waitForExit(process);
  screen += readAvailable(process, trailingOutputWait);
  closePty(process);

  bool passed = true;
  if (!raw) {
    std::cerr << "FAILED: the terminal was not switched to raw mode\n";
    passed = false;
  }
  if (screen != expected) {
    std::cerr << "FAILED: the screen differs\n  got:      " << visibleBytes(screen)
              << "\n  expected: " << visibleBytes(expected) << '\n';
    passed = false;
  }
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << "FAILED: keycodes did not exit with status 0 (wait status " << status << ")\n";
    passed = false;
  }
  if (passed) {
    std::cout << "passed: " << argv[1] << " showed the expected rows and exited with 0\n";
  }
  return passed ? 0 : 1;
}
