#pragma once

// One program under the benchmark: started on a pseudo-terminal of its own
// through the support harness, its rows read back and checked, ended
// cleanly or killed.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "benchTypes.hpp"
#include "ptyHarness.hpp"

// How long any single step may take before it counts as failed.
constexpr std::chrono::milliseconds stepTimeout(3000);

struct BenchProgram {
  std::string name;
  PtyProcess process;
  // What the program wrote and the benchmark has not taken as rows yet.
  std::string screen;

  BenchProgram() = default;
  BenchProgram(const BenchProgram&) = delete;
  BenchProgram& operator=(const BenchProgram&) = delete;
  // A program still running here was not ended cleanly: kill and reap it.
  ~BenchProgram() { closePty(process); }
};

// Throws a failure naming the program.
[[noreturn]] void failProgram(const BenchProgram& program, const std::string& message);

// Starts program `index` of the settings and reads until its rule line.
void startProgram(BenchProgram& program, const BenchSettings& settings, int index);

// Answers keycodes' keyboard query, then presses a letter and takes
// everything up to its row: from then on the program only writes rows.
void settleProgram(BenchProgram& program, const BenchSettings& settings, int index);

// Reads until `byteCount` bytes are held.
void awaitBytes(BenchProgram& program, std::size_t byteCount, std::chrono::milliseconds timeout);

// Reads until at least `rowCount` whole rows are held, takes every whole
// row and returns the codes; throws on a malformed row or a timeout.
std::vector<int> takeRows(BenchProgram& program, std::size_t rowCount, std::chrono::milliseconds timeout);

// Writes `keys` and returns the milliseconds until `rowCount` rows are back;
// their codes go to `codes`.
double timeKeyRows(BenchProgram& program, std::string_view keys, std::size_t rowCount, std::vector<int>& codes);

// Ends the table with a space, keeps the memory figures shown at the closing
// prompt, presses the final key and throws unless the program exits with 0.
void endProgram(BenchProgram& program, ProgramFigures& figures);

// Which program goes at `position` (0 or 1) of a round: the order flips
// every round, so that neither always goes first.
int programInTurn(int round, int position);

using PairBody = std::function<void(BenchProgram (&programs)[programCount])>;

// Starts and settles both programs, runs `body`, then ends both. A failure
// is recorded under `phase`.
void runWithPair(const BenchSettings& settings, BenchResults& results, const std::string& phase, const PairBody& body);
