#include "table/cellWriters.hpp"

#include <algorithm>
#include <array>
#include <iostream>
#include <string_view>

#include "table/codeText.hpp"

CellPadding centredPadding(int columns, int width) {
  const int gap = columns < width ? width - columns : 0;
  return {gap / 2, gap - gap / 2};
}

namespace {

// The padding of every cell is spaces: they are written from a run kept
// ready, any other character from a run filled on the spot.
constexpr int runLength = 64;
constexpr std::string_view spaceRun = "                                                                ";
static_assert(spaceRun.size() == runLength);

}  // namespace

void repeatChar(char character, int count) {
  // Written in runs, not a byte at a time: each stream operation has a cost
  // of its own.
  std::array<char, runLength> filled{};
  const char* run = spaceRun.data();
  if (character != ' ' && count > 0) {
    filled.fill(character);
    run = filled.data();
  }
  for (int left = count; left > 0; left -= runLength) {
    std::cout.write(run, std::min(left, runLength));
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
