// The process's terminal session: the real system calls, and a restore on
// every way out of the process, signals included.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "console/heldSignals.hpp"
#include "console/terminalSession.hpp"

namespace {

// What the session does when a signal arrives.
enum class SignalRole : std::uint8_t {
  // Ends the process: the terminal is restored, then the process dies by
  // the same signal so its parent sees the usual status.
  ends,
  // A fault of the process's own, which ends it the same way. Handled even
  // when ignored at the start, as it comes back when the faulting
  // instruction runs again, and never held back: blocking it has no defined
  // outcome when the fault is the process's own.
  fault,
  // A job-control stop: the terminal is restored first.
  stops,
  // The continue after a stop: raw mode is taken up again in front.
  continues,
  // Sent by the kernel when the parent process ends: the terminal is
  // restored at once (see TerminalSession::standAside).
  parentGone,
};

struct CaughtSignal {
  int number;
  SignalRole role;
};

// Every signal whose default action ends or stops the process, the
// continue, and the signal asked for when the parent ends: SIGURG, which
// nothing else sends to a process without sockets. The real-time signals, which end the process too, are added to
// the ones that end it where the handlers are installed.
// clang-format off
constexpr CaughtSignal caughtSignals[] = {
    {SIGHUP,    SignalRole::ends},
    {SIGINT,    SignalRole::ends},
    {SIGQUIT,   SignalRole::ends},
    {SIGTERM,   SignalRole::ends},
    {SIGUSR1,   SignalRole::ends},
    {SIGUSR2,   SignalRole::ends},
    {SIGALRM,   SignalRole::ends},
    {SIGVTALRM, SignalRole::ends},
    {SIGPROF,   SignalRole::ends},
    // A CPU time or file size limit (ulimit -t, ulimit -f) reached.
    {SIGXCPU,   SignalRole::ends},
    {SIGXFSZ,   SignalRole::ends},
#ifdef SIGIO
    {SIGIO,     SignalRole::ends},  // also SIGPOLL
#endif
#ifdef SIGPWR
    {SIGPWR,    SignalRole::ends},
#endif
#ifdef SIGSTKFLT
    {SIGSTKFLT, SignalRole::ends},
#endif
    // abort(), an unhandled exception included.
    {SIGABRT,   SignalRole::fault},
    {SIGSEGV,   SignalRole::fault},
    {SIGBUS,    SignalRole::fault},
    {SIGFPE,    SignalRole::fault},
    {SIGILL,    SignalRole::fault},
    {SIGTRAP,   SignalRole::fault},
    {SIGSYS,    SignalRole::fault},
    {SIGTSTP,   SignalRole::stops},
    {SIGTTIN,   SignalRole::stops},
    {SIGTTOU,   SignalRole::stops},
    {SIGCONT,   SignalRole::continues},
    {SIGURG,    SignalRole::parentGone},
};
// clang-format on

// The real-time signals, SIGRTMIN to SIGRTMAX, which the C library numbers
// at run time.
struct SignalRange {
  int first = 0;
  int last = -1;
};

SignalRange realTimeSignals() noexcept {
#ifdef SIGRTMIN
  return {SIGRTMIN, SIGRTMAX};
#else
  return {};
#endif
}

sigset_t sessionSignalSet() noexcept {
  sigset_t set;
  sigemptyset(&set);
  for (const CaughtSignal& caught : caughtSignals) {
    if (caught.role != SignalRole::fault) {
      sigaddset(&set, caught.number);
    }
  }
  const SignalRange realTime = realTimeSignals();
  for (int number = realTime.first; number <= realTime.last; ++number) {
    sigaddset(&set, number);
  }
  return set;
}

// Made before main runs, so the handlers only read it.

// The signals whose handlers change the session and that may arrive at any
// moment: every caught signal but the faults, SIGTTOU among them. Made
// before main runs, so the handlers only read it.
const sigset_t sessionSignals = sessionSignalSet();

class SystemTerminalCalls final : public TerminalCalls {
 public:
  int openTerminal() override { return open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC); }
  void closeTerminal(int descriptor) override { close(descriptor); }
  int getSettings(int descriptor, struct termios& settings) override { return tcgetattr(descriptor, &settings); }
  int setSettings(int descriptor, const struct termios& settings) override {
    return tcsetattr(descriptor, TCSANOW, &settings);
  }
  ssize_t writeBytes(int descriptor, const char* bytes, std::size_t count) override {
    return write(descriptor, bytes, count);
  }
  // The process group is read once: after exec nobody can move the
  // process to another.
  bool inForeground(int descriptor) override {
    static const pid_t ownGroup = getpgrp();
    return tcgetpgrp(descriptor) == ownGroup;
  }
  int waitForInput(int descriptor, int waitMs) override {
    pollfd poller{descriptor, POLLIN, 0};
    return poll(&poller, 1, waitMs);
  }
  int readNothing(int descriptor) override {
    char nothing[1];
    return static_cast<int>(read(descriptor, nothing, 0));
  }
  int discardInput(int descriptor) override { return tcflush(descriptor, TCIFLUSH); }
  void pauseMs(int waitMs) override { static_cast<void>(poll(nullptr, 0, waitMs)); }
  bool groupLedHere() override {
    const pid_t group = getpgrp();
    return group == getpid() || group == getppid();
  }
  long long monotonicMs() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
  }
};

