#pragma once

#include <sys/types.h>
#include <termios.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The controlling terminal, held in raw input mode from the first key read
// until the tool ends. POSIX only.

// The system calls the session makes, in one place so that tests can drive
// the session without a terminal. The session calls them from signal
// handlers too: every real one is async-signal-safe.
class TerminalCalls {
 public:
  virtual ~TerminalCalls() = default;
  // The controlling terminal, /dev/tty, opened for reading and writing.
  virtual int openTerminal() = 0;
  virtual void closeTerminal(int descriptor) = 0;
  virtual int getSettings(int descriptor, struct termios& settings) = 0;
  // Applies `settings` at once (TCSANOW): no wait for output, and keys typed
  // ahead stay unread instead of being discarded.
  virtual int setSettings(int descriptor, const struct termios& settings) = 0;
  virtual ssize_t writeBytes(int descriptor, const char* bytes, std::size_t count) = 0;
  // True while the process group is the terminal's foreground group.
  virtual bool inForeground(int descriptor) = 0;
  // Waits up to `waitMs` (no limit when negative) for input to read: 1 when
  // there is some (or the terminal hung up), 0 when the time ran out, -1 on
  // an error such as EINTR.
  virtual int waitForInput(int descriptor, int waitMs) = 0;
  // A read of no bytes: only the kernel's job-control check, which stops a
  // background process (SIGTTIN) or fails (EIO) where nobody could bring
  // it to the front. 0 when the process may read.
  virtual int readNothing(int descriptor) = 0;
  // Throws away the input received and not yet read (TCIFLUSH).
  virtual int discardInput(int descriptor) = 0;
  // A clock that only goes forward, in milliseconds.
  virtual long long monotonicMs() = 0;
  // Sleeps for `waitMs` milliseconds, or until a signal comes.
  virtual void pauseMs(int waitMs) = 0;
  // Whether the process or its parent leads the process's group. The job
  // then ends only with one of them, and a shell takes the terminal back
  // only after that or after a stop, which signals tell the process.
  virtual bool groupLedHere() = 0;
};

// How long a wait for keys goes without a look at whether the process is
// still in front of the terminal: a shell that takes the terminal back
// sends no signal, so the tool finds out by looking.
constexpr int foregroundCheckMs = 100;
// At the normal end, input that arrives until it has paused this long is
// the rest of what was sent to the tool (a paste, the release of the last
// key), and is thrown away rather than left to the shell.
constexpr int inputQuietMs = 100;
// No more than this is spent throwing input away, so that input that never
// pauses cannot hold the tool.
constexpr int inputDiscardLimitMs = 1000;

// What a wait for keys found.
enum class InputWait : std::uint8_t { ready, timedOut, ended };

// The one owner of the terminal: its descriptor, the settings it had, whether
// raw mode is on, the keyboard reporting mode chosen and whether it is on.
// Each change is made once and undone once: entering raw mode while raw, or
// restoring what is not changed, does nothing.
class TerminalSession {
 public:
  explicit TerminalSession(TerminalCalls& calls) noexcept : calls(calls) {}

  // Opens the terminal and saves its settings. False when there is no
  // terminal to open.
  bool begin();

  [[nodiscard]] int descriptor() const { return terminal; }
  // The clock the session's waits go by, in milliseconds.
  [[nodiscard]] long long clockMs() const { return calls.monotonicMs(); }
  [[nodiscard]] bool isRaw() const { return rawMode != 0; }
  [[nodiscard]] bool keyboardModeOn() const { return modePushed != 0; }
  // From begin until end, and again from takeUpAgain.
  [[nodiscard]] bool isActive() const { return active != 0; }

  // Whether the tool may write queries and modes to the terminal: only with
  // raw mode on and the process in front, so that an answer never lands in
  // the input of a shell that has the terminal.
  bool ownsTerminal();

  // Raw input mode, then the keyboard mode if one is chosen. From a
  // background process group the kernel stops the process (SIGTTOU) before
  // the terminal changes; the settings are applied once it runs in front.
  void enterRawMode();

  // The keyboard reporting mode for the run: `enable` is sent now if the
  // terminal is raw and again whenever raw mode is taken up after a stop,
  // `disable` wherever the terminal is restored. Both must be string
  // literals: they are written from signal handlers.
  void useKeyboardMode(std::string_view enable, std::string_view disable);

  // Writes all of `bytes` to the terminal; false when that failed.
  bool send(std::string_view bytes);

