#pragma once

#include <cstdint>
#include <string>

// What the character cell of a row shows for a code, in each of the ways
// standard output can show it.

enum class CellRendering : std::uint8_t {
  // Standard output is a file or a pipe: the byte itself, unchanged.
  rawByte,
  // A terminal whose character set is UTF-8: the glyph a PC console with
  // code page 437 draws for the code, as UTF-8.
  pcGlyphs,
  // A terminal in any other character set: printable ASCII as itself,
  // control codes in caret notation (^A), 128..255 as \xNN.
  caretNotation,
  // A Windows console: the control codes 0..31 and 127 as their PC glyphs,
  // written with the console's wide-character call; every other code as the
  // byte, drawn by the console in its own code page.
  consoleGlyphs,
};

// The text of a character cell and how many screen columns it takes, which
// is what centring counts.
struct CellText {
  std::string text;
  int columns = 1;
  // True when `text` is a UTF-8 glyph that only the console's wide-character
  // call can show; false when `text` goes to the standard output stream as
  // it is.
  bool consoleGlyph = false;
};

// The cell for `code` (0..255; only the low 8 bits are used) in `rendering`.
CellText characterCell(int code, CellRendering rendering);
