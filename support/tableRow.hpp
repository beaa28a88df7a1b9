#pragma once

// Reading table rows back from the screen text a terminal receives: each
// row's code, checked cell by cell, so that a lost, torn or garbled row is
// caught.

#include <cstddef>
#include <string_view>
#include <vector>

struct ParsedRows {
  // Bytes taken by the whole rows read.
  std::size_t used = 0;
  // The rows stopped at a row that is not well formed, at `used`.
  bool malformed = false;
};

// Reads the whole rows at the start of `screen` and appends their codes to
// `codes`. A row ends in CR LF. Its character cell holds the raw byte (the
// row of code 10 is then split by CR LF inside that cell), or, where the
// tool writes to a terminal, the code's PC glyph or caret notation. A row
// cut off at the end is left for the next call. A row is well formed when
// every cell is centred in its place and the decimal, hex and octal cells
// and the character agree on one code from -1 to 255.
ParsedRows parseRows(std::string_view screen, std::vector<int>& codes);
