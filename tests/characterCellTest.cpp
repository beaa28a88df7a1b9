#include "table/characterCell.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <string>

#include "captureOutput.hpp"
#include "table/cellWriters.hpp"

namespace {

constexpr CellRendering everyRendering[] = {CellRendering::rawByte, CellRendering::pcGlyphs,
                                            CellRendering::caretNotation, CellRendering::consoleGlyphs};
// What reaches a terminal: everything but the raw byte of redirected output.
constexpr CellRendering terminalRenderings[] = {CellRendering::pcGlyphs, CellRendering::caretNotation,
                                                CellRendering::consoleGlyphs};

const char* nameOf(CellRendering rendering) {
  switch (rendering) {
    case CellRendering::rawByte:
      return "raw byte";
    case CellRendering::pcGlyphs:
      return "PC glyphs";
    case CellRendering::caretNotation:
      return "caret notation";
    case CellRendering::consoleGlyphs:
      return "console glyphs";
  }
  return "?";
}

// Switches LC_CTYPE to a UTF-8 locale for one test and back afterwards.
class Utf8Locale {
 public:
  Utf8Locale() : saved_(std::setlocale(LC_CTYPE, nullptr)) {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (std::setlocale(LC_CTYPE, name) != nullptr) {
        available_ = true;
        return;
      }
    }
  }
  ~Utf8Locale() { std::setlocale(LC_CTYPE, saved_.c_str()); }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;
  [[nodiscard]] bool available() const { return available_; }

 private:
  std::string saved_;
  bool available_ = false;
};

TEST(CharacterCell, EveryPcGlyphIsOneValidUtf8CharacterOneColumnWide) {
  const Utf8Locale locale;
  if (!locale.available()) {
    GTEST_SKIP() << "no UTF-8 locale installed";
  }
  for (int code = 0; code <= 255; ++code) {
    const CellText cell = characterCell(code, CellRendering::pcGlyphs);
    std::mbstate_t state{};
    wchar_t character = 0;
    const std::size_t length = std::mbrtowc(&character, cell.text.data(), cell.text.size(), &state);
    EXPECT_EQ(length, cell.text.size()) << "code " << code
                                        << " is not one UTF-8 character: " << visibleBytes(cell.text);
    EXPECT_EQ(wcwidth(character), 1) << "code " << code << ": " << visibleBytes(cell.text);
    EXPECT_EQ(cell.columns, 1) << "code " << code;
  }
}

TEST(CharacterCell, PrintableAsciiIsItselfInEveryRendering) {
  for (const CellRendering rendering : everyRendering) {
    for (int code = 0x20; code <= 0x7E; ++code) {
      const CellText cell = characterCell(code, rendering);
      EXPECT_EQ(cell.text, std::string(1, static_cast<char>(code))) << nameOf(rendering) << ", code " << code;
      EXPECT_EQ(cell.columns, 1) << nameOf(rendering) << ", code " << code;
      EXPECT_FALSE(cell.consoleGlyph) << nameOf(rendering) << ", code " << code;
    }
  }
}

TEST(CharacterCell, NothingWrittenToATerminalIsAControlByte) {
  for (const CellRendering rendering : terminalRenderings) {
    for (int code = 0; code <= 255; ++code) {
      const CellText cell = characterCell(code, rendering);
      EXPECT_FALSE(cell.text.empty()) << nameOf(rendering) << ", code " << code;
      for (const char byte : cell.text) {
        const auto value = static_cast<unsigned char>(byte);
        EXPECT_TRUE(value >= 0x20 && value != 0x7F)
            << nameOf(rendering) << ", code " << code << ": " << visibleBytes(cell.text);
      }
    }
  }
}

TEST(CharacterCell, RedirectedOutputGetsTheByteItself) {
  for (int code = 0; code <= 255; ++code) {
    const CellText cell = characterCell(code, CellRendering::rawByte);
    EXPECT_EQ(cell.text, std::string(1, static_cast<char>(code))) << "code " << code;
    EXPECT_EQ(cell.columns, 1) << "code " << code;
  }
  // The row of -1 shows its low 8 bits.
  EXPECT_EQ(characterCell(-1, CellRendering::rawByte).text, "\xff");
}

// Caret notation counts its columns; the PC glyphs are those of code page
// 437, 255 a no-break space so that the cell never looks empty of a code.
TEST(CharacterCell, TelltaleCodesShowTheirTextInItsColumns) {
  struct Example {
    CellRendering rendering;
    int code;
    std::string text;
    int columns;
  };
  constexpr auto caret = CellRendering::caretNotation;
  constexpr auto glyphs = CellRendering::pcGlyphs;
  const Example examples[] = {
      {caret, 0, "^@", 2},        {caret, 1, "^A", 2},        {caret, 9, "^I", 2},        {caret, 13, "^M", 2},
      {caret, 27, "^[", 2},       {caret, 31, "^_", 2},       {caret, 127, "^?", 2},      {caret, 128, "\\x80", 4},
      {caret, 224, "\\xe0", 4},   {caret, 255, "\\xff", 4},   {glyphs, 13, "\u266a", 1},  {glyphs, 27, "\u2190", 1},
      {glyphs, 127, "\u2302", 1}, {glyphs, 224, "\u03b1", 1}, {glyphs, 255, "\u00a0", 1},
  };
  for (const Example& example : examples) {
    const CellText cell = characterCell(example.code, example.rendering);
    EXPECT_EQ(cell.text, example.text) << nameOf(example.rendering) << ", code " << example.code;
    EXPECT_EQ(cell.columns, example.columns) << nameOf(example.rendering) << ", code " << example.code;
  }
}

TEST(CharacterCell, WindowsConsoleWritesGlyphsOnlyForControlCodes) {
  for (int code = 0; code <= 255; ++code) {
    const CellText cell = characterCell(code, CellRendering::consoleGlyphs);
    const bool control = code < 0x20 || code == 0x7F;
    EXPECT_EQ(cell.consoleGlyph, control) << "code " << code;
    // A control code shows the glyph of the UTF-8 terminal; every other
    // code is the byte, for the console's own code page.
    const std::string expected =
        control ? characterCell(code, CellRendering::pcGlyphs).text : std::string(1, static_cast<char>(code));
    EXPECT_EQ(cell.text, expected) << "code " << code;
    EXPECT_EQ(cell.columns, 1) << "code " << code;
  }
}

TEST(CentredPadding, CountsColumnsNotBytes) {
  struct Example {
    int columns;
    int left;
    int right;
  };
  // One column (a glyph of up to 3 bytes, or a byte), ^M, \xe0, a full
  // cell and a text wider than the cell.
  const Example examples[] = {{1, 6, 6}, {2, 5, 6}, {4, 4, 5}, {13, 0, 0}, {20, 0, 0}, {0, 6, 7}};
  for (const Example& example : examples) {
    const CellPadding padding = centredPadding(example.columns, 13);
    EXPECT_EQ(padding.left, example.left) << example.columns << " columns";
    EXPECT_EQ(padding.right, example.right) << example.columns << " columns";
  }
}

}  // namespace
