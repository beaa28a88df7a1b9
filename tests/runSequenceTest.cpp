// The built tool on a pseudo-terminal: keys in as bytes, the screen text out,
// compared byte for byte.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "fakeTerminal.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "ptyHarness.hpp"
#include "table/characterCell.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

const std::string keycodes = KEYCODES_BINARY;

struct Session {
  std::string output;
  int exitStatus = -1;
  bool settingsRestored = false;
  std::string settingsAfter;
};

// Starts the tool, waits for the rule line, presses `keys`, reads the table
// up to the closing prompt, presses one more key and waits for the end.
Session runWithKeys(const std::string& keys, const std::string& finalKey = "x", const PtyOptions& options = {}) {
  Session session;
  const struct termios before = freshTerminalSettings();
  PtyProcess process = startInPty(keycodes, options);
  const EndOnExit ended([&process] { closePty(process); });
  // Opening its terminal after the rule line, the tool asks what the
  // keyboard can report; this terminal answers only the device attributes,
  // as a legacy one does.
  EXPECT_TRUE(answerKeyboardQuery(process, session.output, KeyboardAnswer::deviceAttributes))
      << visibleBytes(session.output);
  EXPECT_TRUE(waitForRawMode(process)) << describeSettings(currentSettings(process));
  sendBytes(process, keys);
  session.output += readUntil(process, closingPrompt);
  sendBytes(process, finalKey);
  session.exitStatus = waitForExit(process);
  session.output += readAvailable(process, std::chrono::milliseconds(50));
  const struct termios after = currentSettings(process);
  session.settingsRestored = sameSettings(before, after);
  session.settingsAfter = describeSettings(after) + " before: " + describeSettings(before);
  return session;
}

std::string expectedScreen(const std::vector<int>& codes) {
  return asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) + rowsOnTerminal(codes) +
         closingPrompt;
}

void expectScreen(const Session& session, const std::vector<int>& codes) {
  const std::string expected = expectedScreen(codes);
  EXPECT_EQ(session.output, expected) << "got:      " << visibleBytes(session.output)
                                      << "\nexpected: " << visibleBytes(expected);
  ASSERT_TRUE(WIFEXITED(session.exitStatus)) << "wait status " << session.exitStatus;
  EXPECT_EQ(WEXITSTATUS(session.exitStatus), 0);
  EXPECT_TRUE(session.settingsRestored) << session.settingsAfter;
}

TEST(RunSequence, SpaceAsTheFirstKeyEndsTheTableAfterItsRow) { expectScreen(runWithKeys(" "), {32}); }

TEST(RunSequence, EachKeyGetsItsRowUntilTheSpace) { expectScreen(runWithKeys("aA "), {97, 65, 32}); }

TEST(RunSequence, NothingAfterTheSpaceBecomesARow) {
  // Keys typed ahead past the space are not table rows; the first of them
  // answers the closing prompt.
  expectScreen(runWithKeys("b cd", ""), {98, 32});
}

TEST(RunSequence, ControlBytesAreShownInCaretNotationOnATerminal) {
  // Written raw, CR would move the cursor to the start of the line and LF
  // split the row; on a terminal they show as ^M and ^J instead.
  expectScreen(runWithKeys("\r\n\x08 "), {13, 10, 8, 32});
}

TEST(RunSequence, BytesAboveOneTwentySevenGiveTheirOwnCodes) {
  expectScreen(runWithKeys("\x84\xe0\xff "), {132, 224, 255, 32});
}

TEST(RunSequence, SignalKeysAreOrdinaryKeys) {
  // Ctrl+C, Ctrl+Z, Ctrl+\, Ctrl+S and Ctrl+Q neither stop the tool nor
  // hold its output.
  expectScreen(runWithKeys("\x03\x1a\x1c\x13\x11 "), {3, 26, 28, 19, 17, 32});
}

