#include "tableRow.hpp"

#include <cstdint>
#include <optional>

namespace {

constexpr std::size_t cellWidth = 13;
constexpr std::size_t numberCells = 3;
constexpr char separator = '|';
constexpr std::string_view lineEnd = "\r\n";
constexpr int bases[numberCells] = {10, 16, 8};
constexpr int lowestCode = -1;
constexpr int highestCode = 255;
constexpr int lineFeed = 10;

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

OneRow parseRow(std::string_view screen) {
  OneRow row;
  const std::size_t middle = cellWidth / 2;
  // A line feed in the character cell arrives as CR LF: one byte more.
  if (screen.size() < cellWidth) {
    return row;
  }
  const bool splitRow = screen.substr(middle, lineEnd.size()) == lineEnd;
  const std::size_t characterWidth = splitRow ? cellWidth + 1 : cellWidth;
  row.length = characterWidth + numberCells * (1 + cellWidth) + lineEnd.size();
  if (screen.size() < row.length) {
    return row;
  }
  row.whole = true;
  const std::string_view character = screen.substr(0, characterWidth);
  std::optional<std::uint32_t> values[numberCells];
  for (std::size_t index = 0; index < numberCells; ++index) {
    const std::size_t start = characterWidth + index * (1 + cellWidth);
    if (screen[start] != separator) {
      return row;
    }
    values[index] = cellValue(screen.substr(start + 1, cellWidth), bases[index]);
  }
  if (screen.substr(row.length - lineEnd.size(), lineEnd.size()) != lineEnd || !values[0] || values[1] != values[0] ||
      values[2] != values[0]) {
    return row;
  }
  row.code = static_cast<int>(*values[0]);
  const std::string_view padding(character.data() + characterWidth - middle, middle);
  const bool padded = character.substr(0, middle).find_first_not_of(' ') == std::string_view::npos &&
                      padding.find_first_not_of(' ') == std::string_view::npos;
  const bool characterMatches =
      splitRow ? row.code == lineFeed : static_cast<unsigned char>(character[middle]) == (row.code & 0xFF);
  row.wellFormed = padded && characterMatches && row.code >= lowestCode && row.code <= highestCode;
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
