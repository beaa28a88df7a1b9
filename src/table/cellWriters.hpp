#pragma once

#include <string>

// The writers that give the table its shape. All of them write to the
// standard output stream and never write a separator or a line end.

// Writes `character` `count` times; a count of 0 or less writes nothing.
void repeatChar(char character, int count);

// Writes `text` centred in a field of `width` columns: the left padding is
// half the gap rounded down, the odd space goes to the right. A NUL byte in
// the text is written like any other byte. A text longer than the width is
// written in full with no padding.
// The text is taken by value: the cell owns its copy.
void printCentered(std::string text, int width);  // NOLINT(performance-unnecessary-value-param)

// Writes the digits of `value` in `base` centred in a field of `width`.
void printCode(int value, int width, int base);
