// Keys pressed in a real terminal (tmux) give the codes a Windows console
// user sees for the same keys.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "tmuxSession.hpp"
#include "transcript.hpp"

namespace {

using std::chrono::milliseconds;

const std::string keycodes = KEYCODES_BINARY;
const std::string ruleLine = std::string(55, '-') + "\n";

struct KeyPress {
  std::string tmuxName;
  std::vector<int> codes;
};

std::string scratchFile(const std::string& name) {
  return testing::TempDir() + "keycodes-" + std::to_string(getpid()) + "-" + name;
}

// Runs the tool in tmux with its output going to a file, presses the keys,
// then one more key at the closing prompt, and returns what it wrote.
std::string outputForKeys(const std::vector<KeyPress>& presses, const std::string& name,
                          const std::vector<std::string>& serverOptions = {}) {
  const std::string output = scratchFile(name);
  const TmuxSession session = startTmux(keycodes + " > " + output + "; sleep 5", serverOptions);
  const EndOnExit ended([&session] { stopTmux(session); });
  EXPECT_TRUE(waitForFileEnding(output, ruleLine, milliseconds(5000)));
  EXPECT_TRUE(waitForPaneRawMode(session, milliseconds(5000)));
  for (const KeyPress& press : presses) {
    pressKey(session, press.tmuxName);
  }
  EXPECT_TRUE(waitForFileEnding(output, closingPrompt, milliseconds(5000)));
  pressKey(session, "q");
  const std::string written = readWholeFile(output);
  std::remove(output.c_str());
  return written;
}

std::string expectedOutput(const std::vector<KeyPress>& presses) {
  std::vector<int> codes;
  for (const KeyPress& press : presses) {
    codes.insert(codes.end(), press.codes.begin(), press.codes.end());
  }
  return expectedGreeting() + expectedRows(codes) + closingPrompt;
}

class TmuxKeys : public testing::Test {
 protected:
  void SetUp() override {
    if (!tmuxAvailable()) {
      GTEST_SKIP() << "tmux is not installed (apt-get install tmux)";
    }
  }
};

TEST_F(TmuxKeys, GiveTheCodesOfTheWindowsConsole) {
  const std::vector<KeyPress> presses = {
      {"F1", {0, 59}},   {"S-F1", {0, 84}},    {"C-F1", {0, 94}},  {"M-F1", {0, 104}},  {"F12", {224, 134}},
      {"Up", {224, 72}}, {"C-Up", {224, 141}}, {"M-Up", {0, 152}}, {"Home", {224, 71}}, {"DC", {224, 83}},
      {"BTab", {0, 15}}, {"M-1", {0, 120}},    {"C-c", {3}},       {"C-z", {26}},       {"Enter", {13}},
      {"Escape", {27}},  {"Space", {32}},
  };
  const std::string written = outputForKeys(presses, "keys");
  const std::string expected = expectedOutput(presses);
  EXPECT_EQ(written, expected) << "got:      " << visibleBytes(written) << "\nexpected: " << visibleBytes(expected);
}

// tmux passes Ctrl+Tab, Ctrl+Enter and the like on with extended-keys on,
// and then only to a program that sets modifyOtherKeys, as the tool does.
TEST_F(TmuxKeys, WithExtendedKeysGiveModifiedKeysTheirCodes) {
  const std::vector<KeyPress> presses = {
      {"C-Tab", {0, 148}}, {"C-Enter", {10}}, {"BTab", {0, 15}}, {"M-a", {0, 30}}, {"C-S-a", {1}}, {"Space", {32}},
  };
  const std::string written = outputForKeys(presses, "extended-keys", {"extended-keys on"});
  const std::string expected = expectedOutput(presses);
  EXPECT_EQ(written, expected) << "got:      " << visibleBytes(written) << "\nexpected: " << visibleBytes(expected);
}

TEST_F(TmuxKeys, AltDEndsTheTableWithItsSecondCodeThirtyTwo) {
  const std::vector<KeyPress> presses = {{"a", {97}}, {"M-d", {0, 32}}};
  const std::string written = outputForKeys(presses, "alt-d");
  const std::string expected = expectedOutput(presses);
  EXPECT_EQ(written, expected) << "got:      " << visibleBytes(written) << "\nexpected: " << visibleBytes(expected);
}

}  // namespace
