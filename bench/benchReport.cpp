#include "benchReport.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// The goals, measured against the minimal program in the same run.
constexpr double startupSlackMs = 1.5;
constexpr double latencyRatioLimit = 1.10;
constexpr double throughputRatioGoal = 0.95;
constexpr double memoryLimitKb = 2560;
constexpr double escapeWaitMs = 25.0;
constexpr double escapeToleranceMs = 1.0;
constexpr double tailFraction = 0.99;

const double notMeasured = std::nan("");

// The sample below which `fraction` of the samples lie (nearest rank); the
// median for one half.
double percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) {
    return notMeasured;
  }
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[rank == 0 ? 0 : rank - 1];
}

double median(const std::vector<double>& samples) { return percentile(samples, 0.5); }

double smallest(const std::vector<double>& samples) { return percentile(samples, 0.0); }

std::string number(const char* format, double value) {
  if (std::isnan(value)) {
    return "-";
  }
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string milliseconds(double value) { return number("%.3f ms", value); }

const char* verdict(double value, bool passed) {
  if (std::isnan(value)) {
    return "n/a";
  }
  return passed ? "PASS" : "MISS";
}

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
  std::printf("| %s | %s | %s | %s | %s | %s |\n", measure.c_str(), keycodes.c_str(), minimal.c_str(),
              number("%.2f", ratio).c_str(), goal.c_str(), result);
}

// Median of the ratios of the samples taken in the same round.
double pairedRatio(const std::vector<double>& numerators, const std::vector<double>& denominators) {
  std::vector<double> ratios;
  for (std::size_t index = 0; index < numerators.size() && index < denominators.size(); ++index) {
    ratios.push_back(numerators[index] / denominators[index]);
  }
  return median(ratios);
}

}  // namespace

void printReport(const BenchSettings& settings, const BenchResults& results) {
  const ProgramFigures& keycodes = results.figures[keycodesIndex];
  const ProgramFigures& minimal = results.figures[minimalIndex];
  std::printf("| measure | keycodes | minimal | ratio | goal | result |\n|---|---|---|---|---|---|\n");

  const double startup = median(keycodes.startupMs);
  const double minimalStartup = median(minimal.startupMs);
  printLine("start-up to rule line, median of " + std::to_string(keycodes.startupMs.size()), milliseconds(startup),
            milliseconds(minimalStartup), startup / minimalStartup, "keycodes - minimal <= 1.5 ms",
            verdict(startup, startup - minimalStartup <= startupSlackMs));
  printLine("first letter's row once raw, median", milliseconds(median(keycodes.firstRowMs)),
            milliseconds(median(minimal.firstRowMs)), median(keycodes.firstRowMs) / median(minimal.firstRowMs),
            "info: keycodes asks the terminal first", "info");

  const std::string latencyCount = std::to_string(keycodes.latencyMs.size());
  const double latencyRatio = median(keycodes.latencyMs) / median(minimal.latencyMs);
  printLine("key-to-row latency, median of " + latencyCount, milliseconds(median(keycodes.latencyMs)),
            milliseconds(median(minimal.latencyMs)), latencyRatio, "ratio <= 1.10",
            verdict(latencyRatio, latencyRatio <= latencyRatioLimit));
  const double keycodesTail = percentile(keycodes.latencyMs, tailFraction);
  const double minimalTail = percentile(minimal.latencyMs, tailFraction);
  printLine("key-to-row latency, p99 of " + latencyCount, milliseconds(keycodesTail), milliseconds(minimalTail),
            keycodesTail / minimalTail, "info", "info");

  const double throughputRatio = pairedRatio(keycodes.burstRowsPerSecond, minimal.burstRowsPerSecond);
  printLine("burst throughput, " + std::to_string(settings.burstBytes) + " letters, median of " +
                std::to_string(keycodes.burstRowsPerSecond.size()),
            number("%.0f rows/s", median(keycodes.burstRowsPerSecond)),
            number("%.0f rows/s", median(minimal.burstRowsPerSecond)), throughputRatio, "round ratio >= 0.95",
            verdict(throughputRatio, throughputRatio >= throughputRatioGoal));

  const double keycodesPeak =
      keycodes.peakResidentKb.empty()
          ? notMeasured
          : static_cast<double>(*std::max_element(keycodes.peakResidentKb.begin(), keycodes.peakResidentKb.end()));
  const double minimalPeak =
      minimal.peakResidentKb.empty()
          ? notMeasured
          : static_cast<double>(*std::max_element(minimal.peakResidentKb.begin(), minimal.peakResidentKb.end()));
  printLine("peak resident memory (VmHWM), max", number("%.0f kB", keycodesPeak), number("%.0f kB", minimalPeak),
            keycodesPeak / minimalPeak, "keycodes < 2.5 MB (2560 kB)",
            verdict(keycodesPeak, keycodesPeak < memoryLimitKb));

  const bool allRows = keycodes.mixedRowsExpected > 0 && keycodes.mixedRowsInOrder == keycodes.mixedRowsExpected;
  printLine(number("mixed burst, %.0f bytes: rows in order", settings.mixedBurstBytes),
            std::to_string(keycodes.mixedRowsInOrder) + "/" + std::to_string(keycodes.mixedRowsExpected),
            std::to_string(minimal.mixedRowsInOrder) + "/" + std::to_string(minimal.mixedRowsExpected), notMeasured,
            "every row, in order",
            keycodes.mixedRowsExpected == 0 ? "n/a"
            : allRows                       ? "PASS"
                                            : "MISS");

  const double cursor = median(keycodes.cursorMs);
  printLine("cursor Up (ESC [ A), median", milliseconds(cursor) + " (2 rows)",
            milliseconds(median(minimal.cursorMs)) + " (3 rows)", cursor / median(minimal.cursorMs),
            "info: codes " + codesText(keycodes.cursorCodes), "info");

  const double escape = median(keycodes.escapeMs);
  const double ceiling = escapeWaitMs + median(keycodes.latencyMs) + escapeToleranceMs;
  printLine("lone Escape, median", milliseconds(escape), milliseconds(median(minimal.escapeMs)) + " (no wait)",
            notMeasured, number("25 ms <= keycodes <= %.3f ms", ceiling),
            verdict(escape, escape >= escapeWaitMs && escape <= ceiling));

  const double enhanced = median(keycodes.enhancedEscapeMs);
  const double letter = median(keycodes.latencyMs);
  const double enhancedCeiling = 2 * letter + escapeToleranceMs / 10;
  printLine("Escape as CSI 27 u, median", milliseconds(enhanced), milliseconds(letter) + " (keycodes' letter)",
            enhanced / letter, number("keycodes <= %.3f ms (2 letters + 0.1)", enhancedCeiling),
            verdict(enhanced, enhanced <= enhancedCeiling));

  std::printf("\nfastest start: keycodes %s, minimal %s; Escape codes: %s, with enhanced keys: %s\n",
              milliseconds(smallest(keycodes.startupMs)).c_str(), milliseconds(smallest(minimal.startupMs)).c_str(),
              codesText(keycodes.escapeCodes).c_str(), codesText(keycodes.enhancedEscapeCodes).c_str());
  for (int index = 0; index < programCount; ++index) {
    std::printf("resident kB by mapping at the prompt, %s: %s\n", programName(index),
                results.figures[index].residentByMapping.c_str());
  }
  for (const std::string& failure : results.failures) {
    std::printf("FAILED %s\n", failure.c_str());
  }
}
