#include "ptyReader.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "controlSequences.hpp"
#include "tableRow.hpp"

namespace {

constexpr std::size_t readChunk = 65536;
constexpr std::size_t shownBytes = 120;
constexpr unsigned char firstPrintable = 0x20;
constexpr unsigned char lastPrintable = 0x7e;

int millisecondsUntil(TimePoint deadline) {
  const double remaining = millisecondsBetween(benchNow(), deadline);
  if (remaining <= 0) {
    return 0;
  }
  return static_cast<int>(remaining) + 1;
}

}  // namespace

ReadOutcome readAvailable(PtyProgram& program) {
  static char buffer[readChunk];
  for (;;) {
    const ssize_t count = read(program.masterFd, buffer, sizeof buffer);
    if (count > 0) {
      const SequenceCount found =
          takeOutSequences(program.carry, std::string_view(buffer, static_cast<std::size_t>(count)), program.output);
      program.controlSequences += found.sequences;
      program.attributeRequests += found.attributeRequests;
      for (int request = 0; program.answersAttributes && request < found.attributeRequests; ++request) {
        if (program.answersEnhancedKeys) {
          program.pendingAnswers += enhancedKeysAnswer;
        }
        program.pendingAnswers += deviceAttributesAnswer;
      }
      sendPendingAnswers(program);
      return ReadOutcome::data;
    }
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0 && errno == EAGAIN) {
      return ReadOutcome::nothing;
    }
    // EIO once the terminal side is closed by the program's exit.
    return ReadOutcome::closed;
  }
}

ReadOutcome readMore(PtyProgram& program, TimePoint deadline) {
  for (;;) {
    pollfd watched{program.masterFd, POLLIN, 0};
    const int ready = poll(&watched, 1, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready > 0) {
      return readAvailable(program);
    }
    if (benchNow() >= deadline) {
      return ReadOutcome::nothing;
    }
  }
}

void awaitBytes(PtyProgram& program, std::size_t count, TimePoint deadline, const std::string& what) {
  while (program.output.size() < count) {
    const ReadOutcome outcome = readMore(program, deadline);
    if (outcome == ReadOutcome::closed) {
      failProgram(program, "closed its terminal while waiting for " + what);
    }
    if (outcome == ReadOutcome::nothing && benchNow() >= deadline) {
      failProgram(program, "timed out waiting for " + what + "; holding " + printable(program.output));
    }
  }
}

std::size_t awaitText(PtyProgram& program, std::string_view text, TimePoint deadline) {
  for (;;) {
    const std::size_t found = program.output.find(text);
    if (found != std::string::npos) {
      return found + text.size();
    }
    const ReadOutcome outcome = readMore(program, deadline);
    if (outcome == ReadOutcome::closed) {
      failProgram(program, "closed its terminal while waiting for " + printable(text));
    }
    if (outcome == ReadOutcome::nothing && benchNow() >= deadline) {
      failProgram(program, "timed out waiting for " + printable(text) + "; holding " + printable(program.output));
    }
  }
}

std::string awaitOpening(PtyProgram& program, TimePoint deadline) {
  const std::size_t end = awaitText(program, ruleLine(), deadline);
  std::string opening = program.output.substr(0, end);
  program.output.erase(0, end);
  return opening;
}

std::vector<int> takeRows(PtyProgram& program, std::size_t count) {
  if (program.output.size() < count * rowBytes) {
    failProgram(program, "fewer rows held than expected");
  }
  std::vector<int> codes;
  codes.reserve(count);
  const std::string_view held = program.output;
  for (std::size_t index = 0; index < count; ++index) {
    const std::string_view row = held.substr(index * rowBytes, rowBytes);
    const int code = rowCode(row);
    if (code == noCode) {
      failProgram(program, "wrote a malformed row " + std::to_string(index) + ": " + printable(row));
    }
    codes.push_back(code);
  }
  program.output.erase(0, count * rowBytes);
  return codes;
}

std::string printable(std::string_view bytes) {
  std::string text = "\"";
  for (const char byte : bytes.substr(0, shownBytes)) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= firstPrintable && value <= lastPrintable && byte != '\\' && byte != '"') {
      text += byte;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", value);
      text += escaped;
    }
  }
  text += bytes.size() > shownBytes ? "\"..." : "\"";
  return text;
}
