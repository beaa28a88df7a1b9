#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

// Runs a program on a pseudo-terminal of its own, as a person at a terminal
// would: the program's controlling terminal and standard output are the
// pty, keys are bytes written to its master side. The tests, the tools and
// the benchmark all drive the tool through this one harness; it is the only
// place that opens a pseudo-terminal.

struct PtyProcess {
  pid_t pid = -1;
  int master = -1;
  // A descriptor of the terminal side held by the test, so the terminal
  // does not hang up when the program closes it; -1 when not held.
  int heldTerminal = -1;
};

struct PtyOptions {
  std::vector<std::string> arguments;
  std::string term = "vt220";  // the program's TERM
  std::vector<std::string>
      environment;  // further NAME=value entries for the program's environment (LC_ALL is C unless set here)
  bool holdTerminal = true;
  std::string standardInputFile;   // when set, standard input comes from this file
  std::string standardOutputFile;  // when set, standard output goes to this file
};

// The settings a fresh pty starts with: cooked, echoing, signal keys on.
struct termios freshTerminalSettings();

PtyProcess startInPty(const std::string& program, const PtyOptions& options = {});

void sendBytes(const PtyProcess& process, std::string_view bytes);

// Writes all of `bytes` as the terminal takes them while appending what the
// program writes meanwhile to `output`, so that a program blocked on its full
// output side still takes its keys. False when the time ran out first.
bool sendBytesWhileReading(const PtyProcess& process, std::string_view bytes, std::string& output,
                           std::chrono::milliseconds timeout);

// One read of what the program wrote, after waiting up to `wait` for
// anything, appended to `output`. False when nothing came or the program's
// side is closed.
bool readChunk(const PtyProcess& process, std::string& output, std::chrono::milliseconds wait);

// Reads what the program writes until the output read contains `expected`,
// the program's side closes, or the time runs out.
std::string readUntil(const PtyProcess& process, std::string_view expected,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Reads whatever arrives within `quietTime` of the last byte.
std::string readAvailable(const PtyProcess& process, std::chrono::milliseconds quietTime);

// Waits for the program to end; returns its wait status, or -1 on time out
// (the program is then killed).
int waitForExit(PtyProcess& process, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Waits until the program has switched its terminal to raw input mode, so
// that keys sent afterwards are not echoed or translated by the cooked line
// discipline. False when that did not happen within the time.
bool waitForRawMode(const PtyProcess& process, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// The terminal settings as they are now.
struct termios currentSettings(const PtyProcess& process);

bool sameSettings(const struct termios& left, const struct termios& right);
std::string describeSettings(const struct termios& settings);

void closePty(PtyProcess& process);
