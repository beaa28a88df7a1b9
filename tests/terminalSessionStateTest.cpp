// The terminal session's states driven through its system calls, with no
// terminal: each change is made once and undone once, whatever order the
// job-control signals come in.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "console/keyboardNegotiation.hpp"
#include "console/terminalSession.hpp"
#include "keys/keyboardMode.hpp"
#include "streamReads.hpp"

namespace {

constexpr int terminalDescriptor = 7;

// A terminal that writes down what is done to it: "raw" and "saved" for the
// settings applied, the bytes written ("push", "pop"), "flush" for input
// thrown away and "probe" for a read of nothing. Its clock moves only while
// the session waits.
class FakeTerminal final : public TerminalCalls {
 public:
  FakeTerminal() = default;
  // A terminal whose input is read for real: each arrival's bytes go into a
  // pipe when a wait reaches them, and once none is left it hangs up.
  explicit FakeTerminal(const std::vector<std::pair<long long, std::string>>& input) {
    if (pipe(pipeEnds) == 0) {
      for (const auto& [at, bytes] : input) {
        arrivals.push_back(at);
        arrivingBytes.push_back(bytes);
      }
    }
  }
  ~FakeTerminal() override {
    for (const int end : pipeEnds) {
      if (end >= 0) {
        close(end);
      }
    }
  }
  FakeTerminal(const FakeTerminal&) = delete;
  FakeTerminal& operator=(const FakeTerminal&) = delete;

  bool settingsFail = false;
  bool inFront = true;
  std::string transcript;
  // For each settings change, whether SIGTTOU was held back at the time.
  std::vector<bool> ttouHeld;
  long long clock = 0;
  // When input arrives, in clock time, earliest first; what has arrived
  // stays until thrown away.
  std::deque<long long> arrivals;
  // What a read of nothing gives: 0 (the process may read) or an error.
  int probeError = 0;
  // When the process stops being in front, in clock time; never when
  // negative.
  long long frontUntil = -1;
  int lookedAtForeground = 0;
  // Whether the process or its parent leads the group; not so by default,
  // so that the waits look at the foreground.
  bool leadsGroup = false;
  // Called at a read of nothing, as the kernel's stop and continue would.
  std::function<void()> whileProbing;
  // How many waits a signal interrupts before they begin, 10 ms each.
  int interruptedWaits = 0;
  // How many bytes each write takes, first to last; -1 fails with EINTR and
  // -2 with EIO. Every write takes all when none is left.
  std::deque<int> writesTake;

  int openTerminal() override { return pipeEnds[0] >= 0 ? pipeEnds[0] : terminalDescriptor; }
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
    const int takes = writesTake.empty() ? static_cast<int>(count) : writesTake.front();
    if (!writesTake.empty()) {
      writesTake.pop_front();
    }
    if (takes < 0) {
      errno = takes == -1 ? EINTR : EIO;
      return -1;
    }
    transcript += std::string(bytes, static_cast<std::size_t>(takes)) + " ";
    return takes;
  }
  bool inForeground(int /*descriptor*/) override {
    ++lookedAtForeground;
    return inFront && (frontUntil < 0 || clock < frontUntil);
  }
  int waitForInput(int /*descriptor*/, int waitMs) override {
    if (interruptedWaits > 0) {
      --interruptedWaits;
      clock += 10;
      errno = EINTR;
      return -1;
    }
    if (!arrivals.empty() && (waitMs < 0 || arrivals.front() <= clock + waitMs)) {
      clock = std::max(clock, arrivals.front());
      for (; !arrivingBytes.empty() && arrivals.front() <= clock; arrivals.pop_front(), arrivingBytes.pop_front()) {
        EXPECT_EQ(write(pipeEnds[1], arrivingBytes.front().data(), arrivingBytes.front().size()),
                  static_cast<ssize_t>(arrivingBytes.front().size()));
      }
      return 1;
    }
    if (pipeEnds[1] >= 0 && arrivals.empty()) {
      close(pipeEnds[1]);
      pipeEnds[1] = -1;
      closedAt = clock;
      return 1;
    }
    if (closedAt >= 0 && clock > closedAt + 10'000) {
      // A reader that goes on waiting long after the end would wait forever.
      ADD_FAILURE() << "still waiting for input 10 s after it ended";
      errno = EIO;
      return -1;
    }
    clock += std::max(waitMs, 0);
    return 0;
  }
  int readNothing(int /*descriptor*/) override {
    transcript += "probe ";
    if (whileProbing) {
      whileProbing();
    }
    errno = probeError;
    return probeError == 0 ? 0 : -1;
  }
  int discardInput(int /*descriptor*/) override {
    transcript += "flush ";
    while (!arrivals.empty() && arrivals.front() <= clock) {
      arrivals.pop_front();
    }
    return 0;
  }
  long long monotonicMs() override { return clock; }
  void pauseMs(int waitMs) override { clock += waitMs; }
  bool groupLedHere() override { return leadsGroup; }

