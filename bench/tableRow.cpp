#include "tableRow.hpp"

namespace {

constexpr char separator = '|';
constexpr char ruleChar = '-';
constexpr int decimalBase = 10;
constexpr int hexBase = 16;
constexpr int octalBase = 8;
constexpr int maxCode = 255;

int digitValue(char digit) {
  if (digit >= '0' && digit <= '9') {
    return digit - '0';
  }
  if (digit >= 'a' && digit <= 'f') {
    return digit - 'a' + decimalBase;
  }
  return noCode;
}

// The number a cell shows in `base`, centred as the table centres it, or
// noCode.
int cellNumber(std::string_view cell, int base) {
  const std::size_t first = cell.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return noCode;
  }
  const std::size_t last = cell.find_last_not_of(' ');
  const std::size_t length = last - first + 1;
  const std::size_t gap = cellWidth - length;
  if (first != gap / 2) {
    return noCode;
  }
  int value = 0;
  for (const char digit : cell.substr(first, length)) {
    const int next = digitValue(digit);
    if (next == noCode || next >= base) {
      return noCode;
    }
    value = value * base + next;
    if (value > maxCode) {
      return noCode;
    }
  }
  return value;
}

std::string_view cellAt(std::string_view row, std::size_t index) {
  return row.substr(index * (cellWidth + 1), cellWidth);
}

}  // namespace

int rowCode(std::string_view row) {
  if (row.size() != rowBytes || row.substr(rowLength) != lineEnd) {
    return noCode;
  }
  for (std::size_t index = 1; index < 4; ++index) {
    if (row[index * (cellWidth + 1) - 1] != separator) {
      return noCode;
    }
  }
  const int code = cellNumber(cellAt(row, 1), decimalBase);
  if (code == noCode || cellNumber(cellAt(row, 2), hexBase) != code || cellNumber(cellAt(row, 3), octalBase) != code) {
    return noCode;
  }
  // The character cell holds the code's byte in its middle.
  const std::string_view character = cellAt(row, 0);
  if (static_cast<unsigned char>(character[cellWidth / 2]) != code) {
    return noCode;
  }
  return code;
}

std::string ruleLine() { return std::string(rowLength, ruleChar) + std::string(lineEnd); }
