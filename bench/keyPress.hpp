#pragma once

// Pressing keys on a program's terminal and timing the rows they give.

#include <cstddef>
#include <string_view>
#include <vector>

#include "ptyProgram.hpp"

// Writes `keys` in one write and waits for `rowCount` full rows; returns the
// milliseconds from the write to the read that completed the last row, and
// the rows' codes in `codes`.
double timeKeyRows(PtyProgram& program, std::string_view keys, std::size_t rowCount, std::vector<int>& codes);

// Presses a letter and returns the codes of the rows that came before its
// row: rows a key gave beyond those timed.
std::vector<int> rowsBeforeSentinel(PtyProgram& program);
