#include "measures.hpp"

#include <exception>
#include <string>
#include <string_view>

#include "benchProgram.hpp"
#include "keyBurst.hpp"
#include "transcript.hpp"

namespace {

constexpr int letterCount = 26;
constexpr std::chrono::milliseconds burstTimeout(20'000);
constexpr double millisecondsPerSecond = 1000.0;
// One burst each first, not counted: it pays for first-touch page faults.
constexpr int warmupBursts = 1;
constexpr unsigned mixedBurstSeed = 20240611;
constexpr char sentinelKey = 'z';
constexpr std::size_t maxExtraRows = 8;

char letterFor(int number) { return static_cast<char>('a' + number % letterCount); }

void expectCodes(const BenchProgram& program, const std::vector<int>& codes, const std::vector<int>& expected) {
  for (std::size_t index = 0; index < expected.size(); ++index) {
    if (index >= codes.size() || codes[index] != expected[index]) {
      failProgram(program, "row " + std::to_string(index) + " shows " +
                               (index < codes.size() ? std::to_string(codes[index]) : "nothing") + " for " +
                               std::to_string(expected[index]) + ": a row lost or out of order");
    }
  }
}

// Offers the burst, keeps writing what the terminal did not take while
// reading rows, and returns the milliseconds until all `rowCount` rows are
// back. The rows are parsed only after the clock stops.
double timeBurst(BenchProgram& program, std::string_view burst, std::size_t rowBytes, std::vector<int>& codes,
                 std::size_t rowCount) {
  const auto start = BenchClock::now();
  if (!sendBytesWhileReading(program.process, burst, program.screen, burstTimeout)) {
    failProgram(program, "did not take the whole burst");
  }
  awaitBytes(program, rowBytes, burstTimeout);
  const double milliseconds = millisecondsSince(start);
  codes = takeRows(program, rowCount, burstTimeout);
  return milliseconds;
}

// The rows a press gave beyond those timed: a letter is pressed after it,
// and every row before the letter's row is an extra.
std::vector<int> rowsBeforeSentinel(BenchProgram& program) {
  sendBytes(program.process, std::string(1, sentinelKey));
  std::vector<int> extra;
  for (;;) {
    const int code = takeRows(program, 1, stepTimeout).front();
    if (code == sentinelKey) {
      return extra;
    }
    extra.push_back(code);
    if (extra.size() > maxExtraRows) {
      failProgram(program, "the letter after a key never gave its row");
    }
  }
}

// Where one key's figures go in each program's figures.
struct KeyFigures {
  std::vector<double> ProgramFigures::*milliseconds;
  std::vector<int> ProgramFigures::*firstCodes;
};

// Presses `keys` on each program in turn, `presses` times, timing until
// `keycodesRows` rows are back from keycodes and one row per byte from the
// minimal program; the first press's codes include any extra rows.
void timeKeyOnPair(const BenchSettings& settings, BenchResults& results, const std::string& phase,
                   std::string_view keys, std::size_t keycodesRows, int presses, KeyFigures figures) {
  runWithPair(settings, results, phase, [&](BenchProgram(&programs)[programCount]) {
    std::vector<int> codes;
    for (int press = 0; press < presses; ++press) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(press, position);
        ProgramFigures& programFigures = results.figures[index];
        const std::size_t rows = index == keycodesIndex ? keycodesRows : keys.size();
        (programFigures.*figures.milliseconds).push_back(timeKeyRows(programs[index], keys, rows, codes));
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

void measureStartup(const BenchSettings& settings, BenchResults& results) {
  try {
    for (int run = 0; run < settings.startupRuns; ++run) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(run, position);
        ProgramFigures& figures = results.figures[index];
        BenchProgram program;
        const auto start = BenchClock::now();
        startProgram(program, settings, index);
        figures.startupMs.push_back(millisecondsSince(start));
        const auto raw = BenchClock::now();
        settleProgram(program, settings, index);
        figures.firstRowMs.push_back(millisecondsSince(raw));
        endProgram(program, figures);
      }
    }
  } catch (const std::exception& error) {
    results.failures.push_back(std::string("start-up: ") + error.what());
  }
}

void measureKeyLatency(const BenchSettings& settings, BenchResults& results) {
  runWithPair(settings, results, "key latency", [&](BenchProgram(&programs)[programCount]) {
    std::vector<int> codes;
    for (int key = 0; key < settings.warmupKeys + settings.latencyKeys; ++key) {
      const char letter = letterFor(key);
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(key, position);
        const double milliseconds = timeKeyRows(programs[index], std::string(1, letter), 1, codes);
        expectCodes(programs[index], codes, {letter});
        if (key >= settings.warmupKeys) {
          results.figures[index].latencyMs.push_back(milliseconds);
        }
      }
    }
  });
}

void measureThroughput(const BenchSettings& settings, BenchResults& results) {
  std::string burst;
  std::vector<int> expected;
  for (int index = 0; index < settings.burstBytes; ++index) {
    burst += letterFor(index);
    expected.push_back(letterFor(index));
  }
  const std::size_t burstScreenBytes = asTerminalShowsIt(expectedRows(expected)).size();
  runWithPair(settings, results, "throughput", [&](BenchProgram(&programs)[programCount]) {
    std::vector<int> codes;
    for (int round = 0; round < warmupBursts + settings.bursts; ++round) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(round, position);
        const double milliseconds = timeBurst(programs[index], burst, burstScreenBytes, codes, expected.size());
        expectCodes(programs[index], codes, expected);
        if (round >= warmupBursts) {
          results.figures[index].burstRowsPerSecond.push_back(static_cast<double>(expected.size()) *
                                                              millisecondsPerSecond / milliseconds);
        }
      }
    }
  });
}