 private:
  int pipeEnds[2] = {-1, -1};
  long long closedAt = -1;
  std::deque<std::string> arrivingBytes;
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

// A write cut short goes on with the rest and one interrupted is tried
// again; a write that takes nothing or fails ends the sending.
TEST(SessionSettings, SendingGoesOnAfterShortAndInterruptedWritesOnly) {
  FakeTerminal terminal;
  TerminalSession session(terminal);
  ASSERT_TRUE(session.begin());
  terminal.writesTake = {2, -1, 3};
  EXPECT_TRUE(session.send("pushed"));
  EXPECT_EQ(terminal.transcript, "pu she d ");
  for (const int stopping : {0, -2}) {
    terminal.writesTake = {1, stopping};
    EXPECT_FALSE(session.send("pop")) << stopping;
  }
  EXPECT_TRUE(terminal.writesTake.empty());
}

// A session as the tool has it while it waits for keys: raw, the keyboard
// mode pushed.
void startWaiting(TerminalSession& session, FakeTerminal& terminal) {
  ASSERT_TRUE(session.begin());
  session.enterRawMode();
  session.useKeyboardMode("push", "pop");
  ASSERT_EQ(terminal.transcript, "raw push ");
  terminal.transcript.clear();
}

class WaitingSession : public testing::Test {
 protected:
  void SetUp() override { startWaiting(session, terminal); }

