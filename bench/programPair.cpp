#include "programPair.hpp"

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "keyPress.hpp"
#include "ptyReader.hpp"

namespace {

constexpr char primerKey = 'a';

}  // namespace

int programInTurn(int round, int position) { return (round + position) % programCount; }

void recordClosing(ProgramFigures& figures, const ClosingFigures& closing) {
  figures.peakResidentKb.push_back(closing.peakResidentKb);
  figures.residentByMapping = closing.residentByMapping;
  figures.controlSequences = closing.controlSequences;
  figures.attributeRequests = closing.attributeRequests;
}

void runWithPair(const BenchSettings& settings, BenchResults& results, const std::string& phase, const PairBody& body) {
  try {
    PtyProgram programs[programCount];
    for (int index = 0; index < programCount; ++index) {
      spawnProgram(programs[index], settings.paths[index], programName(index), settings.answerAttributes);
      programs[index].answersEnhancedKeys = settings.answerEnhancedKeys;
    }
    const TimePoint deadline = deadlineAfter(stepTimeoutMs);
    std::vector<int> codes;
    for (PtyProgram& program : programs) {
      awaitOpening(program, deadline);
      waitForRawMode(program, deadline);
      // Its row shows the program has settled, any talk with the terminal
      // at its first read done, before anything is timed.
      timeKeyRows(program, std::string_view(&primerKey, 1), 1, codes);
      if (codes.front() != primerKey) {
        failProgram(program, "the first letter gave code " + std::to_string(codes.front()));
      }
    }
    body(programs);
    for (int index = 0; index < programCount; ++index) {
      recordClosing(results.figures[index], endProgram(programs[index]));
    }
  } catch (const std::exception& error) {
    results.failures.push_back(phase + ": " + error.what());
  }
}