void measureMixedBurst(const BenchSettings& settings, BenchResults& results) {
  const KeyBurst burst = mixedKeyBurst(static_cast<std::size_t>(settings.mixedBurstBytes), mixedBurstSeed);
  runWithPair(settings, results, "mixed burst", [&](BenchProgram(&programs)[programCount]) {
    for (int index = 0; index < programCount; ++index) {
      // keycodes decodes the keys; the minimal program gives a row per byte.
      std::vector<int> expected = burst.codes;
      if (index == minimalIndex) {
        expected.assign(burst.bytes.begin(), burst.bytes.end());
        for (int& code : expected) {
          code &= 0xFF;
        }
      }
      ProgramFigures& figures = results.figures[index];
      figures.mixedRowsExpected = expected.size();
      std::vector<int> codes;
      // keycodes shows control and high bytes in caret notation on the
      // terminal; the minimal program writes the raw byte.
      const std::size_t screenBytes = asTerminalShowsIt(expectedRows(expected, index == keycodesIndex)).size();
      timeBurst(programs[index], burst.bytes, screenBytes, codes, expected.size());
      expectCodes(programs[index], codes, expected);
      figures.mixedRowsInOrder = codes.size();
    }
  });
}

void measureCursorAndEscape(const BenchSettings& settings, BenchResults& results) {
  // keycodes gives a lead code and a second code for Up, one row for Escape.
  timeKeyOnPair(settings, results, "cursor key", "\x1b[A", 2, settings.cursorPresses,
                {&ProgramFigures::cursorMs, &ProgramFigures::cursorCodes});
  timeKeyOnPair(settings, results, "lone Escape", "\x1b", 1, settings.escapePresses,
                {&ProgramFigures::escapeMs, &ProgramFigures::escapeCodes});
  BenchSettings enhanced = settings;
  enhanced.answer = KeyboardAnswer::enhancedKeys;
  timeKeyOnPair(enhanced, results, "Escape with enhanced keys", "\x1b[27u", 1, settings.escapePresses,
                {&ProgramFigures::enhancedEscapeMs, &ProgramFigures::enhancedEscapeCodes});
}