  FakeTerminal terminal;
  TerminalSession session{terminal};
};

TEST_F(WaitingSession, TalksToTheTerminalOnlyRawAndInFront) {
  EXPECT_TRUE(session.ownsTerminal());
  terminal.inFront = false;
  EXPECT_FALSE(session.ownsTerminal());
  // Raw mode refused, as from an orphaned background group (EIO): no query
  // may go out, in front or not.
  FakeTerminal refusing;
  refusing.settingsFail = true;
  TerminalSession refused(refusing);
  ASSERT_TRUE(refused.begin());
  refused.enterRawMode();
  EXPECT_FALSE(refused.ownsTerminal());
}

TEST_F(WaitingSession, InFrontItReturnsTheKeysAndTheTimeOut) {
  terminal.lookedAtForeground = 0;
  terminal.arrivals = {250};
  EXPECT_EQ(session.waitForInput(-1), InputWait::ready);
  EXPECT_EQ(terminal.clock, 250);
  // A finite wait ends on time, over several looks at the foreground.
  terminal.arrivals.clear();
  EXPECT_EQ(session.waitForInput(1000), InputWait::timedOut);
  EXPECT_EQ(terminal.clock, 1250);
  EXPECT_EQ(session.waitForInput(0), InputWait::timedOut);
  EXPECT_EQ(terminal.clock, 1250);
  EXPECT_EQ(terminal.transcript, "") << "nothing changed in front";
  // A look after each foregroundCheckMs of waiting that brought no key:
  // two before the key at 250 ms, nine in the wait of 1000 ms, which its
  // tenth ends; none for the key itself.
  EXPECT_EQ(terminal.lookedAtForeground, 2 + 9);
  // A signal that interrupts a wait (a stop and continue, say) ends neither
  // the wait nor the input.
  terminal.interruptedWaits = 2;
  terminal.arrivals = {1400};
  EXPECT_EQ(session.waitForInput(-1), InputWait::ready);
  EXPECT_EQ(terminal.clock, 1400);
}

TEST(SessionWaits, LedByTheProcessOrItsParentAWaitWithoutLimitIsLeftToTheRead) {
  // The job ends only with the process or its parent, which a signal
  // tells: no look at the foreground costs a key anything.
  FakeTerminal terminal;
  terminal.leadsGroup = true;
  TerminalSession session(terminal);
  ASSERT_TRUE(session.begin());
  session.enterRawMode();
  EXPECT_EQ(session.waitForInput(-1), InputWait::ready);
  EXPECT_EQ(terminal.lookedAtForeground, 0);
  EXPECT_EQ(terminal.clock, 0);
  // Once the parent has ended, the process belongs to nobody's job: the
  // waits look again.
  terminal.arrivals = {3 * foregroundCheckMs};
  session.standAside();
  EXPECT_EQ(session.waitForInput(-1), InputWait::ready);
  EXPECT_EQ(terminal.clock, 3 * foregroundCheckMs);
  EXPECT_GE(terminal.lookedAtForeground, 1);
}

struct BehindCase {
  const char* what;
  long long frontUntil;  // -1: behind from the start
  int probeError;
  bool broughtToFront;  // the read of nothing stops it, fg continues it
  InputWait outcome;
  std::string transcript;
  long long keyAt;
  long long foundBy;  // the latest clock time the wait may end at
};

// Found behind, the session restores the terminal and lets the kernel
// decide with a read of nothing; keys typed then are the shell's.
TEST(SessionWaits, BehindTheTerminalGoesBackAndTheKernelDecides) {
  constexpr long long look = foregroundCheckMs;
  const std::vector<BehindCase> cases = {
      {"the shell took the terminal back", -1, EIO, false, InputWait::ended, "saved pop probe ", 500, look},
      {"the shell takes it back during the wait", 250, EIO, false, InputWait::ended, "saved pop probe ", 400,
       250 + look},
      {"a hung-up terminal is left to the read", -1, 0, false, InputWait::ready, "saved pop probe ", 500, look},
      {"stopped, then continued in front", -1, 0, true, InputWait::ready, "saved pop probe raw push ", look + 50,
       look + 50},
  };
  for (const BehindCase& behind : cases) {
    FakeTerminal terminal;
    TerminalSession session(terminal);
    startWaiting(session, terminal);
    terminal.inFront = behind.frontUntil >= 0;
    terminal.frontUntil = behind.frontUntil;
    terminal.arrivals = {behind.keyAt};
    terminal.probeError = behind.probeError;
    if (behind.broughtToFront) {
      terminal.whileProbing = [&terminal, &session] {
        terminal.inFront = true;
        session.resume();
      };
    }
    EXPECT_EQ(session.waitForInput(-1), behind.outcome) << behind.what;
    EXPECT_EQ(terminal.transcript, behind.transcript) << behind.what;
    EXPECT_LE(terminal.clock, behind.foundBy) << behind.what;
    EXPECT_EQ(session.isRaw(), behind.broughtToFront) << behind.what;
    EXPECT_EQ(session.keyboardModeOn(), behind.broughtToFront) << behind.what;
  }
}

TEST_F(WaitingSession, WhenTheParentEndsItRestoresAtOnceAndLooksAgainLater) {
  session.standAside();
  EXPECT_EQ(terminal.transcript, "saved pop ");
  // Still in front after the pause: raw mode and the keyboard mode again.
  terminal.arrivals = {foregroundCheckMs * 2};
  EXPECT_EQ(session.waitForInput(foregroundCheckMs / 2), InputWait::timedOut);
  EXPECT_EQ(terminal.transcript, "saved pop ") << "raw mode was taken up during the pause";
  EXPECT_EQ(session.waitForInput(-1), InputWait::ready);
  EXPECT_EQ(terminal.transcript, "saved pop raw push ");
  // Behind after the pause: the shell has the terminal, the tool ends.
  terminal.transcript.clear();
  session.standAside();
  terminal.inFront = false;
  terminal.probeError = EIO;
  EXPECT_EQ(session.waitForInput(-1), InputWait::ended);
  EXPECT_EQ(terminal.transcript, "saved pop probe ");
  EXPECT_GE(terminal.clock, foregroundCheckMs * 3);
}

TEST_F(WaitingSession, TheNormalEndThrowsAwayWhatArrivesInTheSameBurst) {
  // The rest of a paste arrives in pieces, 10 ms apart, then the line is
  // quiet; a key typed a second later is the shell's.
  terminal.arrivals = {0, 10, 20, 30, 1000 + inputQuietMs};
  session.finish();
  EXPECT_EQ(terminal.transcript, "pop flush flush flush flush saved flush ");
  EXPECT_EQ(terminal.arrivals.size(), 1U);
  EXPECT_FALSE(session.isRaw());
  EXPECT_FALSE(session.keyboardModeOn());
}

TEST_F(WaitingSession, InputThatNeverPausesHoldsTheEndNoLongerThanTheLimit) {
  for (long long at = 0; at < 10 * inputDiscardLimitMs; at += 5) {
    terminal.arrivals.push_back(at);
  }
  session.finish();
  EXPECT_GE(terminal.clock, inputDiscardLimitMs);
  EXPECT_LT(terminal.clock, inputDiscardLimitMs + inputQuietMs);
  EXPECT_TRUE(terminal.transcript.ends_with("saved flush ")) << terminal.transcript;
}

TEST_F(WaitingSession, BehindTheNormalEndThrowsNothingAway) {
  // What arrives belongs to the shell in front.
  terminal.inFront = false;
  terminal.arrivals = {0};
  session.finish();
  EXPECT_EQ(terminal.transcript, "saved pop ");
  EXPECT_EQ(terminal.arrivals.size(), 1U);
}

struct QueryCase {
  const char* what;
  std::vector<std::pair<long long, std::string>> input;
  std::string_view modeSent;  // empty when the keyboard is left as it is
  std::vector<int> codes;     // what the reader is given afterwards
};

// The keyboard query waits keyboardQueryWaitMs for the answers; the keys
// typed meanwhile stay for the reader, in order.
// The codes of the keys the input gives until it ends.
std::vector<int> codesRead(TerminalInput& input) {
  std::vector<int> codes;
  for (StreamItem item = input.nextEvent(); item.status == StreamStatus::event; item = input.nextEvent()) {
    const std::vector<int> numbers = codeNumbersOf(item.event);
    codes.insert(codes.end(), numbers.begin(), numbers.end());
  }
  return codes;
}

// The answers to the keyboard query are awaited for a second, long enough
// for a slow link.
TEST(KeyboardQueryWait, TakesTheAnswersWithinTheWaitAndKeepsTheKeysTypedMeanwhile) {
  constexpr long long limit = 1000;
  const std::string flagsAndAttributes = "\x1b[?1u\x1b[?62c";
  const std::vector<QueryCase> cases = {
      {"answers just inside the wait", {{limit - 50, flagsAndAttributes}}, pushEnhancedKeys, {}},
      {"answers after the wait are skipped", {{limit + 50, flagsAndAttributes + "x"}}, "", {'x'}},
      {"keys before, between and after the answers",
       {{100, "q"}, {200, "\x1b[?1u"}, {300, "w\x1b[?62c"}, {400, "\x1b[A"}},
       pushEnhancedKeys,
       {'q', 'w', 224, 72}},
      {"a modifyOtherKeys level, then the attributes", {{50, "\x1b[>4;1m\x1b[?62c"}}, setModifyOtherKeys, {}},
      {"the attributes cut short after the flags", {{50, "\x1b[?1u\x1b[?6"}, {200, "2c"}}, pushEnhancedKeys, {}},
      {"no answer, a key cut off as the wait ends: the Escape wait decides it",
       {{limit - 50, "\x1b[1;5"}, {limit + 50, "A"}},
       "",
       {'A'}},
  };
  const TerminalFamilyRow& family = familyOfTerm("xterm-256color");
  for (const QueryCase& query : cases) {
    FakeTerminal terminal(query.input);
    TerminalSession session(terminal);
    ASSERT_TRUE(session.begin());
    session.enterRawMode();
    TerminalInput input(session, family.family);
    negotiateKeyboardMode(session, input, family);
    EXPECT_LE(terminal.clock, limit) << query.what;
    const std::string sent = query.modeSent.empty() ? "" : std::string(query.modeSent) + " ";
    EXPECT_EQ(terminal.transcript, "raw " + std::string(keyboardQueryFor(family)) + " " + sent) << query.what;
    // Only the flags leave the attributes still to come: a terminal that
    // has not begun to answer is not waited for again.
    EXPECT_EQ(input.events().awaitingAnswers(), query.modeSent == pushEnhancedKeys) << query.what;
    EXPECT_EQ(codesRead(input), query.codes) << query.what;
  }
}

// Whether the row written last must be flushed: what the terminal has ready
// is taken in without waiting, and only a key that gives a code counts.
TEST(KeyAtHand, OnTheTerminalOnlyAReadyKeyThatGivesACodeCounts) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"a", true},
      {"\x1b[97;1:3u", false},  // a release
      {"\x1b[?62c", false},     // an answer
      {"\x1b[1;5", false},      // a key cut off
      {"\x1b[97;1:3ub", true},
  };
  for (const auto& [bytes, atHand] : cases) {
    // Nothing more comes before the next key, long after.
    FakeTerminal terminal({{0, bytes}, {10'000, "z"}});
    TerminalSession session(terminal);
    ASSERT_TRUE(session.begin());
    TerminalInput input(session, TerminalFamily::xterm);
    EXPECT_EQ(input.codeAtHand(), atHand) << bytes.substr(1);
    EXPECT_EQ(terminal.clock, 0) << "waited for " << bytes.substr(1);
  }
  // A terminal that has closed: the read of nothing ends the input.
  FakeTerminal closed(std::vector<std::pair<long long, std::string>>{});
  TerminalSession session(closed);
  ASSERT_TRUE(session.begin());
  TerminalInput input(session, TerminalFamily::xterm);
  EXPECT_FALSE(input.codeAtHand());
  EXPECT_EQ(input.nextEvent().status, StreamStatus::endOfInput);
}

// The rest of a key that comes within the Escape wait of 25 ms is part of
// it; after the wait the Escape is a key of its own and the rest are keys
// too.
TEST(EscapeWait, TheRestOfAKeyCountsOnlyWithinTheWait) {
  const std::vector<std::pair<long long, std::vector<int>>> cases = {
      {20, {224, 72}},
      {30, {27, '[', 'A'}},
  };
  for (const auto& [restAt, codes] : cases) {
    FakeTerminal terminal({{0, "\x1b"}, {restAt, "[A"}});
    TerminalSession session(terminal);
    ASSERT_TRUE(session.begin());
    TerminalInput input(session, TerminalFamily::xterm);
    EXPECT_EQ(codesRead(input), codes) << "rest after " << restAt << " ms";
  }
}

}  // namespace