SystemTerminalCalls systemCalls;

// The process's session for the signal handlers: set once its handlers are
// installed, and only used in async-signal-safe ways.
TerminalSession* signalSession = nullptr;

// The handlers run on a stack of their own, so that a fault from a stack
// that has run out still restores the terminal.
constexpr std::size_t signalStackSize = std::size_t{64} * 1024;
alignas(16) char signalStack[signalStackSize];

// Whether a system call the handler interrupts goes on afterwards.
enum class Interrupted : std::uint8_t { goesOn, returns };

using SignalHandler = void (*)(int, siginfo_t*, void*);

void setHandler(int signalNumber, SignalHandler handler, Interrupted interrupted = Interrupted::goesOn) {
  struct sigaction action {};
  action.sa_sigaction = handler;
  // No other session handler runs inside this one.
  action.sa_mask = sessionSignals;
  // Interrupted reads and settings changes go on after a stop; the signal's
  // details are passed on to a handler of the program's.
  action.sa_flags = SA_ONSTACK | SA_SIGINFO | (interrupted == Interrupted::goesOn ? SA_RESTART : 0);
  sigaction(signalNumber, &action, nullptr);
}

void setDefaultAction(int signalNumber) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}

// The action each signal had before the session's handler took its place.
// Where that was a handler of the program's own (a program that reads its
// keys through the library), the session's handler restores the terminal
// and then calls it.
struct sigaction programActions[NSIG];

bool programHandles(int signalNumber) {
  const struct sigaction& action = programActions[signalNumber];
  if ((action.sa_flags & SA_SIGINFO) != 0) {
    return action.sa_sigaction != nullptr;
  }
  return action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN;
}

void callProgramHandler(int signalNumber, siginfo_t* info, void* context) {
  const struct sigaction& action = programActions[signalNumber];
  if ((action.sa_flags & SA_SIGINFO) != 0) {
    action.sa_sigaction(signalNumber, info, context);
  } else {
    action.sa_handler(signalNumber);
  }
}

// The program's own handler after the session's work, where it has one.
void passOnToProgram(int signalNumber, siginfo_t* info, void* context) {
  if (programHandles(signalNumber)) {
    callProgramHandler(signalNumber, info, context);
  }
}

