// Standard output on Windows: the C runtime's _write on descriptor 1, which
// in text mode turns each line feed into CR LF, as the text-mode stream did.

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "console/standardOutput.hpp"

int writeStandardOutput(const char* bytes, std::size_t count) {
  constexpr std::size_t largestWrite = INT_MAX / 2;
  while (count > 0) {
    const auto chunk = static_cast<unsigned>(std::min(count, largestWrite));
    const int written = _write(1, bytes, chunk);
    if (written <= 0) {
      return written < 0 && errno != 0 ? errno : EIO;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return 0;
}
