#include "benchStats.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

double median(std::vector<double> samples) {
  if (samples.empty()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const std::size_t middle = samples.size() / 2;
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(middle), samples.end());
  const double upper = samples[middle];
  if (samples.size() % 2 != 0) {
    return upper;
  }
  const double lower = *std::max_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(middle));
  return (lower + upper) / 2;
}

double percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[rank == 0 ? 0 : rank - 1];
}

double largest(const std::vector<double>& samples) {
  if (samples.empty()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return *std::max_element(samples.begin(), samples.end());
}

double smallest(const std::vector<double>& samples) {
  if (samples.empty()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return *std::min_element(samples.begin(), samples.end());
}

std::vector<double> pairedRatios(const std::vector<double>& numerators, const std::vector<double>& denominators) {
  std::vector<double> ratios;
  for (std::size_t index = 0; index < numerators.size() && index < denominators.size(); ++index) {
    ratios.push_back(numerators[index] / denominators[index]);
  }
  return ratios;
}
