// keycodes: shows the character code the console delivers for each key.

#include <iostream>
#include <string>

#include "console/readKey.hpp"
#include "table/cellWriters.hpp"

namespace {

constexpr int cellWidth = 13;
constexpr int ruleLength = 4 * cellWidth + 3;
constexpr char separator = '|';
constexpr int endKey = 32;
constexpr int noKey = -1;

// Every line ends with a line feed and a flush, so each row is on screen as
// soon as its key has been read.
void endLine(std::ostream& stream) { stream << '\n' << std::flush; }

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

void writeRow(const std::string& character, int code) {
  printCentered(character, cellWidth);
  std::cout << separator;
  printCode(code, cellWidth, 10);
  std::cout << separator;
  printCode(code, cellWidth, 16);
  std::cout << separator;
  printCode(code, cellWidth, 8);
  endLine(std::cout);
}

}  // namespace

int main() {
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
      writeRow(character, code);
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
  // The closing read is a key read too: an exception there is reported the
  // same way and the tool still exits with 0.
  try {
    readKey();
  } catch (...) {
    std::cerr << "Exception occurs";
    endLine(std::cerr);
  }
  return 0;
}
