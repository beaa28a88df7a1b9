// The tool under faults around it: its terminal hung up, no terminal at all,
// standard input and output redirected, a burst of keys. Nothing typed is
// lost, the tool ends, and the terminal comes back as it was.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "captureOutput.hpp"
#include "endOnExit.hpp"
#include "fakeTerminal.hpp"
#include "faultHelpers.hpp"
#include "keyBurst.hpp"
#include "keys/keyboardMode.hpp"
#include "ptyHarness.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string keycodes = KEYCODES_BINARY;
constexpr int noKey = -1;

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

std::string fileText(const std::filesystem::path& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A fresh path in the test's temporary directory.
std::filesystem::path temporaryPath(const std::string& name) {
  std::filesystem::path path = std::filesystem::path(testing::TempDir()) / (name + "." + std::to_string(getpid()));
  std::filesystem::remove(path);
  return path;
}

// Starts `program` and answers the tool's question as a legacy terminal
// once it is on a raw terminal. The output read so far is in `opening`.
PtyProcess startAndAnswer(const std::string& program, const PtyOptions& options, std::string& opening) {
  PtyProcess process = startInPty(program, options);
  EXPECT_TRUE(answerKeyboardQuery(process, opening, KeyboardAnswer::deviceAttributes)) << visibleBytes(opening);
  EXPECT_TRUE(waitForRawMode(process)) << describeSettings(currentSettings(process));
  return process;
}

std::string screenOf(const std::vector<int>& codes) {
  return asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) + rowsOnTerminal(codes) +
         closingPrompt;
}

// ------------------------------------------------------------ hang-up

TEST(HangUp, WhileTheToolWaitsItEndsWithinASecond) {
  PtyOptions options;
  options.holdTerminal = false;
  std::string output;
  PtyProcess process = startAndAnswer(keycodes, options, output);
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "a");
  output += readUntil(process, rowOnTerminal('a'));
  ASSERT_TRUE(output.ends_with(rowOnTerminal('a'))) << visibleBytes(output);

  const auto hungUp = Clock::now();
  close(process.master);
  process.master = -1;
  const int status = waitForExit(process, milliseconds(5000));
  const long long elapsed = millisecondsSince(hungUp);
  std::cout << "hang-up of the tool's own session: wait status " << status << " after " << elapsed << " ms\n";
  // The tool leads the terminal's session, so the kernel sends it SIGHUP:
  // it restores and dies by it. Reading a hung-up terminal instead ends
  // with -1, and the row of -1 cannot be written to the terminal that is
  // gone: status 1. Both are fine, anything else is not.
  const bool diedByHangUp = WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP;
  const bool writeFailed = WIFEXITED(status) && WEXITSTATUS(status) == 1;
  EXPECT_TRUE(diedByHangUp || writeFailed) << "wait status " << status;
  EXPECT_LT(elapsed, scaled(milliseconds(1000)).count());
}

TEST(HangUp, UnderAShellTheReadGivesMinusOneAndTheWriteOfItsRowFails) {
  // The shell leads the session and ignores SIGHUP; the tool gets no
  // signal, only a terminal that reads as ended, and its row of -1 finds
  // no terminal to go to: a failed write, status 1.
  const std::filesystem::path statusFile = temporaryPath("hangup-status");
  PtyOptions options;
  options.holdTerminal = false;
  const std::filesystem::path pidFile = temporaryPath("hangup-pid");
  options.arguments = {"-c", "trap '' HUP; \"$0\" & echo $! > \"$2\"; wait $!; echo $? > \"$1\"", keycodes,
                       statusFile.string(), pidFile.string()};
  std::string output;
  PtyProcess shell = startAndAnswer("/bin/sh", options, output);
  const EndOnExit ended([&shell] { closePty(shell); });
  sendBytes(shell, "b");
  output += readUntil(shell, rowOnTerminal('b'));
  ASSERT_TRUE(output.ends_with(rowOnTerminal('b'))) << visibleBytes(output);

  const auto hungUp = Clock::now();
  close(shell.master);
  shell.master = -1;
  const int status = waitForExit(shell, milliseconds(5000));
  const long long elapsed = millisecondsSince(hungUp);
  const pid_t tool = std::atoi(fileText(pidFile).c_str());
  if (status == -1 && tool > 1) {
    // The tool did not end: do not leave it running.
    kill(tool, SIGKILL);
  }
  const std::string toolStatus = fileText(statusFile);
  std::cout << "hang-up under a shell: tool status \"" << visibleBytes(toolStatus) << "\" after " << elapsed << " ms\n";
  EXPECT_TRUE(WIFEXITED(status)) << "shell wait status " << status;
  EXPECT_EQ(toolStatus, "1\n") << "the tool's exit status as the shell saw it";
  EXPECT_LT(elapsed, scaled(milliseconds(1000)).count());
  std::filesystem::remove(statusFile);
  std::filesystem::remove(pidFile);
}

