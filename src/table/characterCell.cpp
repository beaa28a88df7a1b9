#include "table/characterCell.hpp"

#include <array>
#include <string_view>

namespace {

constexpr int byteMask = 0xFF;
constexpr int firstPrintable = 0x20;
constexpr int deleteCode = 0x7F;
constexpr char caretOffset = 0x40;  // ^@ is 0, ^A is 1 ... ^_ is 31
constexpr char hexDigits[] = "0123456789abcdef";

// The glyph a PC console with code page 437 draws for each code, as UTF-8,
// sixteen codes a row. 0 is a blank and 255 a no-break space.
// clang-format off
constexpr std::array<std::string_view, 256> pcGlyphTable = {
    /* 00 */ " ", "☺", "☻", "♥", "♦", "♣", "♠", "•", "◘", "○", "◙", "♂", "♀", "♪", "♫", "☼",
    /* 10 */ "►", "◄", "↕", "‼", "¶", "§", "▬", "↨", "↑", "↓", "→", "←", "∟", "↔", "▲", "▼",
    /* 20 */ " ", "!", "\"","#", "$", "%", "&", "'", "(", ")", "*", "+", ",", "-", ".", "/",
    /* 30 */ "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":", ";", "<", "=", ">", "?",
    /* 40 */ "@", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O",
    /* 50 */ "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "[", "\\","]", "^", "_",
    /* 60 */ "`", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
    /* 70 */ "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "{", "|", "}", "~", "⌂",
    /* 80 */ "Ç", "ü", "é", "â", "ä", "à", "å", "ç", "ê", "ë", "è", "ï", "î", "ì", "Ä", "Å",
    /* 90 */ "É", "æ", "Æ", "ô", "ö", "ò", "û", "ù", "ÿ", "Ö", "Ü", "¢", "£", "¥", "₧", "ƒ",
    /* a0 */ "á", "í", "ó", "ú", "ñ", "Ñ", "ª", "º", "¿", "⌐", "¬", "½", "¼", "¡", "«", "»",
    /* b0 */ "░", "▒", "▓", "│", "┤", "╡", "╢", "╖", "╕", "╣", "║", "╗", "╝", "╜", "╛", "┐",
    /* c0 */ "└", "┴", "┬", "├", "─", "┼", "╞", "╟", "╚", "╔", "╩", "╦", "╠", "═", "╬", "╧",
    /* d0 */ "╨", "╤", "╥", "╙", "╘", "╒", "╓", "╫", "╪", "┘", "┌", "█", "▄", "▌", "▐", "▀",
    /* e0 */ "α", "ß", "Γ", "π", "Σ", "σ", "µ", "τ", "Φ", "Θ", "Ω", "δ", "∞", "φ", "ε", "∩",
    /* f0 */ "≡", "±", "≥", "≤", "⌠", "⌡", "÷", "≈", "°", "∙", "·", "√", "ⁿ", "²", "■", "\u00a0",
};
// clang-format on

bool isControl(int byte) { return byte < firstPrintable || byte == deleteCode; }

CellText rawCell(int byte) { return {std::string(1, static_cast<char>(byte)), 1, false}; }

CellText glyphCell(int byte, bool consoleGlyph) {
  return {std::string(pcGlyphTable[static_cast<std::size_t>(byte)]), 1, consoleGlyph};
}

// ^@ .. ^_ for 0..31, ^? for 127, \xNN for 128..255: nothing that reaches
// the terminal is a control byte.
CellText caretCell(int byte) {
  if (byte == deleteCode) {
    return {"^?", 2, false};
  }
  if (byte < firstPrintable) {
    return {std::string{'^', static_cast<char>(byte + caretOffset)}, 2, false};
  }
  if (byte > deleteCode) {
    return {std::string{'\\', 'x', hexDigits[byte >> 4], hexDigits[byte & 0x0F]}, 4, false};
  }
  return rawCell(byte);
}

}  // namespace

CellText characterCell(int code, CellRendering rendering) {
  const int byte = code & byteMask;
  switch (rendering) {
    case CellRendering::pcGlyphs:
      return glyphCell(byte, false);
    case CellRendering::caretNotation:
      return caretCell(byte);
    case CellRendering::consoleGlyphs:
      return isControl(byte) ? glyphCell(byte, true) : rawCell(byte);
    case CellRendering::rawByte:
      break;
  }
  return rawCell(byte);
}
