// Signals reaching the tool while it waits for a key and while it writes a
// burst of rows: the terminating ones restore the terminal and kill the
// tool by the same signal; a stop and continue leave it raw and losing
// nothing. One signal stands for each way the tool handles them; which
// signals take which way is read from the kernel's view of the process.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "endOnExit.hpp"
#include "faultHelpers.hpp"
#include "keys/keyboardMode.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using std::chrono::milliseconds;

// An xterm name, so the tool switches modifyOtherKeys on and must switch it
// off again on the way out, from its signal handlers too.
const std::string xtermName = "xterm-256color";
// The tool sets modifyOtherKeys 2 on an xterm that answered level 1, and
// puts 1 back.
const std::string putBackModifyOtherKeys(restoreModifyOtherKeys(1));
// Fits the terminal's input buffer, so the keys are all in before the
// signal; its rows fill the output buffer many times over.
constexpr int burstKeys = 3000;
// Rows read before the test stops reading, so the tool is mid-burst.
constexpr int rowsBeforeSignal = 50;

// ------------------------------------------- which signals are caught

std::uint64_t bit(int signalNumber) { return std::uint64_t{1} << (signalNumber - 1); }

// A signal mask of a process as /proc shows it: SigCgt (caught) or SigIgn.
std::uint64_t signalMask(pid_t pid, std::string_view field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field)) {
      return std::stoull(line.substr(field.size() + 1), nullptr, 16);
    }
  }
  return 0;
}

// The tool catches every signal whose default action ends or stops it, the
// continue, and SIGURG, which tells it that its parent ended; it ignores
// SIGPIPE, as a failed write tells the same. The ones ignored at its start
// stay ignored, but for the faults of its own and SIGURG.
void expectSignalsCaught(pid_t pid, std::uint64_t ignoredAtStart) {
  if (underValgrind()) {
    return;  // valgrind catches every signal itself
  }
  std::uint64_t catchable = 0;
  for (int signalNumber = 1; signalNumber <= SIGRTMAX; ++signalNumber) {
    const bool realTimeGap = signalNumber > SIGSYS && signalNumber < SIGRTMIN;
    if (signalNumber != SIGKILL && signalNumber != SIGSTOP && !realTimeGap) {
      catchable |= bit(signalNumber);
    }
  }
  const std::uint64_t takenEvenIgnored =
      bit(SIGABRT) | bit(SIGBUS) | bit(SIGFPE) | bit(SIGILL) | bit(SIGSEGV) | bit(SIGSYS) | bit(SIGTRAP) | bit(SIGURG);
  const std::uint64_t staysIgnored = ignoredAtStart & ~takenEvenIgnored;
  EXPECT_EQ(signalMask(pid, "SigCgt"), catchable & ~(bit(SIGPIPE) | bit(SIGCHLD) | bit(SIGWINCH) | staysIgnored));
  EXPECT_EQ(signalMask(pid, "SigIgn"), bit(SIGPIPE) | staysIgnored);
}

// ------------------------------------------------------------- runs

// Starts the tool (or `program`, which runs it) on an xterm-named pty and
// reads until it has switched its keyboard mode on.
PtyProcess startWaitingForKeys(std::string& output, const PtyOptions& extra = {},
                               const std::string& program = keycodes) {
  PtyOptions options = extra;
  options.term = xtermName;
  PtyProcess process = startTool(output, KeyboardAnswer::modifyOtherKeysLevel1, options, program);
  readUntilShown(process, output, setModifyOtherKeys);
  return process;
}

// Presses `a` burstKeys times and reads rowsBeforeSignal rows, then stops
// reading, so that the tool soon blocks writing the next ones.
void startBurst(PtyProcess& process, std::string& output) {
  sendBytes(process, std::string(burstKeys, 'a'));
  readUntilShown(process, output, rowOnTerminal('a'), rowsBeforeSignal);
  std::this_thread::sleep_for(milliseconds(20));
}

// Sends `signalNumber` and checks that the tool restored the terminal, put
// the keyboard mode back once and died by that signal.
void expectDeathBy(PtyProcess& process, std::string& output, int signalNumber) {
  kill(process.pid, signalNumber);
  std::string after;
  const int status = waitWhileReading(process, after);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "wait status " << status;
  expectSettingsRestored(process);
  EXPECT_EQ(countOf(after, putBackModifyOtherKeys), 1)
      << "keyboard mode not switched off: " << visibleBytes(after.substr(after.size() > 200 ? after.size() - 200 : 0));
  output += after;
}

struct SignalCase {
  int signalNumber;
  bool whileWriting;
};

void PrintTo(const SignalCase& signalCase, std::ostream* stream) {
  *stream << "SIG" << sigabbrev_np(signalCase.signalNumber) << (signalCase.whileWriting ? " while writing" : "");
}

class TerminatingSignal : public testing::TestWithParam<SignalCase> {};

