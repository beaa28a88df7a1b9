#include "console/terminalSession.hpp"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {

int terminalFd = -1;
struct termios savedSettings {};
// Set while the terminal is in raw mode; the one flag every restore checks.
volatile std::sig_atomic_t rawModeActive = 0;
// Set from the opening until the final restore; a job-control stop leaves it
// set, so that the process takes raw mode up again when it continues.
volatile std::sig_atomic_t sessionOpen = 0;
// The keyboard reporting mode switched on for the run, if any: sent after
// raw mode is entered and undone before the settings are put back.
std::string_view keyboardModeOn;
std::string_view keyboardModeOff;

// Signals that end the process: each restores the terminal, then the
// process dies by the same signal so its parent sees the usual status.
constexpr int terminatingSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT};

struct termios rawSettings(const struct termios& original) {
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

// Applies settings without waiting for output and without discarding keys
// typed ahead. SIGTTOU is held back so that a restore from a background
// process group still goes through instead of stopping the process.
void applySettings(const struct termios& settings) {
  sigset_t ttou;
  sigset_t previous;
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  sigprocmask(SIG_BLOCK, &ttou, &previous);
  tcsetattr(terminalFd, TCSANOW, &settings);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void sendToTerminal(std::string_view sequence) {
  while (!sequence.empty()) {
    const ssize_t written = write(terminalFd, sequence.data(), sequence.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return;
    }
    sequence.remove_prefix(static_cast<std::size_t>(written));
  }
}

void enterRawMode() {
  applySettings(rawSettings(savedSettings));
  sendToTerminal(keyboardModeOn);
  rawModeActive = 1;
}

void leaveRawMode() {
  if (rawModeActive != 0) {
    rawModeActive = 0;
    sendToTerminal(keyboardModeOff);
    applySettings(savedSettings);
  }
}

void setHandler(int signalNumber, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signalNumber, &action, nullptr);
}

void onTerminatingSignal(int signalNumber) {
  restoreTerminal();
  // Die by the same signal: with the default action back in place, the
  // signal raised here is delivered as soon as this handler returns.
  setHandler(signalNumber, SIG_DFL);
  static_cast<void>(raise(signalNumber));
}

// Raw mode again after any stop, ours or a SIGSTOP: the shell may have
// changed the settings while the process was stopped.
void onContinue(int /*signalNumber*/) {
  const int savedErrno = errno;
  if (sessionOpen != 0) {
    enterRawMode();
  }
  errno = savedErrno;
}

void onStop(int signalNumber) {
  const int savedErrno = errno;
  leaveRawMode();
  setHandler(signalNumber, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signalNumber);
  // Stop here. The kernel discards the stop for an orphaned process group;
  // either way the process goes on past this point only when it runs again,
  // and then it must not read keys from a cooked terminal.
  static_cast<void>(raise(signalNumber));
  // cppcheck-suppress unreachableCode ; raise returns once the process runs again
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  setHandler(signalNumber, onStop);
  onContinue(SIGCONT);
  errno = savedErrno;
}

void installRestoreHandlers() {
  // Should registering fail, the other ways out still restore.
  static_cast<void>(std::atexit(restoreTerminal));
  for (const int signalNumber : terminatingSignals) {
    setHandler(signalNumber, onTerminatingSignal);
  }
  setHandler(SIGTSTP, onStop);
  setHandler(SIGCONT, onContinue);
}

}  // namespace

int openTerminal() {
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  if (tcgetattr(fd, &savedSettings) != 0) {
    close(fd);
    return -1;
  }
  terminalFd = fd;
  sessionOpen = 1;
  installRestoreHandlers();
  enterRawMode();
  return fd;
}

void useKeyboardMode(std::string_view enable, std::string_view disable) {
  keyboardModeOn = enable;
  keyboardModeOff = disable;
  sendToTerminal(keyboardModeOn);
}

void restoreTerminal() {
  sessionOpen = 0;
  leaveRawMode();
}
