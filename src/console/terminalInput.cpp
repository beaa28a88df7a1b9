#include "console/terminalInput.hpp"

#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::size_t readChunkSize = 4096;

}  // namespace

ReadOutcome TerminalInput::readMore(int waitMs) {
  for (;;) {
    // The session reads nothing while the process is behind the shell.
    const InputWait wait = session->waitForInput(waitMs);
    if (wait == InputWait::timedOut) {
      return ReadOutcome::timedOut;
    }
    if (wait == InputWait::ended) {
      stream.endInput();
      return ReadOutcome::closed;
    }
    char chunk[readChunkSize];
    const ssize_t count = read(session->descriptor(), chunk, sizeof chunk);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (count <= 0) {
      // End of input or an error such as EIO after a hang-up.
      stream.endInput();
      return ReadOutcome::closed;
    }
    stream.feed(std::string_view(chunk, static_cast<std::size_t>(count)));
    return ReadOutcome::bytes;
  }
}

StreamItem TerminalInput::nextEvent() {
  bool inputPaused = false;
  for (;;) {
    StreamItem item = stream.next(inputPaused);
    if (item.status != StreamStatus::needMore) {
      return item;
    }
    // The start of a key waits the Escape wait for its rest, the start of an
    // awaited answer longer; with nothing held the read waits for the next
    // key.
    const int waitMs = item.partialAnswerHeld ? answerByteWaitMs : item.partialKeyHeld ? escapeWaitMs : waitForever;
    inputPaused = readMore(waitMs) == ReadOutcome::timedOut;
  }
}

bool TerminalInput::codeAtHand() {
  return stream.codeReady() || (readMore(0) == ReadOutcome::bytes && stream.codeReady());
}
