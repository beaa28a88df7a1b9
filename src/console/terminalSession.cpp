#include "console/terminalSession.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {

// Signals that end the process: each restores the terminal, then the
// process dies by the same signal so its parent sees the usual status. The
// crash signals are among them: a fault must not leave the terminal raw.
constexpr int terminatingSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
// Signals that stop the process: each restores the terminal first.
constexpr int stopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};
// The signals whose handlers change the session and that may arrive at any
// moment; the crash signals are left out, as blocking them has no defined
// outcome when the fault is the process's own.
constexpr int sessionSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGTSTP, SIGTTIN, SIGCONT};

struct termios rawSettingsOf(const struct termios& original) {
  struct termios raw = original;
  // No line editing, echo, signal keys or extended input processing: every
  // key, Ctrl+C and Ctrl+Z included, arrives as its byte.
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  // No flow control keys and no translation of CR and NL, so Enter is 13.
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // Output processing stays as it was: line ends still appear as CR LF.
  return raw;
}

// Holds back the session's signals while the session changes, so that no
// handler sees it half changed; SIGTTOU too when `holdTtou`, and otherwise
// lets it through even if it was blocked. Raw mode is entered with SIGTTOU
// let through: from the background the kernel then stops the process before
// the terminal changes. Restores hold it back, so that they go through from
// anywhere.
class HeldSignals {
 public:
  explicit HeldSignals(bool holdTtou) {
    sigprocmask(SIG_SETMASK, nullptr, &previous);
    sigset_t held = previous;
    for (const int signalNumber : sessionSignals) {
      sigaddset(&held, signalNumber);
    }
    if (holdTtou) {
      sigaddset(&held, SIGTTOU);
    } else {
      sigdelset(&held, SIGTTOU);
    }
    sigprocmask(SIG_SETMASK, &held, nullptr);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t previous{};
};

constexpr bool holdTtou = true;
constexpr bool letTtouThrough = false;

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
  bool inForeground(int descriptor) override { return tcgetpgrp(descriptor) == getpgrp(); }
};

SystemTerminalCalls systemCalls;

// The process's session for the signal handlers: set once its handlers are
// installed, and only used in async-signal-safe ways.
TerminalSession* signalSession = nullptr;

// The handlers run on a stack of their own, so that a fault from a stack
// that has run out still restores the terminal.
constexpr std::size_t signalStackSize = std::size_t{64} * 1024;
alignas(16) char signalStack[signalStackSize];

using SignalHandler = void (*)(int, siginfo_t*, void*);

void setHandler(int signalNumber, SignalHandler handler) {
  struct sigaction action {};
  action.sa_sigaction = handler;
  // No other session handler runs inside this one.
  sigemptyset(&action.sa_mask);
  for (const int held : sessionSignals) {
    sigaddset(&action.sa_mask, held);
  }
  sigaddset(&action.sa_mask, SIGTTOU);
  // Interrupted reads and settings changes go on after a stop; the
  // signal's details are passed on to a handler of the program's.
  action.sa_flags = SA_RESTART | SA_ONSTACK | SA_SIGINFO;
  sigaction(signalNumber, &action, nullptr);
}

void setDefaultAction(int signalNumber) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}

// The action each signal had before the session's handler took its place.
// Where that was a handler of the program's own, the session's handler
// restores the terminal and then calls it.
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
  if (programHandles(signalNumber)) {
    callProgramHandler(signalNumber, info, context);
  }
}

