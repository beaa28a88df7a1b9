#include <string>
#include <string_view>
#include <vector>

#include "keyPress.hpp"
#include "measures.hpp"
#include "programPair.hpp"

namespace {

constexpr std::string_view cursorUpBytes = "\x1b[A";
constexpr std::string_view escapeByte = "\x1b";
// Escape as a terminal with the enhanced key reports sends it.
constexpr std::string_view enhancedEscapeBytes = "\x1b[27u";
// keycodes gives a lead code and a second code for Up; minimal_keys gives
// one row per byte.
constexpr std::size_t keycodesCursorRows = 2;
constexpr std::size_t keycodesEscapeRows = 1;

std::size_t rowsExpected(int index, std::string_view keys, std::size_t keycodesRows) {
  return index == keycodesIndex ? keycodesRows : keys.size();
}

// Where one key's figures go in each program's figures: the time of every
// press, and every code the first press gave, extra rows included.
struct KeyFigures {
  std::vector<double> ProgramFigures::*milliseconds;
  std::vector<int> ProgramFigures::*firstCodes;
};

// Presses `keys` on each program in turn, `presses` times, and keeps the
// figures where `figures` says.
void timeKeyOnPair(const BenchSettings& settings, BenchResults& results, const std::string& phase,
                   std::string_view keys, std::size_t keycodesRows, int presses, KeyFigures figures) {
  runWithPair(settings, results, phase, [&](PtyProgram(&programs)[programCount]) {
    std::vector<int> codes;
    for (int press = 0; press < presses; ++press) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(press, position);
        ProgramFigures& programFigures = results.figures[index];
        (programFigures.*figures.milliseconds)
            .push_back(timeKeyRows(programs[index], keys, rowsExpected(index, keys, keycodesRows), codes));
        const std::vector<int> extra = rowsBeforeSentinel(programs[index]);
        if (press == 0) {
          codes.insert(codes.end(), extra.begin(), extra.end());
          programFigures.*figures.firstCodes = codes;
        }
      }
    }
  });
}

}  // namespace

void measureCursorKey(const BenchSettings& settings, BenchResults& results) {
  timeKeyOnPair(settings, results, "cursor key", cursorUpBytes, keycodesCursorRows, settings.cursorPresses,
                {&ProgramFigures::cursorMs, &ProgramFigures::cursorCodes});
}

void measureLoneEscape(const BenchSettings& settings, BenchResults& results) {
  timeKeyOnPair(settings, results, "lone Escape", escapeByte, keycodesEscapeRows, settings.escapePresses,
                {&ProgramFigures::escapeMs, &ProgramFigures::escapeCodes});
}

void measureEnhancedEscape(const BenchSettings& settings, BenchResults& results) {
  BenchSettings enhanced = settings;
  enhanced.answerEnhancedKeys = true;
  timeKeyOnPair(enhanced, results, "Escape with enhanced keys", enhancedEscapeBytes, keycodesEscapeRows,
                settings.escapePresses, {&ProgramFigures::enhancedEscapeMs, &ProgramFigures::enhancedEscapeCodes});
}
