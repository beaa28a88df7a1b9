#pragma once

// The table of figures, goals and verdicts.

#include "benchTypes.hpp"

void printReport(const BenchSettings& settings, const BenchResults& results);
