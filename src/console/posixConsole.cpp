// The key reader on a POSIX terminal: bytes from /dev/tty, decoded into key
// records, fed to the same record logic as the Windows console.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "console/keyReader.hpp"
#include "console/keyboardProtocol.hpp"
#include "console/readKey.hpp"
#include "console/terminalDecoder.hpp"
#include "console/terminalSession.hpp"

namespace {

// How long an ESC (or any unfinished sequence) waits for the rest of its
// bytes before it is decided on what has arrived: a lone ESC is then the
// Escape key.
constexpr int escapeWaitMs = 25;
constexpr std::size_t readChunkSize = 4096;
constexpr int waitForever = -1;

// A closed pipe on standard output must not kill the tool, which would leave
// the terminal raw: the stream just enters its failed state instead.
const bool brokenPipeIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;

TerminalFamily family = TerminalFamily::xterm;
// Bytes read from the terminal and not yet decoded, from `unread` on.
std::string received;
std::size_t unread = 0;

enum class ReadOutcome : std::uint8_t { bytes, timedOut, closed };

// One read of whatever the terminal has, after waiting at most `waitMs` for
// it to have anything.
ReadOutcome readMore(int waitMs) {
  if (unread > 0) {
    received.erase(0, unread);
    unread = 0;
  }
  for (;;) {
    // A read that may block anyway needs no poll before it.
    const int terminal = processTerminal().descriptor();
    pollfd poller{terminal, POLLIN, 0};
    const int ready = waitMs == waitForever ? 1 : poll(&poller, 1, waitMs);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready == 0) {
      return ReadOutcome::timedOut;
    }
    if (ready < 0) {
      return ReadOutcome::closed;
    }
    char chunk[readChunkSize];
    const ssize_t count = read(terminal, chunk, sizeof chunk);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (count <= 0) {
      // End of input or an error such as EIO after a hang-up.
      return ReadOutcome::closed;
    }
    received.append(chunk, static_cast<std::size_t>(count));
    return ReadOutcome::bytes;
  }
}

long long monotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Asks the terminal whether it reports keys unambiguously and switches the
// best reporting it has on for the run. Everything read while waiting for
// the answer stays in `received`: keys typed meanwhile are decoded as usual
// and the answers themselves are skipped like any other report.
void chooseKeyboardMode(TerminalSession& terminal, std::string_view termName) {
  ProtocolAnswer answer = ProtocolAnswer::none;
  if (terminal.send(keyboardProtocolQuery)) {
    const long long deadline = monotonicMs() + keyboardQueryWaitMs;
    for (long long left = keyboardQueryWaitMs; answer == ProtocolAnswer::none && left > 0;
         left = deadline - monotonicMs()) {
      if (readMore(static_cast<int>(left)) != ReadOutcome::bytes) {
        break;
      }
      answer = firstProtocolAnswer(received);
    }
  }
  if (answer == ProtocolAnswer::enhanced) {
    terminal.useKeyboardMode(pushEnhancedKeys, popEnhancedKeys);
  } else if (termName.starts_with("xterm")) {
    // xterm reports Ctrl, Alt and Shift with every key once modifyOtherKeys
    // is 2; terminals that only borrow its name ignore the request.
    terminal.useKeyboardMode(setModifyOtherKeys, resetModifyOtherKeys);
  }
}

bool openSource() {
  if (!openProcessTerminal()) {
    return false;
  }
  const char* termName = std::getenv("TERM");
  const std::string_view term = termName != nullptr ? termName : "";
  family = terminalFamilyOf(term);
  chooseKeyboardMode(processTerminal(), term);
  return true;
}

// The next key record: decodes what has been received, reading more when the
// bytes so far are not a whole key. False when the terminal has nothing more
// to give.
bool readRecord(KeyRecord& record) {
  bool inputEnded = false;
  for (;;) {
    const std::string_view pending = std::string_view(received).substr(unread);
    DecodeResult result = decodeKey(pending, family, inputEnded);
    if (result.status == DecodeStatus::needMore) {
      if (inputEnded && pending.empty()) {
        return false;
      }
      const ReadOutcome outcome = readMore(pending.empty() ? waitForever : escapeWaitMs);
      if (outcome == ReadOutcome::bytes) {
        continue;
      }
      inputEnded = outcome == ReadOutcome::closed;
      if (pending.empty()) {
        return false;
      }
      result = decodeKey(pending, family, true);
    }
    unread += result.length;
    if (result.status == DecodeStatus::key) {
      record = result.record;
      return true;
    }
  }
}

RecordSource terminalSource() {
  RecordSource source;
  source.open = openSource;
  // The terminal stays raw for the whole run, so there is nothing to switch
  // around each read.
  source.beginRead = [] {};
  source.endRead = [] {};
  source.readRecord = readRecord;
  return source;
}

}  // namespace

int readKey() {
  static_cast<void>(brokenPipeIgnored);
  static ReaderState state;
  static const RecordSource source = terminalSource();
  return nextKeyCode(state, source);
}
