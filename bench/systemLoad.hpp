#pragma once

// How busy the machine is, to judge how noisy the figures may be.

#include <string>

// The 1, 5 and 15 minute load averages and the CPU count, as one line.
std::string systemLoad();
