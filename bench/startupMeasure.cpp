#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "keyPress.hpp"
#include "measures.hpp"
#include "programPair.hpp"
#include "ptyReader.hpp"

namespace {

constexpr char firstKey = 'a';

}  // namespace

void measureStartup(const BenchSettings& settings, BenchResults& results) {
  std::vector<int> codes;
  try {
    for (int run = 0; run < settings.startupRuns; ++run) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(run, position);
        ProgramFigures& figures = results.figures[index];
        PtyProgram program;
        const TimePoint start = benchNow();
        spawnProgram(program, settings.paths[index], programName(index), settings.answerAttributes);
        const TimePoint deadline = deadlineAfter(stepTimeoutMs);
        const std::string opening = awaitOpening(program, deadline);
        figures.startupMs.push_back(millisecondsBetween(start, benchNow()));
        waitForRawMode(program, deadline);
        figures.firstRowMs.push_back(timeKeyRows(program, std::string_view(&firstKey, 1), 1, codes));
        if (codes.front() != firstKey) {
          failProgram(program, "the first letter gave code " + std::to_string(codes.front()));
        }
        if (figures.openingText.empty()) {
          figures.openingText = opening;
        }
        recordClosing(figures, endProgram(program));
      }
    }
  } catch (const std::exception& error) {
    results.failures.push_back(std::string("start-up: ") + error.what());
  }
}
