#include "table/cellWriters.hpp"

#include <iostream>

#include "table/codeText.hpp"

void repeatChar(char character, int count) {
  for (int written = 0; written < count; ++written) {
    std::cout << character;
  }
}

// cppcheck-suppress passedByValue ; the cell writer takes its text by value
void printCentered(std::string text, int width) {  // NOLINT(performance-unnecessary-value-param)
  const int length = static_cast<int>(text.size());
  const int gap = length < width ? width - length : 0;
  const int left = gap / 2;
  repeatChar(' ', left);
  // Written by length, not as a C string, so a NUL byte keeps its column.
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  repeatChar(' ', gap - left);
}

void printCode(int value, int width, int base) { printCentered(codeToText(value, base), width); }
