// keycodes: shows the character code the console delivers for each key.

#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/readKey.hpp"
#include "table/cellWriters.hpp"

namespace {

constexpr int cellWidth = 13;
constexpr int ruleLength = 4 * cellWidth + 3;
constexpr char separator = '|';
constexpr int endKey = 32;
// Two spaces between a row and what --explain adds to it.
constexpr std::string_view explanationGap = "  ";

// What the run does beyond the table, as the command line asks.
struct RunOptions {
  // Each key's name and what the terminal sent, beside its first row.
  bool explain = false;
};

RunOptions runOptionsOf(std::span<char* const> arguments) {
  RunOptions options;
  for (const char* argument : arguments) {
    const std::string_view given = argument != nullptr ? argument : "";
    if (given == "-e" || given == "--explain") {
      options.explain = true;
    }
  }
  return options;
}

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

// The row of a code; with --explain the key's name and bytes follow the row
// of its first code, on the same line.
void writeRow(const std::string& character, int code, const RunOptions& options) {
  printCentered(character, cellWidth);
  std::cout << separator;
  printCode(code, cellWidth, 10);
  std::cout << separator;
  printCode(code, cellWidth, 16);
  std::cout << separator;
  printCode(code, cellWidth, 8);
  if (options.explain) {
    if (const std::optional<KeyDetails> details = lastKeyDetails()) {
      std::cout << explanationGap << keyExplanation(*details, outputTakesUtf8());
    }
  }
  endRow();
}

}  // namespace

int main(int argc, char* argv[]) {
  const RunOptions options =
      runOptionsOf(std::span<char* const>(argv, static_cast<std::size_t>(argc)).subspan(argc > 0 ? 1 : 0));
  // The standard output stream keeps a buffer of its own instead of going
  // through C stdio, which writes a terminal line by line: rows are then
  // written when the run flushes them. Standard error stays tied to it, so
  // the rows come out before any error text.
  std::ios::sync_with_stdio(false);
  // The current character: made once, overwritten by every key, released
  // when main returns.
  // cppcheck-suppress variableScope
  std::string character;
  std::cout << "Zeichencodes im Konsolemodus";
  endLine(std::cout);
  std::cout << "Geben Sie Zeichen ein, zu denen Sie den Code suchen (Leertaste fuer Ende)!\n";
  endLine(std::cout);
  writeHeader();
  try {
    for (;;) {
      const int code = readKey();
      // The low 8 bits, so 128..255 give the bytes 0x80..0xFF and -1 gives 0xFF.
      character.assign(1, static_cast<char>(code & 0xFF));
      writeRow(character, code, options);
      // A console that cannot be read gives -1 every time; its row is shown
      // once and the table ends there instead of filling the screen.
      if (code == endKey || code == noKey) {
        break;
      }
    }
  } catch (...) {
    std::cerr << "Exception occurs";
    endLine(std::cerr);
  }
  std::cout << "Press any key to finish." << std::flush;
  readKey();
  return 0;
}
