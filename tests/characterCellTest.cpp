#include "table/characterCell.hpp"

#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cwchar>
#include <string>

#include "captureOutput.hpp"

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

// The glyphs of code page 437: the control codes' as a PC draws them, the
// rest as the C library's converter from code page 437 gives them.
TEST(CharacterCell, PcGlyphsAreThoseOfCodePage437) {
  std::string controls;
  for (int code = 0; code < 0x20; ++code) {
    controls += characterCell(code, CellRendering::pcGlyphs).text;
  }
  EXPECT_EQ(controls, " ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼");
  EXPECT_EQ(characterCell(0x7F, CellRendering::pcGlyphs).text, "⌂");
  iconv_t converter = iconv_open("UTF-8", "IBM437");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    GTEST_SKIP() << "the C library converts no code page 437";
  }
  for (int code = 0x80; code <= 0xFF; ++code) {
    char byte = static_cast<char>(code);
    char converted[8] = {};
    char* in = &byte;
    char* out = converted;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof converted;
    ASSERT_NE(iconv(converter, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1)) << code;
    EXPECT_EQ(characterCell(code, CellRendering::pcGlyphs).text, std::string(converted, out)) << "code " << code;
  }
  iconv_close(converter);
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

}  // namespace
