#pragma once

// What the benchmark is told to do and what it found, and the one clock
// every measurement uses.

#include <chrono>
#include <string>
#include <vector>

#include "fakeTerminal.hpp"

using BenchClock = std::chrono::steady_clock;

inline double millisecondsSince(BenchClock::time_point start) {
  return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

constexpr int keycodesIndex = 0;
constexpr int minimalIndex = 1;
constexpr int programCount = 2;

inline const char* programName(int index) { return index == keycodesIndex ? "keycodes" : "minimal"; }

struct BenchSettings {
  std::string paths[programCount];
  // Everything on one CPU, so that no program gains or loses by the CPU it
  // happens to be woken on.
  bool pinned = true;
  // How the terminal answers keycodes' keyboard query.
  KeyboardAnswer answer = KeyboardAnswer::deviceAttributes;
  int startupRuns = 40;
  int warmupKeys = 20;
  int latencyKeys = 500;
  int bursts = 8;
  int burstBytes = 20000;
  int mixedBurstBytes = 100'000;
  int cursorPresses = 50;
  int escapePresses = 20;
};

struct ProgramFigures {
  std::vector<double> startupMs;
  // From a letter written as soon as the terminal is raw to its row.
  std::vector<double> firstRowMs;
  std::vector<double> latencyMs;
  std::vector<double> burstRowsPerSecond;
  // Rows of the mixed burst back in order, of how many expected.
  std::size_t mixedRowsInOrder = 0;
  std::size_t mixedRowsExpected = 0;
  std::vector<double> cursorMs;
  std::vector<double> escapeMs;
  std::vector<double> enhancedEscapeMs;
  std::vector<long> peakResidentKb;
  // The codes the first Up press gave and the first Escape press gave.
  std::vector<int> cursorCodes;
  std::vector<int> escapeCodes;
  std::vector<int> enhancedEscapeCodes;
  // Resident memory by mapping at the closing prompt, largest first.
  std::string residentByMapping;
};

struct BenchResults {
  ProgramFigures figures[programCount];
  std::vector<std::string> failures;
};
