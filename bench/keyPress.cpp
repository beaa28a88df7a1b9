#include "keyPress.hpp"

#include "benchClock.hpp"
#include "ptyReader.hpp"
#include "tableRow.hpp"

namespace {

constexpr char sentinelKey = 'z';
constexpr std::size_t maxExtraRows = 8;

}  // namespace

double timeKeyRows(PtyProgram& program, std::string_view keys, std::size_t rowCount, std::vector<int>& codes) {
  if (!program.output.empty()) {
    failProgram(program, "wrote unexpected output: " + printable(program.output));
  }
  const TimePoint deadline = deadlineAfter(stepTimeoutMs);
  const TimePoint start = benchNow();
  sendBytes(program, keys, deadline);
  awaitBytes(program, rowCount * rowBytes, deadline, "the rows of " + printable(keys));
  const TimePoint end = benchNow();
  codes = takeRows(program, rowCount);
  return millisecondsBetween(start, end);
}

std::vector<int> rowsBeforeSentinel(PtyProgram& program) {
  const TimePoint deadline = deadlineAfter(stepTimeoutMs);
  sendBytes(program, std::string_view(&sentinelKey, 1), deadline);
  std::vector<int> extra;
  for (;;) {
    awaitBytes(program, rowBytes, deadline, "the row of the letter after a key");
    const int code = takeRows(program, 1).front();
    if (code == sentinelKey) {
      return extra;
    }
    extra.push_back(code);
    if (extra.size() > maxExtraRows) {
      failProgram(program, "the letter after a key never gave its row");
    }
  }
}
