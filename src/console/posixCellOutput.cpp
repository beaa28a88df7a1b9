// Standard output on POSIX: a terminal or not, and the locale's character set.

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <iostream>
#include <string>
#include <string_view>

#include "console/cellOutput.hpp"

namespace {

// A closed pipe on standard output must not kill the tool, which would leave
// the terminal raw: the stream just enters its failed state instead. The
// tool's own choice, made here with its output, not by the key reader: a
// program that links the reader keeps its own.
const bool brokenPipeIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;

// Whether the user's locale (LC_ALL, LC_CTYPE, LANG) has UTF-8 as its
// character set. Only LC_CTYPE is switched to find out, and it is put back
// at once, so nothing else in the run sees another locale.
bool userLocaleIsUtf8() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    const std::string_view codeset = nl_langinfo(CODESET);
    utf8 = codeset == "UTF-8" || codeset == "utf-8" || codeset == "utf8" || codeset == "UTF8";
  }
  static_cast<void>(std::setlocale(LC_CTYPE, saved.c_str()));
  return utf8;
}

}  // namespace

bool outputTakesUtf8() {
  // Asked once: the locale does not change during the run.
  static const bool utf8 = userLocaleIsUtf8();
  return utf8;
}

CellRendering standardOutputRendering() {
  static_cast<void>(brokenPipeIgnored);
  if (isatty(STDOUT_FILENO) == 0) {
    return CellRendering::rawByte;
  }
  return outputTakesUtf8() ? CellRendering::pcGlyphs : CellRendering::caretNotation;
}

void writeCellText(const CellText& cell) {
  std::cout.write(cell.text.data(), static_cast<std::streamsize>(cell.text.size()));
}
