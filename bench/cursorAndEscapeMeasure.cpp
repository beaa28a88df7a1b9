#include <string>
#include <string_view>
#include <utility>
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

// Times and codes of one key pressed on both programs.
struct KeyTimings {
  std::vector<double> milliseconds[programCount];
  // Every code the first press gave, extra rows included.
  std::vector<int> firstCodes[programCount];
};

// Presses `keys` on each program in turn, `presses` times.
KeyTimings timeKeyOnPair(const BenchSettings& settings, BenchResults& results, const std::string& phase,
                         std::string_view keys, std::size_t keycodesRows, int presses) {
  KeyTimings timings;
  runWithPair(settings, results, phase, [&](PtyProgram(&programs)[programCount]) {
    std::vector<int> codes;
    for (int press = 0; press < presses; ++press) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(press, position);
        timings.milliseconds[index].push_back(
            timeKeyRows(programs[index], keys, rowsExpected(index, keys, keycodesRows), codes));
        const std::vector<int> extra = rowsBeforeSentinel(programs[index]);
        if (press == 0) {
          codes.insert(codes.end(), extra.begin(), extra.end());
          timings.firstCodes[index] = codes;
        }
      }
    }
  });
  return timings;
}

}  // namespace

void measureCursorKey(const BenchSettings& settings, BenchResults& results) {
  KeyTimings timings =
      timeKeyOnPair(settings, results, "cursor key", cursorUpBytes, keycodesCursorRows, settings.cursorPresses);
  for (int index = 0; index < programCount; ++index) {
    results.figures[index].cursorMs = std::move(timings.milliseconds[index]);
    results.figures[index].cursorCodes = std::move(timings.firstCodes[index]);
  }
}

void measureLoneEscape(const BenchSettings& settings, BenchResults& results) {
  KeyTimings timings =
      timeKeyOnPair(settings, results, "lone Escape", escapeByte, keycodesEscapeRows, settings.escapePresses);
  for (int index = 0; index < programCount; ++index) {
    results.figures[index].escapeMs = std::move(timings.milliseconds[index]);
    results.figures[index].escapeCodes = std::move(timings.firstCodes[index]);
  }
}

void measureEnhancedEscape(const BenchSettings& settings, BenchResults& results) {
  BenchSettings enhanced = settings;
  enhanced.answerEnhancedKeys = true;
  KeyTimings timings = timeKeyOnPair(enhanced, results, "Escape with enhanced keys", enhancedEscapeBytes,
                                     keycodesEscapeRows, settings.escapePresses);
  for (int index = 0; index < programCount; ++index) {
    results.figures[index].enhancedEscapeMs = std::move(timings.milliseconds[index]);
    results.figures[index].enhancedEscapeCodes = std::move(timings.firstCodes[index]);
  }
}
