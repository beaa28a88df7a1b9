// The row parser the benchmark and the tests read table rows back with:
// every row's code in order, torn and garbled rows caught.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tableRow.hpp"
#include "transcript.hpp"

namespace {

std::string screenRows(const std::vector<int>& codes) { return asTerminalShowsIt(expectedRows(codes)); }

struct RowCase {
  const char* name;
  std::string screen;
  std::vector<int> codes;
  // Bytes of `screen` the whole rows take; the rest is left for later.
  std::size_t used;
  bool malformed;
};

std::string withByte(std::string text, std::size_t at, char byte) {
  text.replace(at, 1, 1, byte);
  return text;
}

TEST(TableRowParser, ReadsEveryWholeRowInOrderAndCatchesTornOnes) {
  const std::string letter = screenRows({'a'});
  const std::string twoRows = screenRows({'a', 'b'});
  const std::string lineFeed = screenRows({10});
  // Enter and the lead 224 as PC glyphs (three and two UTF-8 bytes), Escape
  // and 0xE4 in caret notation.
  const std::string glyphRows =
      "      \xe2\x99\xaa      |     13      |      d      |     15      \r\n"
      "      \xce\xb1      |     224     |     e0      |     340     \r\n"
      "     ^[      |     27      |     1b      |     33      \r\n"
      "    \\xe4     |     228     |     e4      |     344     \r\n";
  const std::vector<RowCase> cases = {
      {"letters in order", twoRows, {'a', 'b'}, twoRows.size(), false},
      {"line feed splits its own row", lineFeed + letter, {10, 'a'}, lineFeed.size() + letter.size(), false},
      {"carriage return and NUL", screenRows({13, 0}), {13, 0}, screenRows({13, 0}).size(), false},
      {"no key: -1, ffffffff, 37777777777", screenRows({-1, 255}), {-1, 255}, screenRows({-1, 255}).size(), false},
      {"row cut off at the end", letter + letter.substr(0, 30), {'a'}, letter.size(), false},
      {"line feed row cut off", lineFeed.substr(0, 8), {}, 0, false},
      {"hex cell disagrees", letter + withByte(letter, 33, '2'), {'a'}, letter.size(), true},
      {"character disagrees", withByte(letter, 6, 'b'), {}, 0, true},
      {"cell off centre", withByte(withByte(withByte(letter, 18, '9'), 19, '7'), 20, ' '), {}, 0, true},
      {"separator missing", withByte(letter, 13, ' '), {}, 0, true},
      {"code above 255", screenRows({256}), {}, 0, true},
      {"text that is no row", std::string(60, '-'), {}, 0, true},
      {"glyphs and caret notation as a terminal shows them", glyphRows, {13, 224, 27, 228}, glyphRows.size(), false},
      {"a glyph that is not the code's", withByte(glyphRows, 6, '\x01'), {}, 0, true},
  };
  for (const RowCase& rowCase : cases) {
    std::vector<int> codes;
    const ParsedRows parsed = parseRows(rowCase.screen, codes);
    EXPECT_EQ(codes, rowCase.codes) << rowCase.name << ": " << visibleBytes(rowCase.screen);
    EXPECT_EQ(parsed.used, rowCase.used) << rowCase.name;
    EXPECT_EQ(parsed.malformed, rowCase.malformed) << rowCase.name;
  }
}

}  // namespace