TEST(RunSequence, RedirectedOutputKeepsTheRawBytesInAUtf8Locale) {
  // Standard output is a file, the keys still come from the terminal: the
  // file gets the bytes themselves, whatever the locale.
  const std::string outputFile = testing::TempDir() + "keycodes-raw-" + std::to_string(getpid()) + ".txt";
  PtyOptions options;
  options.standardOutputFile = outputFile;
  options.environment = {"LC_ALL=C.UTF-8"};
  PtyProcess process = startInPty(keycodes, options);
  std::string screen;
  EXPECT_TRUE(answerKeyboardQuery(process, screen, KeyboardAnswer::deviceAttributes)) << visibleBytes(screen);
  EXPECT_EQ(screen, keyboardProtocolQuery) << visibleBytes(screen);
  EXPECT_TRUE(waitForRawMode(process)) << describeSettings(currentSettings(process));
  // Enter, Tab, Ctrl+A, Backspace (DEL), the byte 0xE4, Up, space.
  sendBytes(process, "\r\t\x01\x7f\xe4\x1b[A ");
  const std::string expected = expectedGreeting() + expectedRows({13, 9, 1, 8, 228, 224, 72, 32}) + closingPrompt;
  std::string written;
  for (int wait = 0; wait < 500 && !written.ends_with(closingPrompt); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    written = fileContents(outputFile);
  }
  sendBytes(process, "x");
  const int status = waitForExit(process);
  closePty(process);
  std::remove(outputFile.c_str());
  EXPECT_EQ(written, expected) << "got:      " << visibleBytes(written) << "\nexpected: " << visibleBytes(expected);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(RunSequence, EveryTableLineIsFiftyFiveColumnsWide) {
  Session session = runWithKeys("a0~ ");
  const std::size_t query = session.output.find(keyboardProtocolQuery);
  ASSERT_NE(query, std::string::npos) << visibleBytes(session.output);
  session.output.erase(query, keyboardProtocolQuery.size());
  std::size_t start = session.output.find("   Zeichen");
  ASSERT_NE(start, std::string::npos) << visibleBytes(session.output);
  int lines = 0;
  for (std::size_t end = session.output.find("\r\n", start); end != std::string::npos;
       start = end + 2, end = session.output.find("\r\n", start)) {
    EXPECT_EQ(end - start, 55U) << visibleBytes(session.output.substr(start, end - start));
    ++lines;
  }
  EXPECT_EQ(lines, 6) << "header, rule and four rows";
}

// ------------------------------------------------------------ --explain

// a, F1, Ctrl+Up, ä and the space in one burst, so their rows are written
// together: each annotation must still end its own row's line.
const std::string explainedKeys = "a\x1bOP\x1b[1;5A\xc3\xa4 ";
const std::vector<int> explainedCodes = {97, 0, 59, 224, 141, 0xC3, 0xA4, 32};

// The screen of the explained keys in a UTF-8 locale, each row followed by
// its annotation. The character cell is the tool's PC glyph, one column
// wide, centred as any one-column text.
std::string explainedScreen(const std::vector<std::string>& annotations) {
  std::string rows;
  for (std::size_t index = 0; index < explainedCodes.size(); ++index) {
    const int code = explainedCodes[index];
    const std::string cell =
        std::string(6, ' ') + characterCell(code, CellRendering::pcGlyphs).text + std::string(6, ' ');
    std::string row = expectedRow(code);
    row.replace(0, 13, cell);
    row.insert(row.size() - 1, annotations[index]);
    rows += row;
  }
  return asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) + asTerminalShowsIt(rows) +
         closingPrompt;
}

void expectExplainedScreen(const Session& session, const std::vector<std::string>& annotations) {
  const std::string expected = explainedScreen(annotations);
  EXPECT_EQ(session.output, expected) << "got:      " << visibleBytes(session.output)
                                      << "\nexpected: " << visibleBytes(expected);
  EXPECT_TRUE(session.settingsRestored) << session.settingsAfter;
}

