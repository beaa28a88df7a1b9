#pragma once

// Reading a program's terminal output with bounded waits.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "benchClock.hpp"
#include "ptyProgram.hpp"

enum class ReadOutcome { data, nothing, closed };

// One read of whatever is there, without waiting.
ReadOutcome readAvailable(PtyProgram& program);

// Waits up to the deadline for output and reads it.
ReadOutcome readMore(PtyProgram& program, TimePoint deadline);

// Waits until at least `count` bytes are held; throws on timeout.
void awaitBytes(PtyProgram& program, std::size_t count, TimePoint deadline, const std::string& what);

// Waits until the held output contains `text`; returns the offset just past it.
std::size_t awaitText(PtyProgram& program, std::string_view text, TimePoint deadline);

// Waits for the opening text up to and including the rule line, consumes it
// and returns it.
std::string awaitOpening(PtyProgram& program, TimePoint deadline);

// Consumes `count` held rows and returns their codes; throws on a row that
// is not well formed.
std::vector<int> takeRows(PtyProgram& program, std::size_t count);

// Bytes made readable for a failure message.
std::string printable(std::string_view bytes);
