// keycodes: shows the character code the console delivers for each key.

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/commandLine.hpp"
#include "console/cellOutput.hpp"
#include "console/readKey.hpp"
#include "console/standardOutput.hpp"
#include "table/cellWriters.hpp"
#include "table/characterCell.hpp"

namespace {

constexpr int cellWidth = 13;
constexpr int ruleLength = 4 * cellWidth + 3;
constexpr char separator = '|';
constexpr int endKey = 32;
// Two spaces between a row and what --explain adds to it.
constexpr std::string_view explanationGap = "  ";

// The greeting and the header lines end with a line feed and a flush.
void endLine(std::ostream& stream) { stream << '\n' << std::flush; }

// A row ends with a line feed; the run flushes it once no further key is at
// hand, so a burst of keys goes out in a few large writes while a single
// key's row is on screen before the tool waits for the next one.
void endRow() {
  std::cout << '\n';
  if (!keyAvailable()) {
    std::cout.flush();
  }
}

// The status of a run that failed: standard output could not be written,
// or there was no keyboard to read.
constexpr int failureStatus = 1;

// The text on standard error when handling a key raised an exception.
// Standard error is tied to standard output, so the rows written so far
// come out first.
void reportException() {
  std::cerr << "Exception occurs";
  endLine(std::cerr);
}

// The first failed write ends the run: the keyboard goes back as it was
// found, and the reason is told, except for a pipe whose reader has gone
// (keycodes | head), which is no news to anyone.
int endOnWriteError() {
  endKeyInput();
  const int error = standardOutputError() != 0 ? standardOutputError() : EIO;
  if (error != EPIPE) {
    std::cerr << "keycodes: write error: " << std::strerror(error) << '\n' << std::flush;
  }
  return failureStatus;
}

void writeHeader() {
  printCentered("Zeichen", cellWidth);
  std::cout << separator;
  printCentered("dezimal", cellWidth);
  std::cout << separator;
  printCentered("hexadezimal", cellWidth);
  std::cout << separator;
  printCentered("oktal", cellWidth);
  endLine(std::cout);
  repeatChar('-', ruleLength);
  endLine(std::cout);
}

// The character cell, centred by the columns its text takes on screen.
void writeCharacterCell(const CellText& character) {
  const CellPadding padding = centredPadding(character.columns, cellWidth);
  repeatChar(' ', padding.left);
  writeCellText(character);
  repeatChar(' ', padding.right);
}

// The row of a code; with `explain` the key's name and what made it follow
// the row of its first code, on the same line.
void writeRow(const CellText& character, int code, bool explain) {
  writeCharacterCell(character);
  std::cout << separator;
  printCode(code, cellWidth, 10);
  std::cout << separator;
  printCode(code, cellWidth, 16);
  std::cout << separator;
  printCode(code, cellWidth, 8);
  if (explain) {
    if (const std::optional<KeyDetails> details = lastKeyDetails()) {
      std::cout << explanationGap << keyExplanation(*details, outputTakesUtf8());
    }
  }
  endRow();
}

}  // namespace

int main(int argc, char* argv[]) {
  // The standard output stream keeps a buffer of its own instead of going
  // through C stdio, which writes a terminal line by line: rows are then
  // written when the run flushes them. Standard error stays tied to it, so
  // the rows come out before any error text.
  std::ios::sync_with_stdio(false);
  takeOverStandardOutput();
  // Options answer and exit before anything is written or the terminal is
  // opened.
  const CommandLine commandLine =
      parseCommandLine(std::span<const char* const>(argv, static_cast<std::size_t>(argc)).subspan(argc > 0 ? 1 : 0));
  if (const std::optional<int> status = answerCommandLine(commandLine, std::cout, std::cerr, outputTakesUtf8())) {
    return std::cout ? *status : endOnWriteError();
  }
  const CellRendering rendering = standardOutputRendering();
  const bool explain = hasOption(commandLine, Option::explain);
  // The current character: made once, overwritten by every key, released
  // when main returns.
  // cppcheck-suppress variableScope
  CellText character;
  std::cout << "Zeichencodes im Konsolemodus";
  endLine(std::cout);
  std::cout << "Geben Sie Zeichen ein, zu denen Sie den Code suchen (Leertaste fuer Ende)!\n";
  endLine(std::cout);
  writeHeader();
  if (!std::cout) {
    return endOnWriteError();
  }
  try {
    for (;;) {
      const int code = readKey();
      // The low 8 bits, so 128..255 give the bytes 0x80..0xFF and -1 gives 0xFF.
      character = characterCell(code & 0xFF, rendering);
      writeRow(character, code, explain);
      if (!std::cout) {
        return endOnWriteError();
      }
      // A console that cannot be read gives -1 every time; its row is shown
      // once and the table ends there instead of filling the screen.
      if (code == endKey || code == noKey) {
        break;
      }
    }
  } catch (...) {
    reportException();
  }
  const bool noKeyboard = keyboardMissing();
  if (noKeyboard) {
    std::cerr << "keycodes: no terminal to read keys from\n" << std::flush;
  }
  std::cout << "Press any key to finish." << std::flush;
  if (!std::cout) {
    return endOnWriteError();
  }
  // The closing read is a key read too: an exception there is reported the
  // same way and the tool still exits with 0.
  try {
    readKey();
  } catch (...) {
    reportException();
  }
  endKeyInput();
  return noKeyboard ? failureStatus : 0;
}
