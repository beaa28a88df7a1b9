#pragma once

#include <cstdint>
#include <string_view>

#include "console/terminalSession.hpp"
#include "keys/byteStream.hpp"

// The bytes of the terminal, read and fed to the byte stream that decodes
// them. POSIX only.

enum class ReadOutcome : std::uint8_t { bytes, timedOut, closed };

// Waits without end for the terminal to have something.
constexpr int waitForever = -1;

class TerminalInput {
 public:
  TerminalInput() = default;
  TerminalInput(TerminalSession& session, TerminalFamily family) : session(&session), stream(family) {}

  [[nodiscard]] ByteStream& events() { return stream; }

  // One read of whatever the terminal has, after waiting at most `waitMs`
  // for it to have anything, fed to the stream. A closed terminal ends the
  // stream's input.
  ReadOutcome readMore(int waitMs);

  // The next event, reading as much as it takes: the start of a key waits
  // the Escape wait for its rest, after which the key is decided on what
  // has arrived. An item of endOfInput once the terminal has nothing more.
  StreamItem nextEvent();

  // Whether a key that gives a code is decoded already, or is among what the
  // terminal has ready, taken in without waiting. Releases, answers and a
  // key cut off at the end of what has arrived count as none.
  bool codeAtHand();

 private:
  TerminalSession* session = nullptr;
  ByteStream stream;
};

// How long an ESC (or any unfinished sequence) waits for the rest of its
// bytes before it is decided on what has arrived: a lone ESC is then the
// Escape key.
constexpr int escapeWaitMs = 25;
// How long the start of an awaited answer to the keyboard query waits for
// each further byte: a slow link may take a good part of a second.
constexpr int answerByteWaitMs = 1000;
