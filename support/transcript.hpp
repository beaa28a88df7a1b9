#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The screen text the tool is expected to write, built here on its own
// terms (printf formatting), apart from the tool's code, and bytes made
// readable for failure messages.

inline std::string centredCell(const std::string& text) {
  const int gap = 13 - static_cast<int>(text.size());
  return std::string(static_cast<std::size_t>(gap / 2), ' ') + text +
         std::string(static_cast<std::size_t>(gap - gap / 2), ' ');
}

inline std::string formatted(const char* format, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The character cell on a terminal whose locale is not UTF-8, as the pty
// tests run the tool (LC_ALL=C): printable ASCII as itself, ^@ .. ^_ and ^?
// for the control codes, \xNN for the bytes above 127.
inline std::string caretCellText(int code) {
  const unsigned byte = static_cast<unsigned>(code) & 0xFFU;
  if (byte == 0x7FU) {
    return "^?";
  }
  if (byte < 0x20U) {
    return formatted("^%c", byte + '@');
  }
  if (byte > 0x7FU) {
    return formatted("\\x%02x", byte);
  }
  return std::string(1, static_cast<char>(byte));
}

// A table row: the character cell holds the raw byte, as in a file or a
// pipe, or with `onTerminal` the text a terminal gets instead.
inline std::string expectedRow(int code, bool onTerminal = false) {
  const std::string character = onTerminal ? caretCellText(code) : std::string(1, static_cast<char>(code & 0xFF));
  return centredCell(character) + "|" + centredCell(std::to_string(code)) + "|" +
         centredCell(formatted("%x", static_cast<unsigned>(code))) + "|" +
         centredCell(formatted("%o", static_cast<unsigned>(code))) + "\n";
}

inline std::string expectedGreeting() {
  return "Zeichencodes im Konsolemodus\n"
         "Geben Sie Zeichen ein, zu denen Sie den Code suchen (Leertaste fuer Ende)!\n\n"
         "   Zeichen   |   dezimal   | hexadezimal |    oktal    \n" +
         std::string(55, '-') + "\n";
}

inline const std::string closingPrompt = "Press any key to finish.";

inline std::string expectedRows(const std::vector<int>& codes, bool onTerminal = false) {
  std::string rows;
  for (const int code : codes) {
    rows += expectedRow(code, onTerminal);
  }
  return rows;
}

// The rule line under the table header as the terminal shows it.
inline const std::string ruleLineOnScreen = std::string(55, '-') + "\r\n";

// A terminal's output processing turns every line feed into CR LF.
inline std::string asTerminalShowsIt(const std::string& text) {
  std::string shown;
  for (const char byte : text) {
    if (byte == '\n') {
      shown += '\r';
    }
    shown += byte;
  }
  return shown;
}

// Shows control and high bytes as escapes, so a failing comparison shows
// every byte.
inline std::string visibleBytes(std::string_view bytes) {
  static constexpr char hexDigits[] = "0123456789abcdef";
  std::string shown;
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 0x20 && value < 0x7F && value != '\\') {
      shown += byte;
    } else {
      shown += "\\x";
      shown += hexDigits[value >> 4];
      shown += hexDigits[value & 0x0F];
    }
  }
  return shown;
}

// Rows written to the pty, as its master side reads them.
inline std::string rowOnTerminal(int code) { return asTerminalShowsIt(expectedRow(code, true)); }
inline std::string rowsOnTerminal(const std::vector<int>& codes) {
  return asTerminalShowsIt(expectedRows(codes, true));
}