// Runs the program's own handler of a signal that ends or stops the process
// with the terminal given back, as the process may end or stop inside it.
// Should the handler return, the program goes on, so the terminal is taken
// up again if the session held it. False when the program had no handler
// for the signal.
bool handOverToProgram(int signalNumber, siginfo_t* info, void* context) {
  if (!programHandles(signalNumber)) {
    return false;
  }
  const int savedErrno = errno;
  const bool held = signalSession->isActive();
  signalSession->end();
  callProgramHandler(signalNumber, info, context);
  if (held) {
    signalSession->takeUpAgain();
  }
  errno = savedErrno;
  return true;
}

void onTerminatingSignal(int signalNumber, siginfo_t* info, void* context) {
  if (handOverToProgram(signalNumber, info, context)) {
    return;
  }
  signalSession->end();
  // Die by the same signal: with the default action back in place, the
  // signal raised here is delivered as soon as this handler returns. A
  // fault would also come back when the instruction runs again.
  setDefaultAction(signalNumber);
  static_cast<void>(raise(signalNumber));
}

void onStop(int signalNumber, siginfo_t* info, void* context);

// Stops the process by `signalNumber` with its default action. A SIGCONT
// handler runs inside, once the process runs again.
void stopProcess(int signalNumber) {
  setDefaultAction(signalNumber);
  sigset_t letThrough;
  sigemptyset(&letThrough);
  sigaddset(&letThrough, signalNumber);
  sigaddset(&letThrough, SIGCONT);
  sigset_t previous;
  sigprocmask(SIG_UNBLOCK, &letThrough, &previous);
  static_cast<void>(raise(signalNumber));
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  setHandler(signalNumber, onStop);
}

void onStop(int signalNumber, siginfo_t* info, void* context) {
  if (handOverToProgram(signalNumber, info, context)) {
    return;
  }
  const int savedErrno = errno;
  signalSession->stop(stopProcess, signalNumber);
  errno = savedErrno;
}

// The terminal is taken up first, so that a handler of the program's finds
// it as it was before the stop.
void onContinue(int signalNumber, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  signalSession->resume();
  errno = savedErrno;
  passOnToProgram(signalNumber, info, context);
}

