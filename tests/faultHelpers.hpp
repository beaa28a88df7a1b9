#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "fakeTerminal.hpp"
#include "ptyHarness.hpp"

// What the pty tests need beside the pty harness: the tool started and
// finished on a terminal of its own, reading while it ends, a readable first
// difference, and time bounds that stretch under sanitizers and valgrind.

inline const std::string keycodes = KEYCODES_BINARY;

// How much longer than natively a time bound may be: 3 under the sanitizers,
// times KEYCODES_TEST_TIME_SCALE from the environment (valgrind runs set it).
double timeScale();

std::chrono::milliseconds scaled(std::chrono::milliseconds bound);

// How long output that must come at once (a row, the closing prompt once the
// keys are in) may take: a tool that never writes it fails in seconds.
inline std::chrono::milliseconds promptWait() { return scaled(std::chrono::milliseconds(2000)); }

// Whether the tests run under valgrind, which preloads itself into every
// program they start. Under it a stop signal never stops, and a fault signal
// sent from outside never reaches the program's own handler.
bool underValgrind();

// Starts the tool (or `program`, which runs it), answers its keyboard query
// with `answer` and waits until it reads keys from a raw terminal; what it
// wrote so far is in `output`.
PtyProcess startTool(std::string& output, KeyboardAnswer answer = KeyboardAnswer::deviceAttributes,
                     const PtyOptions& options = {}, const std::string& program = keycodes);

// The screen of a run on a legacy terminal whose keys gave `codes`, up to the
// closing prompt.
std::string legacyScreen(const std::vector<int>& codes);

// Presses `keys`, which end the table, then `finalKey` once the closing
// prompt is shown, and reads until the tool has ended, appending all it
// writes to `output`. The run must end with status 0 and the terminal as a
// fresh pty starts.
void finishRun(PtyProcess& process, std::string& output, std::string_view keys, std::string_view finalKey = "x");

// Waits for the program to end while reading all it writes into `output`, so
// that a program blocked on a full terminal can still finish. Returns the
// wait status, or -1 on time out (the program is then killed).
int waitWhileReading(PtyProcess& process, std::string& output,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Reads into `screen` until `part` stands in it `count` times; false, with a
// failure that shows the screen, when the time ran out first.
bool readUntilShown(const PtyProcess& process, std::string& screen, std::string_view part, int count = 1,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Where `actual` first differs from `expected`, with the bytes around it on
// both sides.
std::string firstDifference(const std::string& actual, const std::string& expected);

// Every occurrence of `part` taken out of `text`; `count` says how many.
std::string withoutEvery(std::string text, std::string_view part, int& count);

// How many times `part` stands in `text`, not overlapping.
int countOf(const std::string& text, std::string_view part);

// The state letter of a process in /proc: 'T' while stopped, 'Z' once ended,
// '?' when there is no such process.
char processState(pid_t pid);

// Kills every process of the session `session`: a shell's jobs, and a tool
// that outlived them.
void killSession(pid_t session);

// Waits until the process is stopped; false when it did not stop in time.
bool waitForStop(pid_t pid);
