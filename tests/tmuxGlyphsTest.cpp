// The table on a real terminal in a UTF-8 locale (tmux): every key's row
// lines up, and its character cell shows the key's glyph.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "endOnExit.hpp"
#include "tmuxSession.hpp"

namespace {

using std::chrono::milliseconds;

const std::string keycodes = KEYCODES_BINARY;

// The columns of the three separators (1-based), and where a one-column
// character sits in its 13-column cell.
constexpr std::size_t separatorColumns[] = {14, 28, 42};
constexpr std::size_t characterColumn = 7;

// UTF-8 text as code points; a malformed sequence gives U+FFFD.
std::u32string codePointsOf(const std::string& text) {
  std::u32string points;
  for (std::size_t index = 0; index < text.size();) {
    const auto lead = static_cast<unsigned char>(text[index]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || index + length > text.size()) {
      points += U'\uFFFD';
      ++index;
      continue;
    }
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t next = 1; next < length; ++next) {
      point = (point << 6) | (static_cast<unsigned char>(text[index + next]) & 0x3F);
    }
    points += point;
    index += length;
  }
  return points;
}

std::string utf8Of(char32_t point) {
  std::string text;
  if (point < 0x80) {
    text += static_cast<char>(point);
  } else if (point < 0x800) {
    text += static_cast<char>(0xC0 | (point >> 6));
    text += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (point >> 12));
    text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (point & 0x3F));
  }
  return text;
}

struct ExpectedRow {
  std::u32string glyph;
  int code;
};

class TmuxGlyphs : public testing::Test {
 protected:
  void SetUp() override {
    if (!tmuxAvailable()) {
      GTEST_SKIP() << "tmux is not installed (apt-get install tmux)";
    }
  }
};

TEST_F(TmuxGlyphs, EveryRowLinesUpAndShowsTheGlyphOfItsCode) {
  const TmuxSession session = startTmux("env LC_ALL=C.UTF-8 " + keycodes + "; sleep 5");
  const EndOnExit ended([&session] { stopTmux(session); });
  ASSERT_TRUE(waitForPaneText(session, std::string(55, '-'), milliseconds(5000))) << capturePane(session);
  ASSERT_TRUE(waitForPaneRawMode(session, milliseconds(5000)));
  for (const char* key : {"Enter", "Escape", "Tab", "BSpace", "C-a", "F1", "Up"}) {
    pressKey(session, key);
  }
  typeText(session, "\xc3\xa4");  // ä: the two bytes of its UTF-8 form
  pressKey(session, "Space");
  ASSERT_TRUE(waitForPaneText(session, "Press any key to finish.", milliseconds(5000))) << capturePane(session);
  const std::string screen = capturePane(session);
  pressKey(session, "q");

  // Backspace sends DEL, which reads as 8; ä gives the codes of its two
  // bytes.
  const ExpectedRow expected[] = {
      {U"♪", 13}, {U"←", 27},  {U"○", 9},  {U"◘", 8},   {U"☺", 1},   {U" ", 0},
      {U";", 59}, {U"α", 224}, {U"H", 72}, {U"├", 195}, {U"ñ", 164}, {U" ", 32},
  };
  std::istringstream lines(screen);
  std::string line;
  while (std::getline(lines, line) && line.find(std::string(55, '-')) == std::string::npos) {
  }
  for (const ExpectedRow& row : expected) {
    ASSERT_TRUE(std::getline(lines, line)) << "no row for code " << row.code << " in:\n" << screen;
    const std::u32string points = codePointsOf(line);
    for (const std::size_t column : separatorColumns) {
      EXPECT_TRUE(points.size() >= column && points[column - 1] == U'|')
          << "code " << row.code << ": no | in column " << column << " of \"" << line << "\"";
    }
    EXPECT_TRUE(points.size() > characterColumn && points.substr(characterColumn - 1, 1) == row.glyph)
        << "code " << row.code << ": \"" << line << "\" should show " << utf8Of(row.glyph[0]);
    // The decimal cell, columns 15 to 27, names the code the row is for.
    std::string decimal;
    for (std::size_t column = separatorColumns[0] + 1; column < separatorColumns[1] && column <= points.size();
         ++column) {
      if (points[column - 1] != U' ') {
        decimal += static_cast<char>(points[column - 1]);
      }
    }
    EXPECT_EQ(decimal, std::to_string(row.code)) << "code " << row.code << ": \"" << line << "\"";
  }
}

}  // namespace
