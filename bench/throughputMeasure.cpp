#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "measures.hpp"
#include "programPair.hpp"
#include "ptyReader.hpp"
#include "tableRow.hpp"

namespace {

constexpr int letterCount = 26;
constexpr int burstTimeoutMs = 5000;
constexpr double millisecondsPerSecond = 1000.0;
// One burst each first, not counted: it pays for first-touch page faults.
constexpr int warmupBursts = 1;

std::string letterBurst(int length) {
  std::string burst;
  burst.reserve(static_cast<std::size_t>(length));
  for (int index = 0; index < length; ++index) {
    burst += static_cast<char>('a' + index % letterCount);
  }
  return burst;
}

// Writes what the terminal takes of the rest of `burst` without waiting.
std::size_t writeSome(PtyProgram& program, const std::string& burst, std::size_t written) {
  const ssize_t count = write(program.masterFd, burst.data() + written, burst.size() - written);
  if (count > 0) {
    return written + static_cast<std::size_t>(count);
  }
  if (count < 0 && errno != EAGAIN && errno != EINTR) {
    failProgram(program, "the terminal cannot be written");
  }
  return written;
}

// Offers the whole burst in one write, then keeps writing what the terminal
// did not take while reading rows, until every row is back.
double burstMilliseconds(PtyProgram& program, const std::string& burst) {
  if (!program.output.empty()) {
    failProgram(program, "wrote unexpected output: " + printable(program.output));
  }
  const std::size_t expectedBytes = burst.size() * rowBytes;
  program.output.reserve(expectedBytes + rowBytes);
  const TimePoint deadline = deadlineAfter(burstTimeoutMs);
  const TimePoint start = benchNow();
  std::size_t written = writeSome(program, burst, 0);
  while (program.output.size() < expectedBytes) {
    const bool moreToWrite = written < burst.size() || !program.pendingAnswers.empty();
    pollfd watched{program.masterFd, static_cast<short>(POLLIN | (moreToWrite ? POLLOUT : 0)), 0};
    const double remaining = millisecondsBetween(benchNow(), deadline);
    if (remaining <= 0) {
      failProgram(program, "timed out in the burst: " + std::to_string(program.output.size() / rowBytes) + " of " +
                               std::to_string(burst.size()) + " rows back, " + std::to_string(written) +
                               " bytes taken");
    }
    if (poll(&watched, 1, static_cast<int>(remaining) + 1) <= 0) {
      continue;
    }
    if ((watched.revents & POLLOUT) != 0) {
      sendPendingAnswers(program);
      if (written < burst.size()) {
        written = writeSome(program, burst, written);
      }
    }
    if ((watched.revents & (POLLIN | POLLHUP | POLLERR)) != 0 && readAvailable(program) == ReadOutcome::closed) {
      failProgram(program, "closed its terminal in the burst");
    }
  }
  const TimePoint end = benchNow();
  const std::vector<int> codes = takeRows(program, burst.size());
  for (std::size_t index = 0; index < codes.size(); ++index) {
    if (codes[index] != static_cast<unsigned char>(burst[index])) {
      failProgram(program, "row " + std::to_string(index) + " of the burst shows " + std::to_string(codes[index]) +
                               " for " + std::to_string(burst[index]) + ": a row lost or out of order");
    }
  }
  return millisecondsBetween(start, end);
}

}  // namespace

void measureThroughput(const BenchSettings& settings, BenchResults& results) {
  const std::string burst = letterBurst(settings.burstBytes);
  runWithPair(settings, results, "throughput", [&](PtyProgram(&programs)[programCount]) {
    for (int round = 0; round < warmupBursts + settings.bursts; ++round) {
      for (int position = 0; position < programCount; ++position) {
        const int index = programInTurn(round, position);
        const double milliseconds = burstMilliseconds(programs[index], burst);
        if (round >= warmupBursts) {
          results.figures[index].burstRowsPerSecond.push_back(static_cast<double>(burst.size()) *
                                                              millisecondsPerSecond / milliseconds);
        }
      }
    }
  });
}
