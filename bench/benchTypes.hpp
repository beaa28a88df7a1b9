#pragma once

// What the benchmark is told to do and what it found.

#include <string>
#include <vector>

constexpr int keycodesIndex = 0;
constexpr int minimalIndex = 1;
constexpr int programCount = 2;

struct BenchSettings {
  std::string paths[programCount];
  // Everything on one CPU (see cpuPinning.hpp).
  bool pinned = true;
  // Answer device attributes requests as a plain terminal does.
  bool answerAttributes = true;
  // Answer the keyboard enhancement query as well, as a terminal with the
  // enhanced key reports does: Escape then arrives as CSI 27 u.
  bool answerEnhancedKeys = false;
  int startupRuns = 40;
  int warmupKeys = 20;
  int latencyKeys = 500;
  int bursts = 8;
  int burstBytes = 20000;
  int cursorPresses = 50;
  int escapePresses = 20;
};

struct ProgramFigures {
  std::vector<double> startupMs;
  // From a letter written as soon as the terminal is raw to its row.
  std::vector<double> firstRowMs;
  std::vector<double> latencyMs;
  std::vector<double> burstRowsPerSecond;
  std::vector<double> cursorMs;
  std::vector<double> escapeMs;
  std::vector<double> enhancedEscapeMs;
  std::vector<long> peakResidentKb;
  // The opening text up to the rule line, as read on the first start.
  std::string openingText;
  // The codes the first Up press gave and the first Escape press gave.
  std::vector<int> cursorCodes;
  std::vector<int> escapeCodes;
  std::vector<int> enhancedEscapeCodes;
  // Resident memory by mapping at the closing prompt, largest first.
  std::string residentByMapping;
  // Control sequences written in one run, and how many of them asked for
  // the device attributes.
  int controlSequences = 0;
  int attributeRequests = 0;
};

struct BenchResults {
  ProgramFigures figures[programCount];
  std::vector<std::string> failures;
};

inline const char* programName(int index) { return index == keycodesIndex ? "keycodes" : "minimal"; }