// Whether the process was started with `signalNumber` ignored, as under
// nohup (SIGHUP) or in the background of a shell without job control
// (SIGINT, SIGQUIT). Such a signal stays ignored: it never reaches the tool,
// so it never needs a restore.
bool ignoredSinceStart(int signalNumber) {
  struct sigaction current {};
  return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// A fault is handled even when it was ignored: it comes back as soon as the
// faulting instruction runs again.
bool isCrashSignal(int signalNumber) {
  return signalNumber == SIGSEGV || signalNumber == SIGBUS || signalNumber == SIGFPE || signalNumber == SIGILL;
}

// The session's handler in place of the action the signal has now, which is
// kept for handOverToProgram and for removeSignalHandlers.
void takeOver(int signalNumber, SignalHandler handler) {
  sigaction(signalNumber, nullptr, &programActions[signalNumber]);
  setHandler(signalNumber, handler);
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
  for (const int signalNumber : terminatingSignals) {
    if (isCrashSignal(signalNumber) || !ignoredSinceStart(signalNumber)) {
      takeOver(signalNumber, onTerminatingSignal);
    }
  }
  for (const int signalNumber : stopSignals) {
    if (!ignoredSinceStart(signalNumber)) {
      takeOver(signalNumber, onStop);
    }
  }
  takeOver(SIGCONT, onContinue);
  restoreHandlersInstalled = true;
}

// Whether one of the session's handlers is the action of `signalNumber`.
bool sessionHandles(int signalNumber) {
  struct sigaction current {};
  if (sigaction(signalNumber, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) == 0) {
    return false;
  }
  return current.sa_sigaction == onTerminatingSignal || current.sa_sigaction == onStop ||
         current.sa_sigaction == onContinue;
}

// Puts back the action each signal had, where the session's handler is
// still in place: one the program has set since stays.
void removeSignalHandlers() {
  const auto putBack = [](int signalNumber) {
    if (sessionHandles(signalNumber)) {
      sigaction(signalNumber, &programActions[signalNumber], nullptr);
    }
  };
  for (const int signalNumber : terminatingSignals) {
    putBack(signalNumber);
  }
  for (const int signalNumber : stopSignals) {
    putBack(signalNumber);
  }
  putBack(SIGCONT);
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

}  // namespace

bool TerminalSession::begin() {
  const int opened = calls.openTerminal();
  if (opened < 0) {
    return false;
  }
  if (calls.getSettings(opened, savedSettings) != 0) {
    calls.closeTerminal(opened);
    return false;
  }
  rawSettings = rawSettingsOf(savedSettings);
  terminal = opened;
  active = 1;
  return true;
}

// The raw flag is set only when the terminal took the settings.
void TerminalSession::applyRawSettings() {
  if (calls.setSettings(terminal, rawSettings) == 0) {
    rawMode = 1;
  }
}

bool TerminalSession::send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = calls.writeBytes(terminal, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The keyboard mode goes on only over raw mode, and only once: each push
// must meet exactly one pop.
void TerminalSession::sendKeyboardMode() {
  if (rawMode != 0 && modePushed == 0 && !enableMode.empty()) {
    modePushed = 1;
    static_cast<void>(send(enableMode));
  }
}

// Settings first: they matter most, and writing the keyboard mode off may
// block on a terminal that is not read.
void TerminalSession::leaveRawMode() {
  if (rawMode != 0) {
    static_cast<void>(calls.setSettings(terminal, savedSettings));
    rawMode = 0;
  }
  if (modePushed != 0) {
    static_cast<void>(send(disableMode));
    modePushed = 0;
  }
}

void TerminalSession::enterRawMode() {
  const HeldSignals held(letTtouThrough);
  if (active == 0 || rawMode != 0) {
    return;
  }
  applyRawSettings();
  sendKeyboardMode();
}

void TerminalSession::useKeyboardMode(std::string_view enable, std::string_view disable) {
  const HeldSignals held(holdTtou);
  if (modePushed == 0) {
    enableMode = enable;
    disableMode = disable;
  }
  sendKeyboardMode();
}

void TerminalSession::stop(void (*stopProcess)(int), int signalNumber) {
  {
    const HeldSignals held(holdTtou);
    leaveRawMode();
  }
  stopProcess(signalNumber);
  if (rawMode == 0) {
    resume();
  }
}

void TerminalSession::resume() {
  const HeldSignals held(holdTtou);
  if (active == 0 || !calls.inForeground(terminal)) {
    return;
  }
  applyRawSettings();
  sendKeyboardMode();
}

void TerminalSession::end() {
  const HeldSignals held(holdTtou);
  active = 0;
  leaveRawMode();
}

void TerminalSession::takeUpAgain() {
  // Checked first without holding the signals back: a read while active,
  // as every read of the tool is, costs nothing more.
  if (active != 0 || terminal < 0) {
    return;
  }
  const HeldSignals held(holdTtou);
  if (active == 0) {
    active = 1;
    resume();
  }
}

namespace {

// Made before main, so that a signal handler never meets it half made.
TerminalSession processSession(systemCalls);

}  // namespace

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
