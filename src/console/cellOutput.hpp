#pragma once

#include "table/characterCell.hpp"

// Standard output as the character cell sees it: what kind of output it is,
// and the one write that may need the console itself.

// How the character cell is shown on this process's standard output: the raw
// byte for a file or a pipe, PC glyphs on a UTF-8 terminal, caret notation on
// any other terminal, console glyphs on a Windows console. Looks at the
// output and the locale's character set and changes neither.
CellRendering standardOutputRendering();

// Whether text beyond the table, such as --explain's key names, may hold
// UTF-8: where the user's locale has UTF-8 as its character set. A Windows
// console is taken to have a code page of its own.
bool outputTakesUtf8();

// Writes the text of a character cell to standard output: through the
// standard output stream, or for a console glyph with the console's
// wide-character call after the stream has been flushed.
void writeCellText(const CellText& cell);
