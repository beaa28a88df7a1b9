#pragma once

#include <string>

// The writers that give the table its shape. All of them write to the
// standard output stream and never write a separator or a line end.

// The spaces left and right of a text `columns` screen columns wide centred
// in a field of `width` columns: half the gap rounded down on the left, the
// odd space on the right; none when the text is as wide as the field or wider.
struct CellPadding {
  int left = 0;
  int right = 0;
};
CellPadding centredPadding(int columns, int width);

// Writes `character` `count` times; a count of 0 or less writes nothing.
void repeatChar(char character, int count);

// Writes `text` centred in a field of `width` columns, each byte counted as
// one column (centredPadding). A NUL byte in the text is written like any
// other byte. A text longer than the width is written in full with no
// padding.
// The text is taken by value: the cell owns its copy.
void printCentered(std::string text, int width);  // NOLINT(performance-unnecessary-value-param)

// Writes the digits of `value` in `base` centred in a field of `width`.
void printCode(int value, int width, int base);
