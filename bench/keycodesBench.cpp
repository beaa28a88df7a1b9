// keycodes_bench: runs keycodes and minimal_keys side by side in
// pseudo-terminals and compares start-up, key latency, burst throughput,
// memory, a mixed burst checked row by row, and the timing of cursor keys
// and a lone Escape.
//
// Usage: keycodes_bench [--quick] [--no-pin] [--no-answer] [--keycodes PATH] [--minimal PATH]
//
// --quick: fewer iterations; --no-pin: leave the CPU choice to the kernel;
// --no-answer: leave the keyboard query unanswered, as a terminal that
// answers nothing would.
//
// Not a test: it is run by hand and reports figures against goals.

#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "benchReport.hpp"
#include "benchTypes.hpp"
#include "measures.hpp"

namespace {

constexpr int usageStatus = 2;
constexpr int failedStatus = 1;

// Pins the calling process, and so every child it starts later, to the
// last CPU it may run on. Returns that CPU, or -1 when it could not pin.
int pinToOneCpu() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    return -1;
  }
  for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu) {
    if (CPU_ISSET(cpu, &allowed)) {
      cpu_set_t chosen;
      CPU_ZERO(&chosen);
      CPU_SET(cpu, &chosen);
      return sched_setaffinity(0, sizeof chosen, &chosen) == 0 ? cpu : -1;
    }
  }
  return -1;
}

// The load averages and the CPU count, to judge how noisy the figures are.
std::string systemLoad() {
  std::ifstream loadFile("/proc/loadavg");
  std::string one;
  std::string five;
  std::string fifteen;
  if (!(loadFile >> one >> five >> fifteen)) {
    return "load average unknown";
  }
  return "load average " + one + " " + five + " " + fifteen + " on " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) +
         " CPUs";
}

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
      settings.answer = KeyboardAnswer::none;
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
  measureMixedBurst(settings, results);
  measureCursorAndEscape(settings, results);
  std::printf("after:  %s\n", systemLoad().c_str());
  printReport(settings, results);
  return results.failures.empty() ? 0 : failedStatus;
}
