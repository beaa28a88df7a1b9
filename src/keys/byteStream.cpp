#include "keys/byteStream.hpp"

ByteStream::ByteStream(TerminalFamily family) noexcept : family(family) {}

void ByteStream::setKeyNumberMeaning(KeyNumberMeaning meaning) { keyNumbers = meaning; }

void ByteStream::feed(std::string_view bytes) {
  // Bytes already decoded are dropped only here, so the bytes a record
  // carries stay valid until the next feed.
  received.erase(0, consumedByteCount);
  consumedByteCount = 0;
  received.append(bytes);
}

void ByteStream::endInput() { inputEnded = true; }

StreamItem ByteStream::next(bool inputPaused) {
  StreamItem item;
  if (!queuedRecords.empty()) {
    item.status = StreamStatus::key;
    item.record = queuedRecords.front();
    queuedRecords.erase(queuedRecords.begin());
    return item;
  }
  for (;;) {
    const std::string_view unused = unusedBytes();
    if (unused.empty()) {
      item.status = inputEnded ? StreamStatus::endOfInput : StreamStatus::needMore;
      return item;
    }
    DecodeResult result = decodeKey(unused, family, inputPaused || inputEnded, keyNumbers);
    if (result.status == DecodeStatus::needMore) {
      item.partialKeyHeld = true;
      return item;
    }
    consumedByteCount += result.length;
    if (result.status == DecodeStatus::key) {
      item.status = StreamStatus::key;
      item.record = result.record;
      item.bytes = unused.substr(0, result.length);
      queuedRecords.insert(queuedRecords.end(), result.moreRecords.begin(), result.moreRecords.end());
      return item;
    }
  }
}

bool ByteStream::recordReady(bool (*wanted)(const KeyRecord&)) const {
  const auto accepted = [wanted](const KeyRecord& record) { return wanted == nullptr || wanted(record); };
  for (const KeyRecord& record : queuedRecords) {
    if (accepted(record)) {
      return true;
    }
  }
  std::string_view unused = unusedBytes();
  while (!unused.empty()) {
    const DecodeResult result = decodeKey(unused, family, inputEnded, keyNumbers);
    if (result.status == DecodeStatus::needMore) {
      return false;
    }
    if (result.status == DecodeStatus::key) {
      if (accepted(result.record)) {
        return true;
      }
      for (const KeyRecord& record : result.moreRecords) {
        if (accepted(record)) {
          return true;
        }
      }
    }
    unused.remove_prefix(result.length);
  }
  return false;
}

const std::vector<KeyRecord>& ByteStream::followingRecords() const { return queuedRecords; }

std::string_view ByteStream::unusedBytes() const { return std::string_view(received).substr(consumedByteCount); }
