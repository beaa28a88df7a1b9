#pragma once

// The shape of one table row as it comes out of the terminal.

#include <cstddef>
#include <string>
#include <string_view>

constexpr std::size_t cellWidth = 13;
constexpr std::size_t rowLength = 4 * cellWidth + 3;
// Each row ends in a line feed that the terminal writes as CR LF.
constexpr std::string_view lineEnd = "\r\n";
constexpr std::size_t rowBytes = rowLength + lineEnd.size();
constexpr int noCode = -1;
constexpr char endKey = ' ';
constexpr std::string_view promptText = "Press any key to finish.";

// The code a row shows, or noCode when the row is not well formed: every
// cell in its place and the decimal, hex and octal cells agreeing.
int rowCode(std::string_view row);

// The rule line under the header, with its line end.
std::string ruleLine();
