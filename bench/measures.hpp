#pragma once

// The phases of the benchmark. Each adds its figures, or a failure, to the
// results.

#include "benchTypes.hpp"

// Start to rule line, each program started and ended in turn.
void measureStartup(const BenchSettings& settings, BenchResults& results);

// One letter written, time until its row is read back.
void measureKeyLatency(const BenchSettings& settings, BenchResults& results);

// A burst of letters written at once, rows per second until all are back,
// every row checked in order.
void measureThroughput(const BenchSettings& settings, BenchResults& results);

// A burst of mixed keys: every row back, in order, with the right code.
void measureMixedBurst(const BenchSettings& settings, BenchResults& results);

// Cursor Up (ESC [ A), a lone ESC, and Escape as a terminal with the
// enhanced key reports sends it: time until their rows are back.
void measureCursorAndEscape(const BenchSettings& settings, BenchResults& results);
