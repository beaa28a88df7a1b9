#include "benchReport.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "benchStats.hpp"

namespace {

// The tool links the C library dynamically (hardened, with security
// updates): its start-up may trail the minimal program by up to 1.5 ms and
// its peak memory stay under 2.5 MB.
constexpr double startupSlackMs = 1.5;
constexpr double latencyRatioLimit = 1.10;
constexpr double throughputRatioLimit = 0.90;
constexpr long memoryLimitKb = 2560;
constexpr double escapeWaitMs = 25.0;
constexpr double escapeToleranceMs = 1.0;
constexpr double tailFraction = 0.99;
constexpr int leadCodeZero = 0;
constexpr int leadCodeExtended = 224;
constexpr int escapeCode = 27;

const char* verdict(double value, bool passed) {
  if (std::isnan(value)) {
    return "n/a";
  }
  return passed ? "PASS" : "MISS";
}

std::string formatNumber(const char* format, double value) {
  if (std::isnan(value)) {
    return "-";
  }
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string milliseconds(double value) { return formatNumber("%.3f ms", value); }

std::string codesText(const std::vector<int>& codes) {
  std::string text;
  for (const int code : codes) {
    if (!text.empty()) {
      text += ' ';
    }
    text += std::to_string(code);
  }
  return text.empty() ? "-" : text;
}

void printLine(const std::string& measure, const std::string& keycodes, const std::string& minimal, double ratio,
               const std::string& goal, const char* result) {
  std::printf("%-36s %14s %14s %6s  %-38s %s\n", measure.c_str(), keycodes.c_str(), minimal.c_str(),
              formatNumber("%.2f", ratio).c_str(), goal.c_str(), result);
}

double peakKb(const ProgramFigures& figures) {
  if (figures.peakResidentKb.empty()) {
    return std::nan("");
  }
  return static_cast<double>(*std::max_element(figures.peakResidentKb.begin(), figures.peakResidentKb.end()));
}

void printStartup(const BenchResults& results) {
  const std::vector<double>& keycodesMs = results.figures[keycodesIndex].startupMs;
  const std::vector<double>& minimalMs = results.figures[minimalIndex].startupMs;
  const double keycodes = median(keycodesMs);
  const double minimal = median(minimalMs);
  printLine("1 start-up, median of " + std::to_string(keycodesMs.size()), milliseconds(keycodes), milliseconds(minimal),
            keycodes / minimal, "keycodes - minimal <= 1.5 ms",
            verdict(keycodes - minimal, keycodes - minimal <= startupSlackMs));
  std::printf("  keycodes - minimal %s; fastest start: keycodes %s, minimal %s\n",
              milliseconds(keycodes - minimal).c_str(), milliseconds(smallest(keycodesMs)).c_str(),
              milliseconds(smallest(minimalMs)).c_str());
}

void printFirstRow(const BenchSettings& settings, const BenchResults& results) {
  const ProgramFigures& keycodes = results.figures[keycodesIndex];
  const ProgramFigures& minimal = results.figures[minimalIndex];
  const double keycodesMs = median(keycodes.firstRowMs);
  const double minimalMs = median(minimal.firstRowMs);
  printLine("  first key's row after start, median", milliseconds(keycodesMs), milliseconds(minimalMs),
            keycodesMs / minimalMs, "info: letter sent once raw", "info");
  std::printf("  control sequences per run: keycodes %d, %d of them device attributes requests (%s); minimal %d\n",
              keycodes.controlSequences, keycodes.attributeRequests,
              settings.answerAttributes ? "answered as a plain terminal" : "left unanswered", minimal.controlSequences);
}

void printLatency(const BenchResults& results) {
  const std::vector<double>& keycodesMs = results.figures[keycodesIndex].latencyMs;
  const std::vector<double>& minimalMs = results.figures[minimalIndex].latencyMs;
  const std::string count = std::to_string(keycodesMs.size());
  const double medianRatio = median(keycodesMs) / median(minimalMs);
  printLine("2 key-to-row latency, median of " + count, milliseconds(median(keycodesMs)),
            milliseconds(median(minimalMs)), medianRatio, "ratio <= 1.10",
            verdict(medianRatio, medianRatio <= latencyRatioLimit));
  const double tailRatio = percentile(keycodesMs, tailFraction) / percentile(minimalMs, tailFraction);
  printLine("  key-to-row latency, p99 of " + count, milliseconds(percentile(keycodesMs, tailFraction)),
            milliseconds(percentile(minimalMs, tailFraction)), tailRatio, "ratio <= 1.10",
            verdict(tailRatio, tailRatio <= latencyRatioLimit));
}

void printThroughput(const BenchSettings& settings, const BenchResults& results) {
  const std::vector<double>& keycodesRate = results.figures[keycodesIndex].burstRowsPerSecond;
  const std::vector<double>& minimalRate = results.figures[minimalIndex].burstRowsPerSecond;
  // Each round runs one burst of each back to back: the ratio within a
  // round compares the two under the same load.
  const double ratio = median(pairedRatios(keycodesRate, minimalRate));
  printLine("3 throughput, " + std::to_string(settings.burstBytes) + "-key burst, median",
            formatNumber("%.0f rows/s", median(keycodesRate)), formatNumber("%.0f rows/s", median(minimalRate)), ratio,
            "median round ratio >= 0.90", verdict(ratio, ratio >= throughputRatioLimit));
  std::printf("  %zu + %zu bursts, every row counted and its decimal checked in order; best: %s vs %s rows/s\n",
              keycodesRate.size(), minimalRate.size(), formatNumber("%.0f", largest(keycodesRate)).c_str(),
              formatNumber("%.0f", largest(minimalRate)).c_str());
}

void printMemory(const BenchResults& results) {
  const double keycodes = peakKb(results.figures[keycodesIndex]);
  const double minimal = peakKb(results.figures[minimalIndex]);
  printLine("4 peak resident memory (VmHWM), max", formatNumber("%.0f kB", keycodes), formatNumber("%.0f kB", minimal),
            keycodes / minimal, "keycodes < 2560 kB", verdict(keycodes, keycodes < static_cast<double>(memoryLimitKb)));
  for (int index = 0; index < programCount; ++index) {
    std::printf("  resident kB by mapping at the prompt, %s: %s\n", programName(index),
                results.figures[index].residentByMapping.c_str());
  }
}

void printCursor(const BenchResults& results) {
  const ProgramFigures& keycodes = results.figures[keycodesIndex];
  const ProgramFigures& minimal = results.figures[minimalIndex];
  const double keycodesMs = median(keycodes.cursorMs);
  const double minimalMs = median(minimal.cursorMs);
  const std::vector<int>& codes = keycodes.cursorCodes;
  const bool decoded = codes.size() == 2 && (codes.front() == leadCodeZero || codes.front() == leadCodeExtended);
  printLine("5 cursor Up (ESC [ A), median of " + std::to_string(keycodes.cursorMs.size()),
            milliseconds(keycodesMs) + " 2r", milliseconds(minimalMs) + " 3r", keycodesMs / minimalMs,
            "info: keycodes 2 rows vs minimal 3 rows",
            codes.empty() ? "n/a"
            : decoded     ? "ONE KEY"
                          : "NOT DECODED");
  std::printf("  codes of one Up press: keycodes %s; minimal %s\n", codesText(codes).c_str(),
              codesText(minimal.cursorCodes).c_str());
}

void printEscape(const BenchResults& results) {
  const ProgramFigures& keycodes = results.figures[keycodesIndex];
  const double keycodesMs = median(keycodes.escapeMs);
  const double minimalMs = median(results.figures[minimalIndex].escapeMs);
  const double letterMs = std::isnan(median(keycodes.latencyMs)) ? 0.0 : median(keycodes.latencyMs);
  const double ceilingMs = escapeWaitMs + letterMs + escapeToleranceMs;
  const bool within = keycodesMs >= escapeWaitMs && keycodesMs <= ceilingMs;
  printLine("6 lone Escape, median of " + std::to_string(keycodes.escapeMs.size()), milliseconds(keycodesMs),
            milliseconds(minimalMs) + " nw", std::nan(""), formatNumber("25 ms <= keycodes <= %.3f ms", ceilingMs),
            verdict(keycodesMs, within));
  std::printf("  keycodes excess over the 25 ms wait: %s (max %s); codes of one Escape press: %s\n",
              milliseconds(keycodesMs - escapeWaitMs).c_str(), milliseconds(largest(keycodes.escapeMs)).c_str(),
              codesText(keycodes.escapeCodes).c_str());
  if (!keycodes.escapeCodes.empty() && keycodes.escapeCodes.front() != escapeCode) {
    std::printf("  keycodes gave no 27 row first for a lone ESC\n");
  }
  if (!std::isnan(keycodesMs) && keycodesMs < escapeWaitMs) {
    std::printf("  keycodes answered a lone ESC without waiting: it reads one byte per call\n");
  }
}

// With the enhanced key reports Escape is a whole sequence: it should cost
// what any key costs, nowhere near the wait.
void printEnhancedEscape(const BenchResults& results) {
  const ProgramFigures& keycodes = results.figures[keycodesIndex];
  const double keycodesMs = median(keycodes.enhancedEscapeMs);
  const double letterMs = median(keycodes.latencyMs);
  const double ceilingMs = 2 * letterMs + escapeToleranceMs / 10;
  printLine("7 Escape as CSI 27 u, median of " + std::to_string(keycodes.enhancedEscapeMs.size()),
            milliseconds(keycodesMs), milliseconds(letterMs) + " kl", keycodesMs / letterMs,
            formatNumber("keycodes <= %.3f ms (2 letters + 0.1)", ceilingMs),
            verdict(keycodesMs, keycodesMs <= ceilingMs));
  std::printf("  codes of one Escape press with enhanced keys: %s\n", codesText(keycodes.enhancedEscapeCodes).c_str());
}

void printOpeningCheck(const BenchResults& results) {
  const std::string& keycodes = results.figures[keycodesIndex].openingText;
  const std::string& minimal = results.figures[minimalIndex].openingText;
  if (!keycodes.empty() && keycodes != minimal) {
    std::printf("  note: the two programs print different opening text (%zu vs %zu bytes)\n", keycodes.size(),
                minimal.size());
  }
}

}  // namespace

void printReport(const BenchSettings& settings, const BenchResults& results) {
  std::printf("%-36s %14s %14s %6s  %-38s %s\n", "measure", "keycodes", "minimal", "ratio", "goal", "result");
  printStartup(results);
  printFirstRow(settings, results);
  printOpeningCheck(results);
  printLatency(results);
  printThroughput(settings, results);
  printMemory(results);
  printCursor(results);
  printEscape(results);
  printEnhancedEscape(results);
  std::printf(
      "  2r/3r: time to 2 or 3 rows; nw: minimal_keys never waits after ESC; kl: keycodes' letter latency;"
      " ratios are keycodes/minimal, in 7 keycodes/kl\n");
  for (const std::string& failure : results.failures) {
    std::printf("FAILED %s\n", failure.c_str());
  }
}
