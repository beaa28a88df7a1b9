#include "tableRow.hpp"

#include <cstdint>
#include <optional>
#include <string>

#include "table/cellWriters.hpp"
#include "table/characterCell.hpp"

namespace {

constexpr std::size_t cellWidth = 13;
constexpr std::size_t numberCells = 3;
constexpr char separator = '|';
constexpr std::string_view lineEnd = "\r\n";
constexpr int bases[numberCells] = {10, 16, 8};
constexpr int lowestCode = -1;
constexpr int highestCode = 255;
constexpr std::size_t longestCharacterCell = cellWidth + 2;

// The digits of a centred cell in `base` as a 32-bit pattern; a leading
// minus sign only in base 10.
std::optional<std::uint32_t> cellValue(std::string_view cell, int base) {
  const std::size_t first = cell.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t length = cell.find_last_not_of(' ') - first + 1;
  if (first != (cellWidth - length) / 2) {
    return std::nullopt;
  }
  std::string_view digits = cell.substr(first, length);
  const bool negative = base == 10 && digits.starts_with('-');
  if (negative) {
    digits.remove_prefix(1);
  }
  if (digits.empty()) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char digit : digits) {
    const int next = digit >= '0' && digit <= '9' ? digit - '0' : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10 : 99;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(next);
    if (next >= base || value > UINT32_MAX) {
      return std::nullopt;
    }
  }
  return static_cast<std::uint32_t>(negative ? 0 - value : value);
}

struct OneRow {
  bool whole = false;
  bool wellFormed = false;
  int code = 0;
  std::size_t length = 0;
};

// The character cell of `code` as the terminal receives it in `rendering`:
// centred by columns, a line feed turned into CR LF by the terminal.
std::string characterCellOnScreen(int code, CellRendering rendering) {
  const CellText cell = characterCell(code, rendering);
  const CellPadding padding = centredPadding(cell.columns, static_cast<int>(cellWidth));
  std::string shown(static_cast<std::size_t>(padding.left), ' ');
  for (const char byte : cell.text) {
    shown += byte == '\n' ? std::string(lineEnd) : std::string(1, byte);
  }
  shown.append(static_cast<std::size_t>(padding.right), ' ');
  return shown;
}

// Whether `cell` shows `code` as a file (the raw byte) or a terminal (a PC
// glyph or caret notation) gets it.
bool characterMatches(std::string_view cell, int code) {
  for (const CellRendering rendering :
       {CellRendering::rawByte, CellRendering::pcGlyphs, CellRendering::caretNotation}) {
    if (cell == characterCellOnScreen(code & 0xFF, rendering)) {
      return true;
    }
  }
  return false;
}

// The three number cells after the character cell, when they agree on one
// code.
std::optional<int> numberCellsCode(std::string_view cells) {
  std::optional<std::uint32_t> values[numberCells];
  for (std::size_t index = 0; index < numberCells; ++index) {
    const std::size_t start = index * (1 + cellWidth);
    if (cells[start] != separator) {
      return std::nullopt;
    }
    values[index] = cellValue(cells.substr(start + 1, cellWidth), bases[index]);
  }
  if (!values[0] || values[1] != values[0] || values[2] != values[0]) {
    return std::nullopt;
  }
  return static_cast<int>(*values[0]);
}

// The character cell takes from 13 bytes (one byte or ASCII text) to 15 (a
// glyph of three UTF-8 bytes); the raw line feed's cell is 14, as the
// terminal turns it into CR LF. The row ends at the first CR LF that stands
// where a row with a cell of such a length would end.
OneRow parseRow(std::string_view screen) {
  OneRow row;
  constexpr std::size_t numberPart = numberCells * (1 + cellWidth);
  for (std::size_t characterBytes = cellWidth; characterBytes <= longestCharacterCell; ++characterBytes) {
    const std::size_t length = characterBytes + numberPart + lineEnd.size();
    if (screen.size() < length) {
      return row;
    }
    if (screen.substr(length - lineEnd.size(), lineEnd.size()) != lineEnd) {
      continue;
    }
    // No cell of a row holds CR LF where a shorter row would end, so the
    // row ends here, well formed or not.
    const std::optional<int> code = numberCellsCode(screen.substr(characterBytes, numberPart));
    row.whole = true;
    row.length = length;
    row.code = code.value_or(0);
    row.wellFormed = code && *code >= lowestCode && *code <= highestCode &&
                     characterMatches(screen.substr(0, characterBytes), *code);
    return row;
  }
  // Long enough for any row, and no row ends where one could.
  row.whole = true;
  return row;
}

}  // namespace

ParsedRows parseRows(std::string_view screen, std::vector<int>& codes) {
  ParsedRows parsed;
  for (;;) {
    const OneRow row = parseRow(screen.substr(parsed.used));
    if (!row.whole) {
      return parsed;
    }
    if (!row.wellFormed) {
      parsed.malformed = true;
      return parsed;
    }
    codes.push_back(row.code);
    parsed.used += row.length;
  }
}
