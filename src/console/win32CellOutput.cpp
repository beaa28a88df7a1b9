// Standard output on Windows: a console or redirected, and the console's own
// write for the glyphs of the control codes.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <iostream>

#include "console/cellOutput.hpp"

namespace {

HANDLE standardOutputHandle() { return GetStdHandle(STD_OUTPUT_HANDLE); }

// GetConsoleMode succeeds only on a console handle, never on a file or pipe.
bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

CellRendering standardOutputRendering() {
  return isConsole(standardOutputHandle()) ? CellRendering::consoleGlyphs : CellRendering::rawByte;
}

// The console draws its own code page; names of other characters are shown
// by their bytes.
bool outputTakesUtf8() { return false; }

void writeCellText(const CellText& cell) {
  if (!cell.consoleGlyph) {
    std::cout.write(cell.text.data(), static_cast<std::streamsize>(cell.text.size()));
    return;
  }
  // What the stream holds goes out first, so the glyph keeps its column.
  std::cout.flush();
  wchar_t glyph[4] = {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, cell.text.data(), static_cast<int>(cell.text.size()), glyph, 4);
  DWORD written = 0;
  if (length <= 0 || WriteConsoleW(standardOutputHandle(), glyph, static_cast<DWORD>(length), &written, nullptr) == 0) {
    // A console that refuses the glyph still gets a cell one column wide.
    std::cout << ' ';
  }
}
