#pragma once

// Running keycodes and minimal_keys side by side for one phase.

#include <functional>
#include <string>

#include "benchTypes.hpp"
#include "ptyProgram.hpp"

using PairBody = std::function<void(PtyProgram (&programs)[programCount])>;

// Which program goes at `position` (0 or 1) of a round: the order flips
// every round, so that neither always goes first.
int programInTurn(int round, int position);

// Keeps the memory figures a closing prompt showed.
void recordClosing(ProgramFigures& figures, const ClosingFigures& closing);

// Starts both programs, waits until each shows its table and reads keys
// raw, runs `body`, then ends both cleanly. A failure is recorded under
// `phase`; the programs of a failed phase are killed and reaped.
void runWithPair(const BenchSettings& settings, BenchResults& results, const std::string& phase, const PairBody& body);