TEST_P(TerminatingSignal, RestoresTheTerminalAndKillsTheToolByTheSameSignal) {
  const SignalCase signalCase = GetParam();
  if (signalCase.signalNumber == SIGSEGV && underValgrind()) {
    GTEST_SKIP() << "valgrind takes the fault signals for itself";
  }
  std::string output;
  PtyOptions options;
  // The sanitizer's own fault handler off, so that the tool's runs.
  options.environment = {"ASAN_OPTIONS=handle_segv=0"};
  PtyProcess process = startWaitingForKeys(output, options);
  const EndOnExit ended([&process] { closePty(process); });
  expectSignalsCaught(process.pid, 0);
  if (signalCase.whileWriting) {
    startBurst(process, output);
  }
  expectDeathBy(process, output, signalCase.signalNumber);
  EXPECT_EQ(countOf(output, setModifyOtherKeys), 1) << "each switch on meets one switch off";
  if (signalCase.whileWriting) {
    EXPECT_LT(countOf(output, rowOnTerminal('a')), burstKeys) << "the burst was over before the signal";
  }
}

// A signal that ends the process, while the tool waits and while it writes,
// and a fault of its own. The real-time signals, SIGXFSZ (a row of the
// fault matrix) and the others that end it take the same handler.
INSTANTIATE_TEST_SUITE_P(Signals, TerminatingSignal,
                         testing::Values(SignalCase{SIGTERM, false}, SignalCase{SIGTERM, true},
                                         SignalCase{SIGSEGV, false}),
                         [](const testing::TestParamInfo<SignalCase>& info) {
                           return sigabbrev_np(info.param.signalNumber) +
                                  std::string(info.param.whileWriting ? "_writing" : "_waiting");
                         });

TEST(IgnoredSignals, StayIgnoredButAFaultStillRestoresAndEndsTheTool) {
  // As under nohup, or in the background of a shell without job control:
  // the tool must not take these signals back and die of them. A fault comes
  // back as soon as the faulting instruction runs again, so it is handled
  // even where the parent ignored it.
  const std::vector<int> ignored = {SIGHUP, SIGINT,  SIGQUIT,  SIGTERM,  SIGUSR1, SIGALRM,
                                    SIGPWR, SIGTSTP, SIGRTMIN, SIGRTMAX, SIGURG,  SIGSEGV};
  std::string script = "trap ''";
  std::uint64_t ignoredAtStart = 0;
  for (const int signalNumber : ignored) {
    script += ' ' + std::to_string(signalNumber);
    ignoredAtStart |= bit(signalNumber);
  }
  PtyOptions options;
  options.arguments = {"-c", script + "; exec \"$0\"", keycodes};
  options.environment = {"ASAN_OPTIONS=handle_segv=0"};
  std::string output;
  PtyProcess process = startWaitingForKeys(output, options, "/bin/sh");
  const EndOnExit ended([&process] { closePty(process); });
  expectSignalsCaught(process.pid, ignoredAtStart);
  for (const int signalNumber : ignored) {
    // SIGURG would say the parent ended; the fault comes last.
    if (signalNumber != SIGURG && signalNumber != SIGSEGV) {
      kill(process.pid, signalNumber);
    }
  }
  sendBytes(process, "a");
  readUntilShown(process, output, rowOnTerminal('a'));
  if (!underValgrind()) {
    expectDeathBy(process, output, SIGSEGV);
  }
}

class StopAndContinue : public testing::TestWithParam<bool> {};

TEST_P(StopAndContinue, LeaveTheToolRawAndLoseNoKey) {
  // The tool leads its own session here, so its process group is orphaned
  // and the kernel discards the stop; the handler's way back runs anyway,
  // with no continue while it waits, and a continue after it mid-burst.
  const bool whileWriting = GetParam();
  std::string output;
  PtyProcess process = startWaitingForKeys(output);
  const EndOnExit ended([&process] { closePty(process); });
  std::vector<int> codes = {'k'};
  if (whileWriting) {
    codes.assign(burstKeys, 'a');
    startBurst(process, output);
  }
  kill(process.pid, SIGTSTP);
  if (whileWriting) {
    readUntilShown(process, output, putBackModifyOtherKeys);
    kill(process.pid, SIGCONT);
  }
  // The way through the stop switched the keyboard mode off and on again.
  readUntilShown(process, output, setModifyOtherKeys, 2);
  EXPECT_TRUE(isRawMode(currentSettings(process))) << describeSettings(currentSettings(process));
  codes.push_back(' ');
  finishRun(process, output, whileWriting ? " " : "k ");
  // Between the rows, once each: the continue that follows finds it on.
  // Without those sequences the screen is whole.
  int switchedOff = 0;
  int switchedOn = 0;
  std::string screen = withoutEvery(output, putBackModifyOtherKeys, switchedOff);
  screen = withoutEvery(screen, setModifyOtherKeys, switchedOn);
  EXPECT_EQ(switchedOff, 2) << "the stop handler and the end each switch it off once";
  EXPECT_EQ(switchedOn, 2) << "raw mode was not taken up again, or the mode was pushed twice";
  const std::string expected = asTerminalShowsIt(expectedGreeting()) + std::string(keyboardAndModifyOtherKeysQuery) +
                               rowsOnTerminal(codes) + closingPrompt;
  EXPECT_TRUE(screen == expected) << firstDifference(screen, expected);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopAndContinue, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
  return std::string(info.param ? "TSTP_CONT_writing" : "TSTP_waiting");
});

}  // namespace
