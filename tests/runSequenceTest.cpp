// The built tool on a pseudo-terminal: keys in as bytes, the screen text out,
// compared byte for byte.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "captureOutput.hpp"
#include "console/keyboardProtocol.hpp"
#include "endOnExit.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

const std::string keycodes = KEYCODES_BINARY;
// A VT220's answer to the primary device attributes request.
constexpr std::string_view legacyDeviceAttributes = "\x1b[?62;1;2;6;8c";

struct Session {
  std::string output;
  int exitStatus = -1;
  bool settingsRestored = false;
  std::string settingsAfter;
};

// Starts the tool, waits for the rule line, presses `keys`, reads the table
// up to the closing prompt, presses one more key and waits for the end.
Session runWithKeys(const std::string& keys, const std::string& finalKey = "x") {
  Session session;
  const struct termios before = freshTerminalSettings();
  PtyProcess process = startInPty(keycodes);
  const EndOnExit ended([&process] { closePty(process); });
  // Opening its terminal after the rule line, the tool asks what the
  // keyboard can report; this terminal answers only the device attributes,
  // as a legacy one does.
  session.output = readUntil(process, ruleLineOnScreen + std::string(keyboardProtocolQuery));
  EXPECT_TRUE(waitForRawMode(process)) << describeSettings(currentSettings(process));
  sendBytes(process, legacyDeviceAttributes);
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
  return asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) +
         asTerminalShowsIt(expectedRows(codes)) + closingPrompt;
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

TEST(RunSequence, ControlBytesAreWrittenRawInTheCharacterCell) {
  // CR moves the cursor to the start of the line; LF goes through the same
  // translation as a line end and splits its row.
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

}  // namespace
