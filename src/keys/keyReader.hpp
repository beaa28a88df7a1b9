#pragma once

#include <functional>
#include <optional>

#include "keys/keyRecord.hpp"
#include "keys/keyTables.hpp"

// The state of the console input device: opened on the first call that needs
// it, then kept open, or failed for good if it could not be opened.
enum class ConsoleInput : std::uint8_t { notOpened, open, failed };

// What the reader keeps between calls.
struct ReaderState {
  ConsoleInput consoleInput = ConsoleInput::notOpened;
  // The second code of a two-code key, or -1 when none is held.
  int pendingCode = -1;
};

// Where key event records come from. Each platform fills these in; tests
// feed records directly.
struct RecordSource {
  // Opens the input device; false when it cannot be opened.
  std::function<bool()> open;
  // Called around each read that reaches the device, e.g. to switch the
  // console into raw mode and back.
  std::function<void()> beginRead;
  std::function<void()> endRead;
  // Reads exactly one record; false when the read fails or gives no record.
  std::function<bool(KeyRecord&)> readRecord;
};

// The pair a key without a character gives in the record's modifier state,
// or nothing when the tables hold no pair that counts for it.
std::optional<KeyPair> lookupKey(const KeyRecord& record);

// Whether a second code is held for the next call.
bool codeHeld(const ReaderState& state);

// Whether a record gives a code: a key-down that carries a character or a
// pair. The reader skips every other record.
bool givesCode(const KeyRecord& record);

// One key code: the held second code if there is one, otherwise the code of
// the next key-down record that carries a character or a pair. Records that
// carry neither are skipped. Returns -1 when no key could be read.
int nextKeyCode(ReaderState& state, const RecordSource& source);
