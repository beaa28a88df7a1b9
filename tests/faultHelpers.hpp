#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "ptyHarness.hpp"

// What the fault tests need beside the pty harness: reading while the tool
// ends, a readable first difference, and time bounds that stretch under
// sanitizers and valgrind.

// Waits for the program to end while reading all it writes into `output`, so
// that a program blocked on a full terminal can still finish. Returns the
// wait status, or -1 on time out (the program is then killed).
int waitWhileReading(PtyProcess& process, std::string& output, std::chrono::milliseconds timeout);

// Where `actual` first differs from `expected`, with the bytes around it on
// both sides.
std::string firstDifference(const std::string& actual, const std::string& expected);

// Every occurrence of `part` taken out of `text`; `count` says how many.
std::string withoutEvery(std::string text, std::string_view part, int& count);

// How many times `part` stands in `text`, not overlapping.
int countOf(const std::string& text, std::string_view part);

// How much longer than natively a time bound may be: 3 under the sanitizers,
// times KEYCODES_TEST_TIME_SCALE from the environment (valgrind runs set it).
double timeScale();

std::chrono::milliseconds scaled(std::chrono::milliseconds bound);

// Whether the tests run under valgrind, which preloads itself into every
// program they start. Under it a stop signal never stops, and a fault signal
// sent from outside never reaches the program's own handler.
bool underValgrind();
