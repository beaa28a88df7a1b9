#include "table/cellWriters.hpp"

#include <iostream>

#include "table/codeText.hpp"

CellPadding centredPadding(int columns, int width) {
  const int gap = columns < width ? width - columns : 0;
  return {gap / 2, gap - gap / 2};
}

void repeatChar(char character, int count) {
  for (int written = 0; written < count; ++written) {
    std::cout << character;
  }
}

// cppcheck-suppress passedByValue ; the cell writer takes its text by value
void printCentered(std::string text, int width) {  // NOLINT(performance-unnecessary-value-param)
  const CellPadding padding = centredPadding(static_cast<int>(text.size()), width);
  repeatChar(' ', padding.left);
  // Written by length, not as a C string, so a NUL byte keeps its column.
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  repeatChar(' ', padding.right);
}

void printCode(int value, int width, int base) { printCentered(codeToText(value, base), width); }
