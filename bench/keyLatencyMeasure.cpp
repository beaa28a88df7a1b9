#include <string>
#include <vector>

#include "keyPress.hpp"
#include "measures.hpp"
#include "programPair.hpp"

namespace {

constexpr int letterCount = 26;

char letterFor(int keyNumber) { return static_cast<char>('a' + keyNumber % letterCount); }

}  // namespace

void measureKeyLatency(const BenchSettings& settings, BenchResults& results) {
  runWithPair(settings, results, "key latency", [&](PtyProgram(&programs)[programCount]) {
    std::vector<int> codes;
    for (int key = 0; key < settings.warmupKeys + settings.latencyKeys; ++key) {
      const char letter = letterFor(key);
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(key, position);
        PtyProgram& program = programs[index];
        const double milliseconds = timeKeyRows(program, std::string_view(&letter, 1), 1, codes);
        if (codes.front() != letter) {
          failProgram(program, "letter " + std::string(1, letter) + " gave code " + std::to_string(codes.front()));
        }
        if (key >= settings.warmupKeys) {
          results.figures[index].latencyMs.push_back(milliseconds);
        }
      }
    }
  });
}
