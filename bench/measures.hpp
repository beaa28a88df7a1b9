#pragma once

// The phases of the benchmark. Each adds its figures, or a failure, to the
// results.

#include "benchTypes.hpp"

// Fork to rule line, each program started and ended in turn.
void measureStartup(const BenchSettings& settings, BenchResults& results);

// One letter written, time until its row is read back.
void measureKeyLatency(const BenchSettings& settings, BenchResults& results);

// A burst of letters written at once, rows per second until all are back.
void measureThroughput(const BenchSettings& settings, BenchResults& results);

// ESC [ A (cursor Up) written at once, time until its rows are read back.
void measureCursorKey(const BenchSettings& settings, BenchResults& results);

// A lone ESC written, time until its row is read back.
void measureLoneEscape(const BenchSettings& settings, BenchResults& results);
// Escape from a terminal that answers the keyboard enhancement query: no wait.
void measureEnhancedEscape(const BenchSettings& settings, BenchResults& results);
