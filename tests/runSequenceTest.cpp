// The built tool on a pseudo-terminal: keys in as bytes, the screen text out,
// compared byte for byte.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "table/characterCell.hpp"
#include "transcript.hpp"

namespace {

using std::chrono::milliseconds;

// Keys pressed in groups: the rows of each group must be on screen before
// the next is pressed, with no further key to push them out.
struct KeyGroup {
  std::string bytes;
  std::vector<int> codes;
};

// Runs the tool on a legacy terminal with `groups` pressed one after the
// other (the last one ends the table) and `finalKey` at the closing prompt;
// returns the screen.
std::string runWithKeys(const std::vector<KeyGroup>& groups, const std::string& finalKey = "x",
                        const PtyOptions& options = {}) {
  std::string output;
  PtyProcess process = startTool(output, KeyboardAnswer::deviceAttributes, options);
  const EndOnExit ended([&process] { closePty(process); });
  for (std::size_t group = 0; group + 1 < groups.size(); ++group) {
    sendBytes(process, groups[group].bytes);
    const std::string rows = rowsOnTerminal(groups[group].codes);
    const std::string shown = readUntil(process, rows, promptWait());
    EXPECT_EQ(shown, rows) << "rows of " << visibleBytes(groups[group].bytes) << " not shown at once";
    output += shown;
  }
  finishRun(process, output, groups.back().bytes, finalKey);
  return output;
}

std::string expectedScreen(const std::vector<KeyGroup>& groups) {
  std::string rows;
  for (const KeyGroup& group : groups) {
    rows += rowsOnTerminal(group.codes);
  }
  return asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) + rows + closingPrompt;
}

TEST(RunSequence, EachKeyGetsItsRowsAtOnceUntilTheSpace) {
  const std::vector<KeyGroup> groups = {
      {"q", {'q'}},
      // Up, whose second code is held for the next read.
      {"\x1b[A", {224, 72}},
      // CR and LF show as ^M and ^J instead of moving the cursor; Ctrl+C,
      // Ctrl+Z, Ctrl+\, Ctrl+S and Ctrl+Q neither stop the tool nor hold its
      // output; a late keyboard flags answer is no key. Past the space, c
      // answers the closing prompt and d is never a row.
      {"aA\r\n\x08\x84\xe0\xff\x03\x1a\x1c\x13\x11\x1b[?1ub cd",
       {97, 65, 13, 10, 8, 132, 224, 255, 3, 26, 28, 19, 17, 98, 32}},
  };
  const std::string screen = runWithKeys(groups, "");
  const std::string expected = expectedScreen(groups);
  EXPECT_EQ(screen, expected) << firstDifference(screen, expected);
}

TEST(RedirectedStreams, InputIsNeverKeysAndOutputKeepsTheRawBytesInAUtf8Locale) {
  // Standard input and output are files, the keys still come from the
  // terminal: the output file gets the bytes themselves, whatever the locale.
  const std::string files = testing::TempDir() + "keycodes-redirected-" + std::to_string(getpid());
  std::ofstream(files + ".in") << "aaaa bbbb";
  PtyOptions options;
  options.standardInputFile = files + ".in";
  options.standardOutputFile = files + ".out";
  options.environment = {"LC_ALL=C.UTF-8"};
  std::string screen;
  PtyProcess process = startTool(screen, KeyboardAnswer::deviceAttributes, options);
  const EndOnExit ended([&process, &files] {
    closePty(process);
    std::remove((files + ".in").c_str());
    std::remove((files + ".out").c_str());
  });
  EXPECT_EQ(screen, keyboardProtocolQuery) << visibleBytes(screen);
  // Enter, Tab, Ctrl+A, Backspace (DEL), the byte 0xE4, Up, space.
  sendBytes(process, "\r\t\x01\x7f\xe4\x1b[A ");
  const std::string expected = expectedGreeting() + expectedRows({13, 9, 1, 8, 228, 224, 72, 32}) + closingPrompt;
  std::string written;
  for (int wait = 0; wait < 200 && !written.ends_with(closingPrompt); ++wait) {
    std::this_thread::sleep_for(milliseconds(10));
    written = fileContents(files + ".out");
  }
  EXPECT_EQ(written, expected) << firstDifference(written, expected);
  sendBytes(process, "x");
  const int status = waitWhileReading(process, screen);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

// a, F1, Ctrl+Up, ä and the space in one burst, so their rows are written
// together: each annotation must still end its own row's line. The rows of
// the later codes of a key stand unannotated.
TEST(Explain, AnnotatesTheFirstRowOfEachKeyWithItsNameAndBytes) {
  PtyOptions options;
  options.arguments = {"--explain"};
  options.environment = {"LC_ALL=C.UTF-8"};
  const std::vector<int> codes = {97, 0, 59, 224, 141, 0xC3, 0xA4, 32};
  const std::vector<std::string> annotations = {
      R"(  A  "a")", R"(  F1  "\eOP")", "", R"(  Ctrl+Up  "\e[1;5A")", "", R"(  ä  "\xc3\xa4")", "", R"(  Space  " ")"};
  std::string rows;
  for (std::size_t index = 0; index < codes.size(); ++index) {
    // In a UTF-8 locale the character cell is the tool's PC glyph, one
    // column wide, centred as any one-column text.
    std::string row = expectedRow(codes[index]);
    row.replace(0, 13,
                std::string(6, ' ') + characterCell(codes[index], CellRendering::pcGlyphs).text + std::string(6, ' '));
    row.insert(row.size() - 1, annotations[index]);
    rows += row;
  }
  const std::string screen = runWithKeys({{"a\x1bOP\x1b[1;5A\xc3\xa4 ", codes}}, "x", options);
  const std::string expected = asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) +
                               asTerminalShowsIt(rows) + closingPrompt;
  EXPECT_EQ(screen, expected) << firstDifference(screen, expected);
}

TEST(RowFlushing, ABurstInOneReadIsWrittenInFewerWritesThanRows) {
  const std::string trace = testing::TempDir() + "keycodes-writes." + std::to_string(getpid());
  PtyOptions options;
  options.arguments = {"-c", "exec strace -f -e trace=write -o \"$0\" \"$1\"", trace, keycodes};
  // LeakSanitizer cannot run under a tracer; the other sanitizers can.
  options.environment = {"ASAN_OPTIONS=detect_leaks=0"};
  PtyProcess process = startInPty("/bin/sh", options);
  const EndOnExit ended([&process, &trace] {
    closePty(process);
    std::remove(trace.c_str());
  });
  std::string output;
  if (!answerKeyboardQuery(process, output, KeyboardAnswer::deviceAttributes)) {
    GTEST_SKIP() << "strace is not installed or cannot trace here: " << visibleBytes(output);
  }
  ASSERT_TRUE(waitForRawMode(process)) << visibleBytes(output);
  constexpr int burstRows = 200;
  // One write, so the tool's one read takes all the keys.
  finishRun(process, output, std::string(burstRows, 'k') + " ");
  EXPECT_NE(output.find(rowsOnTerminal(std::vector<int>(burstRows, 'k'))), std::string::npos)
      << visibleBytes(output.substr(0, 400));
  // Standard output is descriptor 1: the greeting's four lines, the rows and
  // the prompt; the keyboard query goes to the terminal's own descriptor.
  const std::string traced = fileContents(trace);
  const int writes = countOf(traced, "write(1, ");
  EXPECT_GT(writes, 0) << traced.substr(0, 2000);
  EXPECT_LT(writes, burstRows / 4) << writes << " writes for " << burstRows << " rows:\n" << traced.substr(0, 2000);
}

}  // namespace
