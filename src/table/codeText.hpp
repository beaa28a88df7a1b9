#pragma once

#include <string>

// The digits of `value` in `base` (2 to 16), lowercase, with no prefix and no
// leading zeros. Base 10 writes a negative value with a minus sign; every
// other base reads the value's 32 bits as an unsigned number, so -1 is
// "ffffffff" in base 16. A base outside 2 to 16 is a caller error and ends
// the process through std::abort in every build type.
std::string codeToText(int value, int base);
