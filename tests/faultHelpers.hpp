#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "ptyHarness.hpp"

// What the fault tests need beside the pty harness: reading while the tool
// ends, a writer that never blocks the test, a readable first difference,
// and time bounds that stretch under sanitizers and valgrind.

// Reads until `needle` appears anywhere in the output (other writers may add
// bytes after it), the program's side closes, or the time runs out.
std::string readUntilContains(const PtyProcess& process, std::string_view needle,
                              std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// One read of at most 4096 bytes, waiting up to `timeout` for anything;
// empty when nothing came.
std::string readOnce(const PtyProcess& process, std::chrono::milliseconds timeout);

// Waits for the program to end while reading all it writes into `output`, so
// that a program blocked on a full terminal can still finish. Returns the
// wait status, or -1 on time out (the program is then killed).
int waitWhileReading(PtyProcess& process, std::string& output, std::chrono::milliseconds timeout);

// Writes `bytes` to the master side from a thread of its own, never blocking
// longer than a poll: it gives up once `stop` is set or after `timeout`.
struct BackgroundWriter {
  std::atomic<bool> stop = false;
  std::atomic<std::size_t> written = 0;
  std::thread thread;
};
void startWriting(BackgroundWriter& writer, int master, std::string bytes, std::chrono::milliseconds timeout);
void stopWriting(BackgroundWriter& writer);

// Where `actual` first differs from `expected`, with the bytes around it on
// both sides.
std::string firstDifference(const std::string& actual, const std::string& expected);

// Every occurrence of `part` taken out of `text`; `count` says how many.
std::string withoutEvery(std::string text, std::string_view part, int& count);

// How much longer than natively a time bound may be: 3 under the sanitizers,
// times KEYCODES_TEST_TIME_SCALE from the environment (valgrind runs set it).
double timeScale();

std::chrono::milliseconds scaled(std::chrono::milliseconds bound);
