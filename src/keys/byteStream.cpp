#include "keys/byteStream.hpp"

#include <algorithm>

#include "keys/keyCodes.hpp"

ByteStream::ByteStream(TerminalFamily family) noexcept : family(&familyRow(family)) {}

void ByteStream::setKeyReporting(KeyReporting keyReporting) { reporting = keyReporting; }

void ByteStream::feed(std::string_view bytes) {
  received.erase(0, consumedByteCount);
  consumedByteCount = 0;
  received.append(bytes);
}

void ByteStream::endInput() { inputEnded = true; }

bool ByteStream::decodeAhead(bool inputPaused) {
  for (;;) {
    const std::string_view unused = std::string_view(received).substr(consumedByteCount);
    if (unused.empty()) {
      return false;
    }
    if (skipping != SequenceRest::none) {
      const SkippedRest skipped = skipSequenceRest(unused, skipping, inputPaused);
      consumedByteCount += skipped.length;
      if (!skipped.ended) {
        return false;
      }
      skipping = SequenceRest::none;
      continue;
    }
    Decoded result = decodeKey(unused, *family, inputPaused, reporting);
    if (result.status == DecodeStatus::needMore) {
      return false;
    }
    consumedByteCount += result.length;
    if (result.status == DecodeStatus::key) {
      if (result.event.eventType == EventType::deviceAttributesAnswer) {
        answersAwaited = false;
      }
      decoded.push_back(std::move(result.event));
      return true;
    }
    skipping = result.rest;
  }
}

StreamItem ByteStream::next(bool inputPaused) {
  StreamItem item;
  if (decoded.empty() && !decodeAhead(inputEnded) && inputPaused) {
    // The input has paused: what is held is decided on what has arrived.
    decodeAhead(true);
  }
  if (!decoded.empty()) {
    item.status = StreamStatus::event;
    item.event = std::move(decoded.front());
    decoded.pop_front();
    return item;
  }
  const std::string_view held = std::string_view(received).substr(consumedByteCount);
  item.status = inputEnded && held.empty() ? StreamStatus::endOfInput : StreamStatus::needMore;
  item.partialKeyHeld = !held.empty();
  item.partialAnswerHeld = answersAwaited && !held.empty() && couldStartAnswer(held);
  return item;
}

bool ByteStream::codeReady() {
  if (std::ranges::any_of(decoded, givesCode)) {
    return true;
  }
  while (decodeAhead(inputEnded)) {
    if (givesCode(decoded.back())) {
      return true;
    }
  }
  return false;
}

bool ByteStream::eventReady() { return !decoded.empty() || decodeAhead(inputEnded); }

std::optional<KeyEvent> ByteStream::takeAnswer() {
  // Decodes no further than the answer: the bytes after it are decoded once
  // the keyboard mode it leads to says how.
  bool found = std::ranges::any_of(decoded, isAnswer);
  while (!found && decodeAhead(inputEnded)) {
    found = isAnswer(decoded.back());
  }
  if (!found) {
    return std::nullopt;
  }
  const auto answer = std::ranges::find_if(decoded, isAnswer);
  KeyEvent taken = std::move(*answer);
  decoded.erase(answer);
  return taken;
}
