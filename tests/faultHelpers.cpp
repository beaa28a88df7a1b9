#include "faultHelpers.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "captureOutput.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t contextBytes = 80;
constexpr std::size_t chunkSize = 4096;
constexpr int pollStepMs = 10;
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

void writeAll(BackgroundWriter& writer, int master, const std::string& bytes, Clock::time_point deadline) {
  std::size_t done = 0;
  while (done < bytes.size() && !writer.stop && Clock::now() < deadline) {
    pollfd poller{master, POLLOUT, 0};
    if (poll(&poller, 1, pollStepMs) <= 0) {
      continue;
    }
    const ssize_t count = write(master, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
      writer.written = done;
    } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
      return;
    }
  }
}

std::string around(const std::string& text, std::size_t at) {
  const std::size_t start = at > contextBytes ? at - contextBytes : 0;
  return visibleBytes(text.substr(start, 2 * contextBytes));
}

}  // namespace

std::string readUntilContains(const PtyProcess& process, std::string_view needle, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::string output;
  while (output.find(needle) == std::string::npos && Clock::now() < deadline) {
    const std::string more = readAvailable(process, readStep);
    output += more;
  }
  return output;
}

std::string readOnce(const PtyProcess& process, milliseconds timeout) {
  pollfd poller{process.master, POLLIN, 0};
  if (poll(&poller, 1, static_cast<int>(timeout.count())) <= 0) {
    return {};
  }
  std::string chunk(chunkSize, '\0');
  const ssize_t count = read(process.master, chunk.data(), chunk.size());
  chunk.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  return chunk;
}

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

void startWriting(BackgroundWriter& writer, int master, std::string bytes, milliseconds timeout) {
  // Non-blocking, so that a write never outlasts the tool reading the keys.
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  const auto deadline = Clock::now() + timeout;
  writer.thread =
      std::thread([&writer, master, deadline](const std::string& all) { writeAll(writer, master, all, deadline); },
                  std::move(bytes));
}

void stopWriting(BackgroundWriter& writer) {
  writer.stop = true;
  if (writer.thread.joinable()) {
    writer.thread.join();
  }
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
