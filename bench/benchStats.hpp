#pragma once

// Order statistics of a set of samples.

#include <vector>

double median(std::vector<double> samples);

// The sample below which `fraction` of the samples lie (nearest rank).
double percentile(std::vector<double> samples, double fraction);

double largest(const std::vector<double>& samples);

double smallest(const std::vector<double>& samples);

// The ratios numerators[i] / denominators[i] of paired samples.
std::vector<double> pairedRatios(const std::vector<double>& numerators, const std::vector<double>& denominators);
