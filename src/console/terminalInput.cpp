#include "console/terminalInput.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::size_t readChunkSize = 4096;

}  // namespace

ReadOutcome TerminalInput::readMore(int waitMs) {
  for (;;) {
    // A read that may block anyway needs no poll before it.
    pollfd poller{descriptor, POLLIN, 0};
    const int ready = waitMs == waitForever ? 1 : poll(&poller, 1, waitMs);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready == 0) {
      return ReadOutcome::timedOut;
    }
    if (ready < 0) {
      stream.endInput();
      return ReadOutcome::closed;
    }
    char chunk[readChunkSize];
    const ssize_t count = read(descriptor, chunk, sizeof chunk);
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
