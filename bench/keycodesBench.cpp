// keycodes_bench: runs keycodes and minimal_keys side by side in
// pseudo-terminals and compares start-up, key latency, throughput, memory
// and the timing of cursor keys and a lone Escape.
//
// Usage: keycodes_bench [--quick] [--no-pin] [--no-answer] [--keycodes PATH] [--minimal PATH]
//
// --quick: fewer iterations; --no-pin: leave the CPU choice to the kernel;
// --no-answer: leave device attributes requests unanswered, as a terminal
// that answers nothing would.
//
// Not a test: it is run by hand and reports figures against goals.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "benchReport.hpp"
#include "benchTypes.hpp"
#include "cpuPinning.hpp"
#include "measures.hpp"
#include "systemLoad.hpp"

namespace {

constexpr int usageStatus = 2;
constexpr int failedStatus = 1;

void useQuickCounts(BenchSettings& settings) {
  settings.startupRuns = 10;
  settings.warmupKeys = 10;
  settings.latencyKeys = 100;
  settings.bursts = 1;
  settings.cursorPresses = 10;
  settings.escapePresses = 5;
}

// Reads the options into `settings`; false on a usage error.
bool readOptions(int argc, char** argv, BenchSettings& settings) {
  for (int index = 1; index < argc; ++index) {
    const std::string_view option = argv[index];
    const bool hasValue = index + 1 < argc;
    if (option == "--quick") {
      useQuickCounts(settings);
    } else if (option == "--no-pin") {
      settings.pinned = false;
    } else if (option == "--no-answer") {
      settings.answerAttributes = false;
    } else if (option == "--keycodes" && hasValue) {
      settings.paths[keycodesIndex] = argv[++index];
    } else if (option == "--minimal" && hasValue) {
      settings.paths[minimalIndex] = argv[++index];
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  BenchSettings settings;
  settings.paths[keycodesIndex] = KEYCODES_PATH;
  settings.paths[minimalIndex] = MINIMAL_KEYS_PATH;
  if (!readOptions(argc, argv, settings)) {
    std::fprintf(stderr, "usage: %s [--quick] [--no-pin] [--no-answer] [--keycodes PATH] [--minimal PATH]\n", argv[0]);
    return usageStatus;
  }
  // The same terminal type for every run, whatever the bench was started in.
  setenv("TERM", "xterm", 1);
  const int cpu = settings.pinned ? pinToOneCpu() : -1;
  std::printf("keycodes %s\nminimal  %s\n", settings.paths[keycodesIndex].c_str(),
              settings.paths[minimalIndex].c_str());
  if (cpu >= 0) {
    std::printf("benchmark and both programs pinned to CPU %d\n", cpu);
  } else {
    std::printf("not pinned to a CPU\n");
  }
  std::printf("before: %s\n", systemLoad().c_str());
  std::fflush(stdout);
  BenchResults results;
  measureStartup(settings, results);
  measureKeyLatency(settings, results);
  measureThroughput(settings, results);
  measureCursorKey(settings, results);
  measureLoneEscape(settings, results);
  measureEnhancedEscape(settings, results);
  std::printf("after:  %s\n", systemLoad().c_str());
  printReport(settings, results);
  return results.failures.empty() ? 0 : failedStatus;
}