  // A job-control stop: the terminal goes back as it was, then
  // `stopProcess(signalNumber)` stops the process and returns when it runs
  // again. A continue in front has taken raw mode up by then (resume, from
  // the SIGCONT handler); a stop the kernel discarded, as it does for an
  // orphaned process group, brings no continue, so it is resumed here.
  // Async-signal-safe.
  void stop(void (*stopProcess)(int), int signalNumber);

  // After a continue: only while in front of the terminal, raw mode is
  // applied again (the shell may have changed the settings while the
  // process was stopped) and the keyboard mode sent if it is off. Behind,
  // nothing changes; the process takes the terminal up when it is brought
  // in front and continued again. Async-signal-safe.
  void resume();

  // The parent process has ended. When it ran the tool in the background of
  // a job (sh -c 'keycodes & sleep 2'), the job is over and a shell takes
  // the terminal back at once, keeping the settings it finds then as its
  // own. So the terminal goes back as it was now, and raw mode is not taken
  // up again before foregroundCheckMs have passed and the process is still
  // in front. Async-signal-safe.
  void standAside();

  // Waits up to `waitMs` (no limit when negative) for keys to read, looking
  // every foregroundCheckMs whether the process is still in front; with no
  // limit and the group led here (see groupLedHere), it returns at once for
  // a read that may block, as signals tell every way out of the front. Found
  // behind, the session puts the terminal back as it was and lets the
  // kernel decide with a read of nothing: the process stops until it is
  // brought to the front (raw mode is then taken up again), or the wait
  // ends when nobody can bring it there. Ready means there is input to
  // read; a read from behind is refused by the kernel all the same (a
  // stop, or EIO), so the tool never takes the shell's keys.
  InputWait waitForInput(int waitMs);

  // The normal end of the run: the keyboard mode off, then what the
  // terminal still sends in the same burst thrown away (until input pauses
  // for inputQuietMs, for at most inputDiscardLimitMs), the settings back
  // and the input queue emptied, so that nothing the tool was sent reaches
  // the shell. Throws nothing away unless raw and in front. Then as end().
  void finish();

  // The final restore: settings, then the keyboard mode off. Raw mode is
  // not taken up again. Safe to call more than once. Async-signal-safe.
  void end();

  // After end, for a program that goes on reading: the session is active
  // again and takes raw mode and the keyboard mode up as after a continue,
  // at once while in front, or once continued in front. Does nothing while
  // active or before begin. Async-signal-safe.
  void takeUpAgain();

 private:
  void applyRawSettings();
  void sendKeyboardMode();
  void leaveRawMode();
  // Where the process stands towards the terminal.
  enum class Standing : std::uint8_t { inFront, mayRead, cannotRead };
  Standing stayInFront();
  // One step of a wait for keys, of at most `stepMs`, with a look at the
  // foreground first when `look`: what the wait found, or nothing when the
  // step passed without input.
  std::optional<InputWait> waitStep(int stepMs, bool look);
  void discardArrivingInput();

  TerminalCalls& calls;
  int terminal = -1;
  struct termios savedSettings {};
  struct termios rawSettings {};
  // Flags read and written by signal handlers as well as the main flow.
  // Set from begin until end: while it is set raw mode is taken up again
  // after a stop.
  volatile std::sig_atomic_t active = 0;
  volatile std::sig_atomic_t rawMode = 0;
  volatile std::sig_atomic_t modePushed = 0;
  volatile std::sig_atomic_t parentGone = 0;
  // Whether a wait for keys looks at the foreground every
  // foregroundCheckMs, as no signal tells when the job ends.
  volatile std::sig_atomic_t watchForeground = 1;
  // Until when the session stands aside after the parent ended.
  long long asideUntil = 0;
  std::string_view enableMode;
  std::string_view disableMode;
};

// The process's one terminal session, for the reader of the terminal and
// the signal handlers.
TerminalSession& processTerminal();

// Begins the process's session on /dev/tty in raw mode, with a restore on
// every way out of the process: return from main, exit, abort, an uncaught
// exception, the terminating and crash signals, and the job-control stops.
// False when there is no terminal. Only the first call opens it.
bool openProcessTerminal();

// The final restore of the process's session; does nothing before it opens.
// Async-signal-safe.
void restoreTerminal();

// The process's session taken up again after restoreTerminal, before a
// read; does nothing while it holds the terminal or before it opens.
void takeTerminalUpAgain();

// Whether the session restores the terminal on signals (the default): off,
// it installs no signal handlers, or puts back the actions it found if its
// own are installed already and still in place. A restore at exit stays.
void setRestoreHandlers(bool enabled);
