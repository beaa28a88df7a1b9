// The terminal session's state machine: each change made once and undone
// once, whatever order the job-control signals and the waits for keys come
// in. Only through TerminalCalls, so that tests can drive it.

#include "console/terminalSession.hpp"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "console/heldSignals.hpp"

namespace {

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
  watchForeground = calls.groupLedHere() ? 0 : 1;
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
  if (active == 0 || rawMode != 0 || parentGone != 0) {
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

bool TerminalSession::ownsTerminal() { return rawMode != 0 && calls.inForeground(terminal); }

// In front: raw mode, taken up again if it was left behind. Behind: the
// terminal as it was, and a read of nothing, which returns once the process
// may read (after a stop, in front) and fails where it never may.
TerminalSession::Standing TerminalSession::stayInFront() {
  if (active == 0 || calls.inForeground(terminal)) {
    if (active != 0 && rawMode == 0) {
      resume();
    }
    return Standing::inFront;
  }
  {
    const HeldSignals held(holdTtou);
    leaveRawMode();
  }
  for (;;) {
    if (calls.readNothing(terminal) == 0) {
      break;
    }
    if (errno != EINTR) {
      return Standing::cannotRead;
    }
  }
  if (calls.inForeground(terminal)) {
    // Stopped, and continued in front, where the continue has normally
    // taken raw mode up again already.
    if (rawMode == 0) {
      resume();
    }
    return Standing::inFront;
  }
  // The kernel lets the process read though it is not in front: the
  // terminal hung up, or has no foreground group. The read tells which.
  return Standing::mayRead;
}

void TerminalSession::standAside() {
  const HeldSignals held(holdTtou);
  parentGone = 1;
  // The process now belongs to whoever adopted it, which says nothing
  // about the job.
  watchForeground = 1;
  leaveRawMode();
}

// A look at the foreground costs a system call, so a wait takes one before
// each step but its first: after each foregroundCheckMs without input, and
// after a pause. Input alone needs none, as the kernel refuses a read from
// behind (it stops the process, or fails with EIO).
std::optional<InputWait> TerminalSession::waitStep(int stepMs, bool look) {
  const long long now = calls.monotonicMs();
  if (parentGone != 0) {
    parentGone = 0;
    asideUntil = now + foregroundCheckMs;
  }
  if (now < asideUntil) {
    // No look at the terminal until a shell has had the time to take it.
    calls.pauseMs(static_cast<int>(std::min<long long>(stepMs, asideUntil - now)));
    return std::nullopt;
  }
  if (look) {
    const Standing standing = stayInFront();
    if (standing != Standing::inFront) {
      return standing == Standing::mayRead ? InputWait::ready : InputWait::ended;
    }
  }
  const int ready = calls.waitForInput(terminal, stepMs);
  if (ready > 0) {
    return InputWait::ready;
  }
  if (ready < 0 && errno != EINTR) {
    return InputWait::ended;
  }
  return std::nullopt;
}

InputWait TerminalSession::waitForInput(int waitMs) {
  if (waitMs < 0 && watchForeground == 0) {
    return InputWait::ready;
  }
  const long long start = calls.monotonicMs();
  for (bool firstStep = true;; firstStep = false) {
    const long long left = waitMs < 0 ? foregroundCheckMs : waitMs - (calls.monotonicMs() - start);
    if (const std::optional<InputWait> outcome =
            waitStep(static_cast<int>(std::clamp<long long>(left, 0, foregroundCheckMs)), !firstStep)) {
      return *outcome;
    }
    if (waitMs >= 0 && calls.monotonicMs() - start >= waitMs) {
      return InputWait::timedOut;
    }
  }
}

// What the terminal sends until input pauses, thrown away as it comes.
void TerminalSession::discardArrivingInput() {
  const long long start = calls.monotonicMs();
  for (long long spent = 0; spent < inputDiscardLimitMs; spent = calls.monotonicMs() - start) {
    const int wait = static_cast<int>(std::min<long long>(inputQuietMs, inputDiscardLimitMs - spent));
    const int ready = calls.waitForInput(terminal, wait);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready <= 0 || calls.discardInput(terminal) != 0) {
      return;
    }
  }
}

void TerminalSession::finish() {
  const HeldSignals held(holdTtou);
  // Input is only thrown away where the tool read it: a shell in front owns
  // what arrives.
  const bool discard = active != 0 && rawMode != 0 && calls.inForeground(terminal);
  active = 0;
  if (discard) {
    if (modePushed != 0) {
      modePushed = 0;
      static_cast<void>(send(disableMode));
    }
    discardArrivingInput();
  }
  leaveRawMode();
  if (discard) {
    static_cast<void>(calls.discardInput(terminal));
  }
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
