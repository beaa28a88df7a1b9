#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "keys/keyEvent.hpp"
#include "keys/terminalDecoder.hpp"

// The bytes a terminal sent, turned into events one at a time. It owns the
// bytes received, how far they are decoded, and the events decoded ahead of
// being asked for, so no byte is decoded twice. The terminal source reads
// and feeds it, and decides from its answers when to wait and for how long.
// Pure: no system call inside.

enum class StreamStatus : std::uint8_t {
  event,       // `event` holds the next event
  needMore,    // no whole key is held: feed more bytes, see partialKeyHeld
  endOfInput,  // the input has ended and every byte held is used
};

struct StreamItem {
  StreamStatus status = StreamStatus::needMore;
  // With `event`: the event, with the bytes the terminal sent for it.
  KeyEvent event;
  // With needMore: the bytes held are the start of a key (ESC, an unfinished
  // sequence). Once the Escape wait passes without a byte, the caller asks
  // again with input paused and the key is decided on what has arrived.
  // False when nothing is held: then there is nothing to decide, and the
  // caller may wait as long as it takes.
  bool partialKeyHeld = false;
  // With needMore: what is held may be the start of an answer to the
  // keyboard query, still awaited; a slow link may take long over each of
  // its bytes, so a pause of the Escape wait does not decide it.
  bool partialAnswerHeld = false;
};

class ByteStream {
 public:
  explicit ByteStream(TerminalFamily family = TerminalFamily::xterm) noexcept;

  // How the terminal reports keys in the bytes decoded from now on: what the
  // number of a CSI u report stands for (the kitty protocol's unshifted
  // key at the start or, where the terminal speaks modifyOtherKeys instead,
  // the character typed), and whether Ctrl+H comes as a report.
  void setKeyReporting(KeyReporting keyReporting);

  // Appends bytes as they were read.
  void feed(std::string_view bytes);

  // No byte will come any more (end of file, a hang-up): what is held is
  // decided as after a pause, and then next answers endOfInput.
  void endInput();

  // The next event: a key or an answer. Sequences that are no key (other
  // reports) are skipped. `inputPaused` says that no byte arrived within the
  // Escape wait after the last needMore: an unfinished key is then decided
  // on the bytes held, so a lone ESC is the Escape key.
  StreamItem next(bool inputPaused);

  // Whether next would give, without another byte and without a pause, an
  // event that gives a key code: decodes what is held as far as the first
  // such event, and keeps what it decoded for next.
  bool codeReady();

  // Whether next would give any event without another byte and without a
  // pause.
  bool eventReady();

  // Whether answers to the keyboard query are still to come: from the query
  // until the device attributes, its last answer, arrive.
  void awaitAnswers(bool awaited) { answersAwaited = awaited; }
  [[nodiscard]] bool awaitingAnswers() const { return answersAwaited; }

  // The bytes held and not yet decoded.
  [[nodiscard]] std::string_view heldBytes() const { return std::string_view(received).substr(consumedByteCount); }

  // Takes the first answer to the keyboard query out of what is held,
  // decoding no further than it; the keys before it stay for next, the
  // bytes after it are decoded later, under the mode the answers lead to.
  std::optional<KeyEvent> takeAnswer();

 private:
  // Decodes one more event into `decoded`, skipping what is no key; false
  // when the bytes held make no whole event. With `inputPaused` what is
  // held is decided on what has arrived.
  bool decodeAhead(bool inputPaused);

  const TerminalFamilyRow* family;
  KeyReporting reporting;
  std::string received;
  // How many bytes at the start of `received` have been decoded.
  std::size_t consumedByteCount = 0;
  // Events decoded and not yet given, in order.
  std::deque<KeyEvent> decoded;
  bool inputEnded = false;
  // The rest of a sequence cut at its length limit, skipped as it arrives.
  SequenceRest skipping = SequenceRest::none;
  bool answersAwaited = false;
};
