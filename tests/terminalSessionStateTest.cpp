// The terminal session's states driven through its system calls, with no
// terminal: each change is made once and undone once, whatever order the
// job-control signals come in.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/terminalSession.hpp"

namespace {

constexpr int terminalDescriptor = 7;

// A terminal that writes down what is done to it: "raw" and "saved" for the
// settings applied, and the bytes written ("push", "pop").
class FakeTerminal final : public TerminalCalls {
 public:
  bool settingsFail = false;
  bool inFront = true;
  std::string transcript;
  // For each settings change, whether SIGTTOU was held back at the time.
  std::vector<bool> ttouHeld;

  int openTerminal() override { return terminalDescriptor; }
  void closeTerminal(int /*descriptor*/) override {}
  int getSettings(int /*descriptor*/, struct termios& settings) override {
    settings = {};
    settings.c_lflag = ICANON | ECHO;
    return 0;
  }
  int setSettings(int /*descriptor*/, const struct termios& settings) override {
    sigset_t blocked;
    sigprocmask(SIG_BLOCK, nullptr, &blocked);
    ttouHeld.push_back(sigismember(&blocked, SIGTTOU) == 1);
    if (settingsFail) {
      return -1;
    }
    transcript += (settings.c_lflag & ICANON) != 0 ? "saved " : "raw ";
    return 0;
  }
  ssize_t writeBytes(int /*descriptor*/, const char* bytes, std::size_t count) override {
    transcript += std::string(bytes, count) + " ";
    return static_cast<ssize_t>(count);
  }
  bool inForeground(int /*descriptor*/) override { return inFront; }
};

// What happens while the process is stopped: nothing when the kernel
// discards the stop, or a continue (the SIGCONT handler) in front or behind.
enum class WhileStopped : std::uint8_t { discarded, continuedInFront, continuedBehind };

struct StoppedProcess {
  TerminalSession* session = nullptr;
  FakeTerminal* terminal = nullptr;
  WhileStopped what = WhileStopped::discarded;
};
StoppedProcess stopped;

void fakeStop(int /*signalNumber*/) {
  if (stopped.what != WhileStopped::discarded) {
    stopped.terminal->inFront = stopped.what == WhileStopped::continuedInFront;
    stopped.session->resume();
  }
}

enum class Step : std::uint8_t {
  enter,
  stopDiscarded,
  stopContinuedInFront,
  stopContinuedBehind,
  continueInFront,
  continueBehind,
  end,
  takeUpAgainInFront,
  takeUpAgainBehind,
};

struct StepAndEffect {
  Step step;
  std::string effect;  // what the step does to the terminal
};

struct SessionCase {
  const char* name;
  std::vector<StepAndEffect> steps;
};

void PrintTo(const SessionCase& sessionCase, std::ostream* stream) { *stream << sessionCase.name; }

void run(TerminalSession& session, FakeTerminal& terminal, Step step) {
  stopped = {&session, &terminal, WhileStopped::discarded};
  switch (step) {
    case Step::enter:
      session.enterRawMode();
      return;
    case Step::stopDiscarded:
    case Step::stopContinuedInFront:
    case Step::stopContinuedBehind:
      stopped.what = step == Step::stopDiscarded          ? WhileStopped::discarded
                     : step == Step::stopContinuedInFront ? WhileStopped::continuedInFront
                                                          : WhileStopped::continuedBehind;
      session.stop(fakeStop, SIGTSTP);
      return;
    case Step::continueInFront:
    case Step::continueBehind:
      terminal.inFront = step == Step::continueInFront;
      session.resume();
      return;
    case Step::end:
      session.end();
      return;
    case Step::takeUpAgainInFront:
    case Step::takeUpAgainBehind:
      terminal.inFront = step == Step::takeUpAgainInFront;
      session.takeUpAgain();
      return;
  }
}

class SessionSteps : public testing::TestWithParam<SessionCase> {};

// As the tool runs: raw mode, then the keyboard mode chosen and pushed.
TEST_P(SessionSteps, ChangeTheTerminalOnceAndUndoItOnce) {
  FakeTerminal terminal;
  TerminalSession session(terminal);
  ASSERT_TRUE(session.begin());
  session.enterRawMode();
  session.useKeyboardMode("push", "pop");
  ASSERT_EQ(terminal.transcript, "raw push ");
  for (const StepAndEffect& step : GetParam().steps) {
    terminal.transcript.clear();
    run(session, terminal, step.step);
    EXPECT_EQ(terminal.transcript, step.effect) << "step " << static_cast<int>(step.step);
  }
  EXPECT_FALSE(session.isRaw());
  EXPECT_FALSE(session.keyboardModeOn());
}

INSTANTIATE_TEST_SUITE_P(
    JobControl, SessionSteps,
    testing::Values(
        SessionCase{"EnterTwiceEndTwice", {{Step::enter, ""}, {Step::end, "saved pop "}, {Step::end, ""}}},
        SessionCase{"StopAndContinueInFront",
                    {{Step::stopContinuedInFront, "saved pop raw push "}, {Step::end, "saved pop "}}},
        SessionCase{"TwoStops",
                    {{Step::stopContinuedInFront, "saved pop raw push "},
                     {Step::stopContinuedInFront, "saved pop raw push "},
                     {Step::end, "saved pop "}}},
        // An orphaned process group: the stop is discarded, no SIGCONT comes.
        SessionCase{"StopDiscarded", {{Step::stopDiscarded, "saved pop raw push "}, {Step::end, "saved pop "}}},
        // bg: continued behind, then stopped by SIGTTIN at the next read,
        // then fg.
        SessionCase{"StopThenBackgroundThenFront",
                    {{Step::stopContinuedBehind, "saved pop "},
                     {Step::continueBehind, ""},
                     {Step::stopContinuedInFront, "raw push "},
                     {Step::end, "saved pop "}}},
        // SIGSTOP cannot be caught: the shell may have changed the settings
        // meanwhile, the keyboard mode is still on.
        SessionCase{"ContinueWithoutAStopSeen", {{Step::continueInFront, "raw "}, {Step::end, "saved pop "}}},
        SessionCase{"ContinueBehindWhileRaw", {{Step::continueBehind, ""}, {Step::end, "saved pop "}}},
        SessionCase{"NothingAfterTheEnd",
                    {{Step::end, "saved pop "},
                     {Step::continueInFront, ""},
                     {Step::stopContinuedInFront, ""},
                     {Step::enter, ""}}},
        // A program hands the terminal back and reads again: raw mode and the
        // keyboard mode come back, and the next end undoes them again.
        SessionCase{"HandedBackAndTakenUpAgain",
                    {{Step::end, "saved pop "},
                     {Step::takeUpAgainInFront, "raw push "},
                     {Step::takeUpAgainInFront, ""},
                     {Step::stopContinuedInFront, "saved pop raw push "},
                     {Step::end, "saved pop "}}},
        // Taken up again from the background: nothing changes until the
        // process is continued in front.
        SessionCase{"TakenUpAgainBehind",
                    {{Step::end, "saved pop "},
                     {Step::takeUpAgainBehind, ""},
                     {Step::continueBehind, ""},
                     {Step::continueInFront, "raw push "},
                     {Step::end, "saved pop "}}},
        SessionCase{"TakingUpWhileHeldChangesNothing", {{Step::takeUpAgainInFront, ""}, {Step::end, "saved pop "}}}),
    [](const testing::TestParamInfo<SessionCase>& info) { return std::string(info.param.name); });

TEST(SessionSettings, RawModeLetsSigttouStopTheProcessAndRestoresHoldItBack) {
  FakeTerminal terminal;
  TerminalSession session(terminal);
  ASSERT_TRUE(session.begin());
  session.enterRawMode();
  session.stop(fakeStop, SIGTSTP);  // discarded: restore, then raw again
  session.end();
  EXPECT_EQ(terminal.transcript, "raw saved raw saved ");
  // Entering from the main flow lets the kernel stop a background process;
  // raw mode taken up again after a stop is only done in front.
  EXPECT_EQ(terminal.ttouHeld, (std::vector<bool>{false, true, true, true}));
}

TEST(SessionSettings, NothingIsTakenUpBeforeTheSessionBegins) {
  FakeTerminal terminal;
  TerminalSession session(terminal);
  session.takeUpAgain();
  EXPECT_FALSE(session.isActive());
  EXPECT_EQ(terminal.transcript, "");
  EXPECT_TRUE(terminal.ttouHeld.empty()) << "no settings were tried";
}

TEST(SessionSettings, RefusedSettingsLeaveTheSessionCookedWithNothingToUndo) {
  FakeTerminal terminal;
  terminal.settingsFail = true;
  TerminalSession session(terminal);
  ASSERT_TRUE(session.begin());
  session.enterRawMode();
  session.useKeyboardMode("push", "pop");
  EXPECT_FALSE(session.isRaw());
  session.end();
  EXPECT_EQ(terminal.transcript, "");
  EXPECT_EQ(terminal.ttouHeld.size(), 1U) << "only the refused raw mode was tried";
}

}  // namespace
