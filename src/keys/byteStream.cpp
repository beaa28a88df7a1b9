#include "keys/byteStream.hpp"

#include <algorithm>

#include "keys/keyCodes.hpp"

ByteStream::ByteStream(TerminalFamily family) noexcept : family(&familyRow(family)) {}

void ByteStream::setKeyNumberMeaning(KeyNumberMeaning meaning) { keyNumbers = meaning; }

void ByteStream::feed(std::string_view bytes) {
  received.erase(0, consumedByteCount);
  consumedByteCount = 0;
  received.append(bytes);
}

void ByteStream::endInput() { inputEnded = true; }

bool ByteStream::decodeAhead() {
  for (;;) {
    const std::string_view unused = std::string_view(received).substr(consumedByteCount);
    if (unused.empty()) {
      return false;
    }
    Decoded result = decodeKey(unused, *family, inputEnded, keyNumbers);
    if (result.status == DecodeStatus::needMore) {
      return false;
    }
    consumedByteCount += result.length;
    if (result.status == DecodeStatus::key) {
      decoded.push_back(std::move(result.event));
      return true;
    }
  }
}

StreamItem ByteStream::next(bool inputPaused) {
  StreamItem item;
  while (decoded.empty() && !decodeAhead() && inputPaused && consumedByteCount < received.size()) {
    // The input has paused: what is held is decided on what has arrived.
    Decoded result = decodeKey(std::string_view(received).substr(consumedByteCount), *family, true, keyNumbers);
    consumedByteCount += result.length;
    if (result.status == DecodeStatus::key) {
      decoded.push_back(std::move(result.event));
    }
  }
  if (!decoded.empty()) {
    item.status = StreamStatus::event;
    item.event = std::move(decoded.front());
    decoded.pop_front();
    return item;
  }
  const bool bytesHeld = consumedByteCount < received.size();
  item.status = inputEnded && !bytesHeld ? StreamStatus::endOfInput : StreamStatus::needMore;
  item.partialKeyHeld = bytesHeld;
  return item;
}

bool ByteStream::codeReady() {
  const auto givesCode = [](const KeyEvent& event) { return !codesOf(event).empty(); };
  if (std::ranges::any_of(decoded, givesCode)) {
    return true;
  }
  while (decodeAhead()) {
    if (givesCode(decoded.back())) {
      return true;
    }
  }
  return false;
}

bool ByteStream::eventReady() { return !decoded.empty() || decodeAhead(); }

std::optional<EventType> ByteStream::takeAnswer() {
  while (decodeAhead()) {
  }
  const auto answer = std::ranges::find_if(decoded, [](const KeyEvent& event) {
    return event.eventType == EventType::keyboardFlagsAnswer || event.eventType == EventType::deviceAttributesAnswer;
  });
  if (answer == decoded.end()) {
    return std::nullopt;
  }
  const EventType type = answer->eventType;
  decoded.erase(answer);
  return type;
}
