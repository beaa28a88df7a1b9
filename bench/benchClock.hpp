#pragma once

// The one clock every measurement uses, and deadlines on it.

#include <chrono>

using BenchClock = std::chrono::steady_clock;
using TimePoint = BenchClock::time_point;

inline TimePoint benchNow() { return BenchClock::now(); }

inline double millisecondsBetween(TimePoint start, TimePoint end) {
  return std::chrono::duration<double, std::milli>(end - start).count();
}

inline TimePoint deadlineAfter(int milliseconds) { return benchNow() + std::chrono::milliseconds(milliseconds); }

// How long any single step may take before it counts as failed.
constexpr int stepTimeoutMs = 3000;
