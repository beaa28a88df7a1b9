#include "table/codeText.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr char digitAlphabet[] = "0123456789abcdef";
constexpr int lowestBase = 2;
constexpr int highestBase = 16;
}  // namespace

std::string codeToText(int value, int base) {
  if (base < lowestBase || base > highestBase) {
    std::abort();
  }
  // The magnitude is taken as an unsigned 32-bit number, so the lowest int
  // has one in base 10 and every other base sees the two's complement bits.
  const bool negative = base == 10 && value < 0;
  auto number = static_cast<std::uint32_t>(value);
  if (negative) {
    number = 0U - number;
  }
  const auto unsignedBase = static_cast<std::uint32_t>(base);
  std::string digits;
  do {
    digits.push_back(digitAlphabet[number % unsignedBase]);
    number /= unsignedBase;
  } while (number != 0);
  if (negative) {
    digits.push_back('-');
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}
