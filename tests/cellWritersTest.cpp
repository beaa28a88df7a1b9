#include "table/cellWriters.hpp"

#include <gtest/gtest.h>

#include <string>

#include "captureOutput.hpp"
#include "table/characterCell.hpp"

namespace {

std::string spaces(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

struct Padding {
  std::string text;
  int left;
  int right;
};

// Half the gap on the left, the odd space on the right; a NUL or a high
// byte takes its column like any other; a text as wide as the cell or wider
// goes out whole, with no padding.
TEST(PrintCentered, PadsEveryTextLengthTheTableUses) {
  const Padding paddings[] = {
      {"a", 6, 6},
      {"97", 5, 6},
      {"-1", 5, 6},
      {"255", 5, 5},
      {"oktal", 4, 4},
      {"Zeichen", 3, 3},
      {"ffffffff", 2, 3},
      {"hexadezimal", 1, 1},
      {"37777777777", 1, 1},
      {"", 6, 7},
      {{'\0'}, 6, 6},
      {"\xe0", 6, 6},
      {"abcdefghijklm", 0, 0},
      {"abcdefghijklmnop", 0, 0},
  };
  for (const Padding& padding : paddings) {
    const std::string cell = captureOutput([&] { printCentered(padding.text, 13); });
    EXPECT_EQ(cell, spaces(padding.left) + padding.text + spaces(padding.right)) << visibleBytes(padding.text);
  }
}

TEST(RepeatChar, WritesTheCharacterCountTimesAndNothingForNoCount) {
  EXPECT_EQ(captureOutput([] { repeatChar('-', 55); }), std::string(55, '-'));
  EXPECT_EQ(captureOutput([] { repeatChar('x', 1); }), "x");
  EXPECT_EQ(captureOutput([] { repeatChar(' ', 130); }), spaces(130)) << "more than one run of spaces";
  for (const int count : {0, -1, -2147483647 - 1}) {
    EXPECT_EQ(captureOutput([count] { repeatChar('-', count); }), "") << count;
  }
}

struct Telltale {
  int code;
  const char* decimal;
  const char* hexadecimal;
  const char* octal;
  std::string caret;
  std::string glyph;
};

// The exact bytes of each cell of a row for the codes that give a writer
// away: control codes that would act on the terminal, the space, DEL, the
// first byte past ASCII, the lead 224, the last byte and no key (-1).
TEST(CellWriters, WriteTheExactBytesOfTelltaleCodes) {
  const Telltale telltales[] = {
      {0, "      0      ", "      0      ", "      0      ", "^@", " "},
      {7, "      7      ", "      7      ", "      7      ", "^G", "\u2022"},
      {8, "      8      ", "      8      ", "     10      ", "^H", "\u25d8"},
      {9, "      9      ", "      9      ", "     11      ", "^I", "\u25cb"},
      {10, "     10      ", "      a      ", "     12      ", "^J", "\u25d9"},
      {13, "     13      ", "      d      ", "     15      ", "^M", "\u266a"},
      {27, "     27      ", "     1b      ", "     33      ", "^[", "\u2190"},
      {32, "     32      ", "     20      ", "     40      ", " ", " "},
      {127, "     127     ", "     7f      ", "     177     ", "^?", "\u2302"},
      {128, "     128     ", "     80      ", "     200     ", "\\x80", "\u00c7"},
      {224, "     224     ", "     e0      ", "     340     ", "\\xe0", "\u03b1"},
      {255, "     255     ", "     ff      ", "     377     ", "\\xff", "\u00a0"},
      {-1, "     -1      ", "  ffffffff   ", " 37777777777 ", "\\xff", "\u00a0"},
  };
  for (const Telltale& telltale : telltales) {
    const int code = telltale.code;
    EXPECT_EQ(captureOutput([code] { printCode(code, 13, 10); }), telltale.decimal) << code;
    EXPECT_EQ(captureOutput([code] { printCode(code, 13, 16); }), telltale.hexadecimal) << code;
    EXPECT_EQ(captureOutput([code] { printCode(code, 13, 8); }), telltale.octal) << code;
    const std::string raw(1, static_cast<char>(code));
    const CellText caret = characterCell(code, CellRendering::caretNotation);
    EXPECT_EQ(caret.text, telltale.caret) << code;
    EXPECT_EQ(caret.columns, static_cast<int>(telltale.caret.size())) << code;
    EXPECT_EQ(characterCell(code, CellRendering::rawByte).text, raw) << code;
    EXPECT_EQ(characterCell(code, CellRendering::pcGlyphs).text, telltale.glyph) << code;
    // The Windows console draws the control codes as glyphs with its wide
    // call, and every other code as the byte in its own code page.
    const bool control = (code & 0xFF) < 32 || code == 127;
    const CellText console = characterCell(code, CellRendering::consoleGlyphs);
    EXPECT_EQ(console.text, control ? telltale.glyph : raw) << code;
    EXPECT_EQ(console.consoleGlyph, control) << code;
  }
}

}  // namespace
