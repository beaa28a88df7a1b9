// The key reader on a POSIX terminal: bytes from /dev/tty, decoded into key
// records, fed to the same record logic as the Windows console.

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "console/readKey.hpp"
#include "console/terminalSession.hpp"
#include "keys/byteStream.hpp"
#include "keys/keyReader.hpp"
#include "keys/keyboardProtocol.hpp"
#include "keys/terminalSequences.hpp"

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

ReaderState readerState;
// The bytes read from the terminal and how far they are decoded.
ByteStream keyStream;
// What made the record read last: after readKey, the key whose first code it
// returned; nothing after a held second code or no key.
std::optional<KeyDetails> lastDetails;

enum class ReadOutcome : std::uint8_t { bytes, timedOut, closed };

// One read of whatever the terminal has, after waiting at most `waitMs` for
// it to have anything, fed to the key stream.
ReadOutcome readMore(int waitMs) {
  for (;;) {
    // The session reads nothing while the process is behind the shell.
    const int terminal = processTerminal().descriptor();
    const InputWait wait = processTerminal().waitForInput(waitMs);
    if (wait == InputWait::timedOut) {
      return ReadOutcome::timedOut;
    }
    if (wait == InputWait::ended) {
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
    keyStream.feed(std::string_view(chunk, static_cast<std::size_t>(count)));
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
// the answer stays in the key stream: keys typed meanwhile are decoded as
// usual and the answers themselves are skipped like any other report.
void chooseKeyboardMode(TerminalSession& terminal, std::string_view termName) {
  ProtocolAnswer answer = ProtocolAnswer::none;
  if (terminal.ownsTerminal() && terminal.send(keyboardProtocolQuery)) {
    const long long deadline = monotonicMs() + keyboardQueryWaitMs;
    for (long long left = keyboardQueryWaitMs; answer == ProtocolAnswer::none && left > 0;
         left = deadline - monotonicMs()) {
      const ReadOutcome outcome = readMore(static_cast<int>(left));
      if (outcome == ReadOutcome::closed) {
        keyStream.endInput();
      }
      if (outcome != ReadOutcome::bytes) {
        break;
      }
      answer = firstProtocolAnswer(keyStream.unusedBytes());
    }
  }
  // CSI u reports are the kitty protocol's only where the terminal answered
  // its query; elsewhere they are modifyOtherKeys' (tmux) and name the
  // character typed.
  keyStream.setKeyNumberMeaning(answer == ProtocolAnswer::enhanced ? KeyNumberMeaning::unshiftedKey
                                                                   : KeyNumberMeaning::typedCharacter);
  if (answer == ProtocolAnswer::enhanced) {
    terminal.useKeyboardMode(pushEnhancedKeys, popEnhancedKeys);
  } else if (understandsModifyOtherKeys(termName)) {
    // xterm reports Ctrl, Alt and Shift with every key once modifyOtherKeys
    // is 2.
    terminal.useKeyboardMode(setModifyOtherKeys, resetModifyOtherKeys);
  }
}

bool openSource() {
  if (!openProcessTerminal()) {
    return false;
  }
  const char* termName = std::getenv("TERM");
  const std::string_view term = termName != nullptr ? termName : "";
  keyStream = ByteStream(terminalFamilyOf(term));
  chooseKeyboardMode(processTerminal(), term);
  return true;
}

// Keeps what made a record, copied, as the next feed drops the bytes. Only
// the first record of a key carries its bytes; the others have no details
// of their own.
void keepDetails(const StreamItem& item) {
  if (item.bytes.empty()) {
    lastDetails.reset();
    return;
  }
  lastDetails = terminalKeyDetails(item.record, keyStream.followingRecords(), item.bytes);
}

// The next key record: decodes what has been received, reading more when the
// bytes so far are not a whole key. False when the terminal has nothing more
// to give.
bool readRecord(KeyRecord& record) {
  bool inputPaused = false;
  for (;;) {
    const StreamItem item = keyStream.next(inputPaused);
    if (item.status == StreamStatus::key) {
      record = item.record;
      keepDetails(item);
      return true;
    }
    if (item.status == StreamStatus::endOfInput) {
      return false;
    }
    // The start of a key waits the Escape wait for its rest; with nothing
    // held the read waits for the next key.
    const ReadOutcome outcome = readMore(item.partialKeyHeld ? escapeWaitMs : waitForever);
    inputPaused = outcome == ReadOutcome::timedOut;
    if (outcome == ReadOutcome::closed) {
      keyStream.endInput();
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
  static const RecordSource source = terminalSource();
  // A held second code reads no record, so it has no details of its own.
  lastDetails.reset();
  const int code = nextKeyCode(readerState, source);
  if (code == noKey) {
    lastDetails.reset();
  }
  return code;
}

std::optional<KeyDetails> lastKeyDetails() { return lastDetails; }

bool keyAvailable() {
  if (codeHeld(readerState)) {
    return true;
  }
  if (readerState.consoleInput != ConsoleInput::open) {
    return false;
  }
  if (keyStream.recordReady(givesCode)) {
    return true;
  }
  // Whatever the terminal has ready is taken in without waiting; a key cut
  // off at the end of what has arrived counts as not there yet.
  return readMore(0) == ReadOutcome::bytes && keyStream.recordReady(givesCode);
}

bool keyboardMissing() { return readerState.consoleInput == ConsoleInput::failed; }

void endKeyInput() { processTerminal().finish(); }
