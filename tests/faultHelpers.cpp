#include "faultHelpers.hpp"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "transcript.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t contextBytes = 80;
constexpr milliseconds readStep(2);

#if defined(__SANITIZE_ADDRESS__)
constexpr double sanitizerScale = 3.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double sanitizerScale = 3.0;
#else
constexpr double sanitizerScale = 1.0;
#endif
#else
constexpr double sanitizerScale = 1.0;
#endif

std::string around(const std::string& text, std::size_t at) {
  const std::size_t start = at > contextBytes ? at - contextBytes : 0;
  return visibleBytes(text.substr(start, 2 * contextBytes));
}

}  // namespace

int waitWhileReading(PtyProcess& process, std::string& output, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  int status = 0;
  while (Clock::now() < deadline) {
    if (waitpid(process.pid, &status, WNOHANG) == process.pid) {
      process.pid = -1;
      output += readAvailable(process, milliseconds(20));
      return status;
    }
    output += readAvailable(process, readStep);
  }
  kill(process.pid, SIGKILL);
  waitpid(process.pid, &status, 0);
  process.pid = -1;
  return -1;
}

std::string firstDifference(const std::string& actual, const std::string& expected) {
  const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
  return "first difference at byte " + std::to_string(at) + " of " + std::to_string(actual.size()) + " (expected " +
         std::to_string(expected.size()) + ")\n  got:      ..." + around(actual, at) + "...\n  expected: ..." +
         around(expected, at) + "...";
}

std::string withoutEvery(std::string text, std::string_view part, int& count) {
  count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
    text.erase(at, part.size());
    ++count;
  }
  return text;
}

double timeScale() {
  const char* fromEnvironment = std::getenv("KEYCODES_TEST_TIME_SCALE");
  const double extra = fromEnvironment != nullptr ? std::strtod(fromEnvironment, nullptr) : 1.0;
  return sanitizerScale * (extra >= 1.0 ? extra : 1.0);
}

milliseconds scaled(milliseconds bound) {
  return milliseconds(static_cast<long long>(static_cast<double>(bound.count()) * timeScale()));
}

bool underValgrind() {
  const char* preloaded = std::getenv("LD_PRELOAD");
  return preloaded != nullptr && std::string_view(preloaded).find("vgpreload") != std::string_view::npos;
}

int countOf(const std::string& text, std::string_view part) {
  int count = 0;
  withoutEvery(text, part, count);
  return count;
}
