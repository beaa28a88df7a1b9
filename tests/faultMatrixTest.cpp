// The tool under faults around it: its terminal hung up, no terminal at all,
// a burst of keys. Nothing typed is lost, the
// tool ends, and the terminal comes back as it was.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "faultHelpers.hpp"
#include "keyBurst.hpp"
#include "transcript.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int noKey = -1;

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// A fresh path in the test's temporary directory.
std::filesystem::path temporaryPath(const std::string& name) {
  std::filesystem::path path = std::filesystem::path(testing::TempDir()) / (name + "." + std::to_string(getpid()));
  std::filesystem::remove(path);
  return path;
}

// ------------------------------------------------------------ hang-up

// Presses `key`, and once its row is shown hangs the terminal up; returns
// the wait status of `process` and checks that it ended within a second.
int hangUpAfterTheRowOf(PtyProcess& process, std::string& output, char key) {
  sendBytes(process, std::string(1, key));
  output += readUntil(process, rowOnTerminal(key), promptWait());
  EXPECT_TRUE(output.ends_with(rowOnTerminal(key))) << visibleBytes(output);
  const auto hungUp = Clock::now();
  close(process.master);
  process.master = -1;
  const int status = waitForExit(process, scaled(milliseconds(5000)));
  EXPECT_LT(millisecondsSince(hungUp), scaled(milliseconds(1000)).count()) << "wait status " << status;
  return status;
}

TEST(HangUp, WhileTheToolWaitsItEndsWithinASecond) {
  PtyOptions options;
  options.holdTerminal = false;
  std::string output;
  PtyProcess process = startTool(output, KeyboardAnswer::deviceAttributes, options);
  const EndOnExit ended([&process] { closePty(process); });
  const int status = hangUpAfterTheRowOf(process, output, 'a');
  // The tool leads the terminal's session, so the kernel sends it SIGHUP:
  // it restores and dies by it. Reading a hung-up terminal instead ends
  // with -1, and the row of -1 cannot be written to the terminal that is
  // gone: status 1. Both are fine, anything else is not.
  const bool diedByHangUp = WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP;
  const bool writeFailed = WIFEXITED(status) && WEXITSTATUS(status) == 1;
  EXPECT_TRUE(diedByHangUp || writeFailed) << "wait status " << status;
}

TEST(HangUp, UnderAShellTheReadGivesMinusOneAndTheWriteOfItsRowFails) {
  // The shell leads the session and ignores SIGHUP; the tool gets no
  // signal, only a terminal that reads as ended, and its row of -1 finds
  // no terminal to go to: a failed write, status 1.
  const std::filesystem::path statusFile = temporaryPath("hangup-status");
  const std::filesystem::path pidFile = temporaryPath("hangup-pid");
  PtyOptions options;
  options.holdTerminal = false;
  options.arguments = {"-c", "trap '' HUP; \"$0\" & echo $! > \"$2\"; wait $!; echo $? > \"$1\"", keycodes,
                       statusFile.string(), pidFile.string()};
  std::string output;
  PtyProcess shell = startTool(output, KeyboardAnswer::deviceAttributes, options, "/bin/sh");
  const EndOnExit ended([&shell, &statusFile, &pidFile] {
    closePty(shell);
    // Should the tool not have ended, it is not left running.
    if (const pid_t tool = std::atoi(fileContents(pidFile).c_str()); tool > 1 && processState(tool) != '?') {
      kill(tool, SIGKILL);
    }
    std::filesystem::remove(statusFile);
    std::filesystem::remove(pidFile);
  });
  const int status = hangUpAfterTheRowOf(shell, output, 'b');
  EXPECT_TRUE(WIFEXITED(status)) << "shell wait status " << status;
  EXPECT_EQ(fileContents(statusFile), "1\n") << "the tool's exit status as the shell saw it";
}

// ------------------------------------------------------- no terminal

TEST(NoTerminal, WritesTheMinusOneRowSaysWhyAndEndsAtOnceWithStatusOne) {
  // In a session of its own with no controlling terminal, standard input
  // from /dev/null, standard output and error into one pipe.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing < 0 || dup2(nothing, STDIN_FILENO) < 0 || dup2(pipeEnds[1], STDOUT_FILENO) < 0 ||
        dup2(pipeEnds[1], STDERR_FILENO) < 0) {
      _exit(126);
    }
    close(pipeEnds[0]);
    execl(keycodes.c_str(), keycodes.c_str(), nullptr);
    _exit(127);
  }
  close(pipeEnds[1]);
  // A tool that never ends, or writes rows without end, is cut off.
  constexpr std::size_t outputLimit = 1 << 20;
  const auto deadline = start + scaled(milliseconds(5000));
  std::string output;
  char buffer[4096];
  for (pollfd poller{pipeEnds[0], POLLIN, 0}; output.size() < outputLimit && Clock::now() < deadline;) {
    if (poll(&poller, 1, 10) <= 0) {
      continue;
    }
    const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
    if (count <= 0) {
      break;
    }
    output.append(buffer, static_cast<std::size_t>(count));
  }
  close(pipeEnds[0]);
  // The pipe closes as the tool ends; its exit may follow a moment later.
  PtyProcess tool{pid, -1, -1};
  const int status = waitForExit(tool, scaled(milliseconds(1000)));
  const long long elapsed = millisecondsSince(start);
  // Standard error, here in the same pipe, tells why between the row and
  // the closing prompt.
  const std::string expected =
      expectedGreeting() + expectedRow(noKey) + "keycodes: no terminal to read keys from\n" + closingPrompt;
  EXPECT_EQ(output, expected) << firstDifference(output, expected);
  EXPECT_NE(output.find("|     -1      |  ffffffff   | 37777777777 "), std::string::npos) << visibleBytes(output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "wait status " << status;
  EXPECT_LT(elapsed, scaled(milliseconds(100)).count());
}

// ------------------------------------------------------------ burst

TEST(Burst, OneHundredThousandBytesGiveEveryRowInOrder) {
  KeyBurst burst = mixedKeyBurst(100'000, 20240611);
  ASSERT_EQ(burst.bytes.find(' '), std::string::npos);
  std::string output;
  PtyProcess process = startTool(output);
  const EndOnExit ended([&process] { closePty(process); });
  // In slices, so that a tool that stops reading keys fails in seconds.
  constexpr std::size_t slice = 4096;
  for (std::size_t at = 0; at < burst.bytes.size(); at += slice) {
    ASSERT_TRUE(sendBytesWhileReading(process, std::string_view(burst.bytes).substr(at, slice), output, promptWait()))
        << "the tool stopped reading keys at byte " << at;
  }
  finishRun(process, output, " ");
  burst.codes.push_back(' ');
  const std::string expected = legacyScreen(burst.codes);
  EXPECT_EQ(output.size(), expected.size()) << burst.codes.size() << " rows expected";
  EXPECT_TRUE(output == expected) << firstDifference(output, expected);
}

}  // namespace