// Whether the process was started with `signalNumber` ignored, as under
// nohup (SIGHUP) or in the background of a shell without job control
// (SIGINT, SIGQUIT). Such a signal stays ignored: it never reaches the tool,
// so it never needs a restore.
bool ignoredSinceStart(int signalNumber) {
  struct sigaction current {};
  return sigaction(signalNumber, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
         current.sa_handler == SIG_IGN;
}

// The parent the process started with, to tell whether it has ended.
const pid_t startingParent = getppid();

// Asks the kernel for `signalNumber` when the parent ends; should it have
// ended already, the session stands aside now.
void watchParent(int signalNumber) {
#ifdef PR_SET_PDEATHSIG
  static_cast<void>(prctl(PR_SET_PDEATHSIG, signalNumber));
  if (getppid() != startingParent) {
    signalSession->standAside();
  }
#else
  static_cast<void>(signalNumber);
#endif
}

void onParentGone(int signalNumber, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  signalSession->standAside();
  errno = savedErrno;
  passOnToProgram(signalNumber, info, context);
}

// The session's handler in place of the action the signal has now, which is
// kept for handOverToProgram and for removeSignalHandlers.
void takeOver(int signalNumber, SignalHandler handler, Interrupted interrupted = Interrupted::goesOn) {
  sigaction(signalNumber, nullptr, &programActions[signalNumber]);
  setHandler(signalNumber, handler, interrupted);
}

void installHandler(const CaughtSignal& caught) {
  if (caught.role != SignalRole::fault && caught.role != SignalRole::parentGone && ignoredSinceStart(caught.number)) {
    return;
  }
  switch (caught.role) {
    case SignalRole::ends:
    case SignalRole::fault:
      takeOver(caught.number, onTerminatingSignal);
      return;
    case SignalRole::stops:
      takeOver(caught.number, onStop);
      return;
    case SignalRole::continues:
      takeOver(caught.number, onContinue);
      return;
    case SignalRole::parentGone:
      // A read that waits for keys returns, so that the wait looks again.
      takeOver(caught.number, onParentGone, Interrupted::returns);
      watchParent(caught.number);
      return;
  }
}

// Every signal the session handles: the table's and the real-time ones,
// which end the process too.
template <typename Action>
void forEachCaughtSignal(Action action) {
  for (const CaughtSignal& caught : caughtSignals) {
    action(caught);
  }
  const SignalRange realTime = realTimeSignals();
  for (int number = realTime.first; number <= realTime.last; ++number) {
    action(CaughtSignal{number, SignalRole::ends});
  }
}

// Whether the session restores the terminal on signals, and whether its
// handlers are in place now.
bool restoreHandlersWanted = true;
bool restoreHandlersInstalled = false;

void installSignalHandlers() {
  stack_t currentStack{};
  // A stack of the program's own for its handlers stays; should setting
  // ours fail, the handlers run on the process's own stack.
  if (sigaltstack(nullptr, &currentStack) == 0 && (currentStack.ss_flags & SS_DISABLE) != 0) {
    stack_t handlerStack{};
    handlerStack.ss_sp = signalStack;
    handlerStack.ss_size = sizeof signalStack;
    static_cast<void>(sigaltstack(&handlerStack, nullptr));
  }
  forEachCaughtSignal(installHandler);
  restoreHandlersInstalled = true;
}

// Whether one of the session's handlers is the action of `signalNumber`.
bool sessionHandles(int signalNumber) {
  struct sigaction current {};
  if (sigaction(signalNumber, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) == 0) {
    return false;
  }
  return current.sa_sigaction == onTerminatingSignal || current.sa_sigaction == onStop ||
         current.sa_sigaction == onContinue || current.sa_sigaction == onParentGone;
}

// Puts back the action each signal had, where the session's handler is
// still in place: one the program has set since stays.
void removeSignalHandlers() {
  forEachCaughtSignal([](const CaughtSignal& caught) {
    if (sessionHandles(caught.number)) {
      sigaction(caught.number, &programActions[caught.number], nullptr);
    }
  });
  restoreHandlersInstalled = false;
}

void installRestoreHandlers(TerminalSession& session) {
  signalSession = &session;
  // Should registering fail, the other ways out still restore.
  static_cast<void>(std::atexit(restoreTerminal));
  if (restoreHandlersWanted) {
    installSignalHandlers();
  }
}

// Made before main, so that a signal handler never meets it half made.
TerminalSession processSession(systemCalls);

}  // namespace

HeldSignals::HeldSignals(bool holdTtou) {
  sigprocmask(SIG_SETMASK, nullptr, &previous);
  sigset_t held = previous;
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (sigismember(&sessionSignals, signalNumber) == 1) {
      sigaddset(&held, signalNumber);
    }
  }
  if (holdTtou) {
    sigaddset(&held, SIGTTOU);
  } else {
    sigdelset(&held, SIGTTOU);
  }
  sigprocmask(SIG_SETMASK, &held, nullptr);
}

HeldSignals::~HeldSignals() { sigprocmask(SIG_SETMASK, &previous, nullptr); }

TerminalSession& processTerminal() { return processSession; }

bool openProcessTerminal() {
  static const bool opened = [] {
    TerminalSession& session = processTerminal();
    if (!session.begin()) {
      return false;
    }
    installRestoreHandlers(session);
    session.enterRawMode();
    return true;
  }();
  return opened;
}

void restoreTerminal() { processTerminal().end(); }

void takeTerminalUpAgain() { processTerminal().takeUpAgain(); }

void setRestoreHandlers(bool enabled) {
  restoreHandlersWanted = enabled;
  // Before the terminal opens, installRestoreHandlers follows the wish.
  if (signalSession == nullptr) {
    return;
  }
  if (enabled && !restoreHandlersInstalled) {
    installSignalHandlers();
  } else if (!enabled && restoreHandlersInstalled) {
    removeSignalHandlers();
  }
}
