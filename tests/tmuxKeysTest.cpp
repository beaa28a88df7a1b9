// Keys pressed in a real terminal (tmux) give the codes a Windows console
// user sees for the same keys, and on the screen each row shows its glyph.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "tmuxSession.hpp"

namespace {

using std::chrono::milliseconds;

const std::string keycodes = KEYCODES_BINARY;
const std::string ruleLine = std::string(55, '-');

struct KeyPress {
  std::string tmuxName;
  std::vector<int> codes;
};

class TmuxKeys : public testing::Test {
 protected:
  void SetUp() override {
    if (!tmuxAvailable()) {
      GTEST_SKIP() << "tmux is not installed (apt-get install tmux)";
    }
  }

  // Runs the tool in tmux with its output going to a file, presses the keys,
  // then one more key at the closing prompt, and compares what it wrote.
  static void expectCodes(const std::vector<KeyPress>& presses, const std::vector<std::string>& serverOptions = {}) {
    const std::string output = testing::TempDir() + "keycodes-tmux-" + std::to_string(getpid());
    const TmuxSession session = startTmux(keycodes + " > " + output + "; sleep 5", serverOptions);
    const EndOnExit ended([&session, &output] {
      stopTmux(session);
      std::remove(output.c_str());
    });
    ASSERT_TRUE(waitForFileEnding(output, ruleLine + "\n", milliseconds(5000)));
    ASSERT_TRUE(waitForPaneRawMode(session, milliseconds(5000)));
    std::vector<std::string> keys;
    std::vector<int> codes;
    for (const KeyPress& press : presses) {
      keys.push_back(press.tmuxName);
      codes.insert(codes.end(), press.codes.begin(), press.codes.end());
    }
    pressKeys(session, keys);
    EXPECT_TRUE(waitForFileEnding(output, closingPrompt, milliseconds(5000)));
    pressKeys(session, {"q"});
    const std::string written = fileContents(output);
    const std::string expected = expectedGreeting() + expectedRows(codes) + closingPrompt;
    EXPECT_EQ(written, expected) << "got:      " << visibleBytes(written) << "\nexpected: " << visibleBytes(expected);
  }
};

TEST_F(TmuxKeys, GiveTheCodesOfTheWindowsConsole) {
  expectCodes({
      {"F1", {0, 59}},
      {"S-F1", {0, 84}},
      {"C-F1", {0, 94}},
      {"M-F1", {0, 104}},
      {"F12", {224, 134}},
      {"Up", {224, 72}},
      {"C-Up", {224, 141}},
      {"M-Up", {0, 152}},
      {"Home", {224, 71}},
      {"DC", {224, 83}},
      {"BTab", {0, 15}},
      {"M-1", {0, 120}},
      {"C-c", {3}},
      {"C-z", {26}},
      {"Enter", {13}},
      {"Escape", {27}},
      {"Space", {32}},
  });
}

// tmux passes Ctrl+Tab, Ctrl+Enter and the like on with extended-keys on,
// and then only to a program that sets modifyOtherKeys, as the tool does.
// Alt+D gives 0 and 32, and its 32 ends the table.
TEST_F(TmuxKeys, WithExtendedKeysGiveModifiedKeysTheirCodes) {
  expectCodes({{"C-Tab", {0, 148}}, {"C-Enter", {10}}, {"M-a", {0, 30}}, {"C-S-a", {1}}, {"M-d", {0, 32}}},
              {"extended-keys on"});
}

// On the pane, in a UTF-8 locale, every row lines up and its character cell
// shows the glyph of the row's code.
TEST_F(TmuxKeys, EveryRowOnTheScreenShowsTheGlyphOfItsCode) {
  const TmuxSession session = startTmux("env LC_ALL=C.UTF-8 " + keycodes + "; sleep 5");
  const EndOnExit ended([&session] { stopTmux(session); });
  ASSERT_TRUE(waitForPaneText(session, ruleLine, milliseconds(5000))) << capturePane(session);
  ASSERT_TRUE(waitForPaneRawMode(session, milliseconds(5000)));
  // Backspace sends DEL, which reads as 8; ä gives the codes of its two bytes.
  pressKeys(session, {"Enter", "Tab", "BSpace", "C-a", "F1", "Up", "\xc3\xa4", "Escape", "Space"});
  ASSERT_TRUE(waitForPaneText(session, closingPrompt, milliseconds(5000))) << capturePane(session);
  const std::string screen = capturePane(session);
  pressKeys(session, {"q"});
  const std::pair<const char*, int> glyphs[] = {
      {"♪", 13},  {"○", 9},  {"◘", 8},   {"☺", 1},   {" ", 0},  {";", 59},
      {"α", 224}, {"H", 72}, {"├", 195}, {"ñ", 164}, {"←", 27}, {" ", 32},
  };
  // The row as a file gets it, with the glyph in place of the raw byte and
  // the blanks at its end dropped, as the pane shows it.
  std::string rows;
  for (const auto& [glyph, code] : glyphs) {
    std::string row = "      " + std::string(glyph) + expectedRow(code).substr(7);
    rows += row.erase(row.find_last_not_of(" \n") + 1) + "\n";
  }
  const std::size_t start = screen.find(ruleLine + "\n");
  ASSERT_NE(start, std::string::npos) << screen;
  EXPECT_EQ(screen.substr(start + ruleLine.size() + 1, rows.size()), rows) << screen;
}

}  // namespace
