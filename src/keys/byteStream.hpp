#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keys/keyRecord.hpp"
#include "keys/terminalDecoder.hpp"

// The bytes a terminal sent, turned into key records one at a time. It owns
// the bytes received and how far they are used; the terminal source reads
// and feeds it, and decides from the answers when to wait and for how long.
// Pure: no system call inside.

enum class StreamStatus : std::uint8_t {
  key,         // `record` holds the next key record
  needMore,    // no whole key is held: feed more bytes, see partialKeyHeld
  endOfInput,  // the input has ended and every byte held is used
};

struct StreamItem {
  StreamStatus status = StreamStatus::needMore;
  KeyRecord record;
  // The bytes the terminal sent for the record, valid until the next feed.
  // When one key's bytes give several records, the first carries them and
  // the others carry none.
  std::string_view bytes;
  // With needMore: the bytes held are the start of a key (ESC, an unfinished
  // sequence). Once the Escape wait passes without a byte, the caller asks
  // again with input paused and the key is decided on what has arrived.
  // False when nothing is held: then there is nothing to decide, and the
  // caller may wait as long as it takes.
  bool partialKeyHeld = false;
};

class ByteStream {
 public:
  explicit ByteStream(TerminalFamily family = TerminalFamily::xterm) noexcept;

  // What the number of a CSI u report stands for from now on: the kitty
  // protocol's unshifted key (the start) or, where the terminal speaks
  // modifyOtherKeys instead, the character typed.
  void setKeyNumberMeaning(KeyNumberMeaning meaning);

  // Appends bytes as they were read.
  void feed(std::string_view bytes);

  // No byte will come any more (end of file, a hang-up): what is held is
  // decided as after a pause, and then next answers endOfInput.
  void endInput();

  // The next key record. Sequences that are no key (reports, answers) are
  // skipped. `inputPaused` says that no byte arrived within the Escape wait
  // after the last needMore: an unfinished key is then decided on the bytes
  // held, so a lone ESC is the Escape key.
  StreamItem next(bool inputPaused);

  // True when next would give a record now without another byte and
  // without a pause: a record is queued, or the bytes held decode to a key.
  // With `wanted`, only a record it accepts counts, e.g. one that gives a
  // code where key releases and modifiers alone do not.
  [[nodiscard]] bool recordReady(bool (*wanted)(const KeyRecord&) = nullptr) const;

  // The bytes received and not yet used, e.g. to look for the answer to a
  // query among keys typed meanwhile.
  [[nodiscard]] std::string_view unusedBytes() const;

  // The records of the last decode that next has still to give: right after
  // a record that carries bytes, the other records of the same key.
  [[nodiscard]] const std::vector<KeyRecord>& followingRecords() const;

 private:
  TerminalFamily family;
  KeyNumberMeaning keyNumbers = KeyNumberMeaning::unshiftedKey;
  std::string received;
  // How many bytes at the start of `received` have been decoded.
  std::size_t consumedByteCount = 0;
  // Records of the last decode still to be given, in order: a few at most.
  std::vector<KeyRecord> queuedRecords;
  bool inputEnded = false;
};
