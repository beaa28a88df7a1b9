// package_smoke_test: runs a keycodes executable, typically the one a package
// installed, on a pseudo-terminal, presses a letter, the Up key, space and a
// final key, and compares everything it writes with the expected screen byte
// for byte. Exit status 0 when all matches, 1 otherwise.

#include <sys/wait.h>

#include <chrono>
#include <iostream>
#include <string>
#include <string_view>

#include "captureOutput.hpp"
#include "ptyHarness.hpp"

namespace {

// A VT220 answers the device attributes request and not the keyboard
// enhancement query, so the tool needs not wait for the query to time out.
constexpr std::string_view deviceAttributesAnswer = "\x1b[?62c";
constexpr std::string_view keyboardQuery = "\x1b[?u\x1b[c";
constexpr std::string_view upKey = "\x1b[A";
constexpr std::string_view closingPrompt = "Press any key to finish.";
constexpr std::chrono::milliseconds trailingOutputWait{50};

// The screen as the terminal receives it: line feeds become CR LF.
const std::string greeting =
    "Zeichencodes im Konsolemodus\r\n"
    "Geben Sie Zeichen ein, zu denen Sie den Code suchen (Leertaste fuer Ende)!\r\n"
    "\r\n"
    "   Zeichen   |   dezimal   | hexadezimal |    oktal    \r\n"
    "-------------------------------------------------------\r\n";

struct KeyPress {
  std::string_view bytes;
  // The rows the key gives; on a terminal in the C locale the character cell
  // shows a byte above 127 as \xNN.
  std::string_view rows;
  // Space ends the table: the closing prompt follows its row at once.
  bool endsTable = false;
};

const KeyPress keyPresses[] = {
    {"a", "      a      |     97      |     61      |     141     \r\n"},
    {upKey,
     "    \\xe0     |     224     |     e0      |     340     \r\n"
     "      H      |     72      |     48      |     110     \r\n"},
    {" ", "             |     32      |     20      |     40      \r\n", true},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: package_smoke_test PATH-OF-KEYCODES\n";
    return 2;
  }
  PtyOptions options;
  options.term = "vt220";
  PtyProcess process = startInPty(argv[1], options);
  std::string expected = greeting + std::string(keyboardQuery);
  std::string screen = readUntil(process, expected);
  const bool raw = waitForRawMode(process);
  sendBytes(process, deviceAttributesAnswer);
  for (const KeyPress& key : keyPresses) {
    sendBytes(process, key.bytes);
    // The prompt may come in the same read as the last row.
    std::string expectedEnd(key.rows);
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