// ------------------------------------------------------- no terminal

constexpr std::size_t outputLimit = 1 << 20;
constexpr int pollStepMs = 10;

struct PlainRun {
  std::string output;
  int status = -1;
  long long elapsedMs = 0;
};

// Runs the tool in a session of its own with no controlling terminal,
// standard input from /dev/null, standard output and error into a pipe.
PlainRun runWithoutTerminal() {
  PlainRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return run;
  }
  std::vector<char*> argv = {const_cast<char*>(keycodes.c_str()), nullptr};
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
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  // A tool that never ends, or writes rows without end, is cut off.
  const auto deadline = start + scaled(milliseconds(5000));
  char buffer[4096];
  while (run.output.size() < outputLimit && Clock::now() < deadline) {
    pollfd poller{pipeEnds[0], POLLIN, 0};
    if (poll(&poller, 1, pollStepMs) <= 0) {
      continue;
    }
    const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
    if (count <= 0) {
      break;
    }
    run.output.append(buffer, static_cast<std::size_t>(count));
  }
  close(pipeEnds[0]);
  // The pipe closes as the tool ends; its exit may follow a moment later.
  bool ended = waitpid(pid, &run.status, WNOHANG) == pid;
  while (!ended && Clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(1));
    ended = waitpid(pid, &run.status, WNOHANG) == pid;
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &run.status, 0);
    ADD_FAILURE() << "the tool did not end: " << visibleBytes(run.output.substr(0, outputLimit / 1000));
  }
  run.elapsedMs = millisecondsSince(start);
  return run;
}

TEST(NoTerminal, WritesTheMinusOneRowSaysWhyAndEndsAtOnceWithStatusOne) {
  const PlainRun run = runWithoutTerminal();
  std::cout << "without a terminal: wait status " << run.status << " after " << run.elapsedMs << " ms\n";
  // Standard error, here in the same pipe, tells why between the row and
  // the closing prompt.
  const std::string expected =
      expectedGreeting() + expectedRow(noKey) + "keycodes: no terminal to read keys from\n" + closingPrompt;
  EXPECT_EQ(run.output, expected) << firstDifference(run.output, expected);
  EXPECT_NE(run.output.find("|     -1      |  ffffffff   | 37777777777 "), std::string::npos)
      << visibleBytes(run.output);
  ASSERT_TRUE(WIFEXITED(run.status)) << "wait status " << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 1);
  EXPECT_LT(run.elapsedMs, scaled(milliseconds(100)).count());
}

// ------------------------------------------------ redirected streams

TEST(RedirectedInput, BytesOnStandardInputAreNeverKeys) {
  const std::filesystem::path input = temporaryPath("standard-input");
  std::ofstream(input) << "aaaa bbbb";
  PtyOptions options;
  options.standardInputFile = input.string();
  const struct termios fresh = freshTerminalSettings();
  std::string output;
  PtyProcess process = startAndAnswer(keycodes, options, output);
  const EndOnExit ended([&process] { closePty(process); });
  sendBytes(process, "xy ");
  output += readUntil(process, closingPrompt);
  sendBytes(process, "q");
  const int status = waitForExit(process);
  output += readAvailable(process, milliseconds(50));
  const std::string expected = screenOf({'x', 'y', ' '});
  EXPECT_EQ(output, expected) << firstDifference(output, expected);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  EXPECT_TRUE(sameSettings(fresh, currentSettings(process))) << describeSettings(currentSettings(process));
  std::filesystem::remove(input);
}

// ------------------------------------------------------------ burst

TEST(Burst, OneHundredThousandBytesGiveEveryRowInOrder) {
  constexpr std::size_t burstSize = 100'000;
  KeyBurst burst = mixedKeyBurst(burstSize, 20240611);
  ASSERT_EQ(burst.bytes.size(), burstSize);
  ASSERT_EQ(burst.bytes.find(' '), std::string::npos);
  burst.bytes += ' ';
  burst.codes.push_back(' ');

  const struct termios fresh = freshTerminalSettings();
  std::string output;
  PtyProcess process = startAndAnswer(keycodes, {}, output);
  const EndOnExit ended([&process] { closePty(process); });
  const milliseconds generous = scaled(milliseconds(120'000));
  EXPECT_TRUE(sendBytesWhileReading(process, burst.bytes, output, generous)) << "the tool stopped reading keys";
  output += readUntil(process, closingPrompt, generous);
  sendBytes(process, "x");
  std::string after;
  const int status = waitWhileReading(process, after, milliseconds(5000));

  const std::string expected = screenOf(burst.codes);
  EXPECT_EQ(output.size(), expected.size()) << burst.codes.size() << " rows expected";
  EXPECT_TRUE(output == expected) << firstDifference(output, expected);
  EXPECT_EQ(after, "") << visibleBytes(after);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  EXPECT_TRUE(sameSettings(fresh, currentSettings(process))) << describeSettings(currentSettings(process));
}

}  // namespace