TEST(Explain, AnnotatesTheFirstRowOfEachKeyWithItsNameAndBytes) {
  PtyOptions options;
  options.arguments = {"--explain"};
  options.environment = {"LC_ALL=C.UTF-8"};
  // The rows of the later codes of a key stand unannotated.
  expectExplainedScreen(runWithKeys(explainedKeys, "x", options),
                        {R"(  A  "a")", R"(  F1  "\eOP")", "", R"(  Ctrl+Up  "\e[1;5A")", "", R"(  ä  "\xc3\xa4")", "",
                         R"(  Space  " ")"});
}

TEST(Explain, WithoutTheOptionTheSameKeysGiveTheTableAsBefore) {
  PtyOptions options;
  options.environment = {"LC_ALL=C.UTF-8"};
  expectExplainedScreen(runWithKeys(explainedKeys, "x", options), std::vector<std::string>(explainedCodes.size()));
}

// ------------------------------------------------------- row flushing

using std::chrono::milliseconds;

// Starts `program` with `options` and answers the keyboard query; the
// opening read so far is in `output`.
PtyProcess startAndAnswer(const std::string& program, const PtyOptions& options, std::string& output) {
  PtyProcess process = startInPty(program, options);
  answerKeyboardQuery(process, output, KeyboardAnswer::deviceAttributes);
  return process;
}

// Presses space and the final key and waits for the tool to end.
void finish(PtyProcess& process) {
  sendBytes(process, " ");
  readUntil(process, closingPrompt);
  sendBytes(process, "x");
  const int status = waitForExit(process, milliseconds(10'000));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(RowFlushing, ASingleKeyShowsItsRowsBeforeTheToolWaitsForTheNext) {
  struct KeyRows {
    std::string bytes;
    std::vector<int> codes;
  };
  // A letter, and Up, whose second code is held for the next read.
  const KeyRows keys[] = {{"q", {'q'}}, {"\x1b[A", {224, 72}}};
  std::string output;
  PtyProcess process = startAndAnswer(keycodes, {}, output);
  for (const KeyRows& key : keys) {
    sendBytes(process, key.bytes);
    const std::string rows = rowsOnTerminal(key.codes);
    const std::string shown = readUntil(process, rows, milliseconds(3000));
    EXPECT_EQ(shown, rows) << "no further key was pressed; got " << visibleBytes(shown);
  }
  finish(process);
  closePty(process);
}

// The path of `name` in one of the PATH directories, or empty.
std::string programOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string directories = path != nullptr ? path : "";
  for (std::size_t start = 0; start <= directories.size();) {
    const std::size_t end = std::min(directories.find(':', start), directories.size());
    const std::string candidate = directories.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

TEST(RowFlushing, ABurstInOneReadIsWrittenInFewerWritesThanRows) {
  const std::string strace = programOnPath("strace");
  if (strace.empty()) {
    GTEST_SKIP() << "strace is not installed";
  }
  const std::string trace = testing::TempDir() + "keycodes-writes." + std::to_string(getpid());
  PtyOptions options;
  options.arguments = {"-f", "-e", "trace=write", "-o", trace, keycodes};
  // LeakSanitizer cannot run under a tracer; the other sanitizers can.
  options.environment = {"ASAN_OPTIONS=detect_leaks=0"};
  std::string output;
  PtyProcess process = startAndAnswer(strace, options, output);
  if (output.find(deviceAttributesRequest) == std::string::npos && output.find("strace:") != std::string::npos) {
    closePty(process);
    GTEST_SKIP() << "strace cannot trace here: " << visibleBytes(output);
  }
  ASSERT_TRUE(waitForRawMode(process)) << visibleBytes(output);
  constexpr int burstRows = 200;
  // One write, so the tool's one read takes all the keys.
  sendBytes(process, std::string(burstRows, 'k'));
  const std::string rows = asTerminalShowsIt(expectedRows(std::vector<int>(burstRows, 'k')));
  const std::string shown = readUntil(process, rows, milliseconds(10'000));
  EXPECT_TRUE(shown.ends_with(rows)) << visibleBytes(shown.substr(0, 200));
  finish(process);
  closePty(process);

  std::ifstream traceFile(trace);
  const std::string traced{std::istreambuf_iterator<char>(traceFile), std::istreambuf_iterator<char>()};
  std::remove(trace.c_str());
  // Standard output is descriptor 1: the greeting's four lines, the rows and
  // the prompt; the keyboard query goes to the terminal's own descriptor.
  const int writes = countOf(traced, "write(1, ");
  EXPECT_GT(writes, 0) << traced.substr(0, 2000);
  EXPECT_LT(writes, burstRows / 4) << writes << " writes for " << burstRows << " rows:\n" << traced.substr(0, 2000);
}

}  // namespace
