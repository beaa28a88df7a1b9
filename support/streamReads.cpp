#include "streamReads.hpp"

#include <algorithm>
#include <cstdio>
#include <deque>

#include "keys/keyCodes.hpp"
#include "keys/keyReader.hpp"

bool sameKey(const StreamKey& left, const StreamKey& right) {
  const KeyRecord& one = left.record;
  const KeyRecord& other = right.record;
  return one.eventType == other.eventType && one.keyDown == other.keyDown && one.asciiChar == other.asciiChar &&
         one.scanCode == other.scanCode && one.controlKeyState == other.controlKeyState && left.bytes == right.bytes;
}

bool sameEvent(const KeyEvent& left, const KeyEvent& right) {
  return left.eventType == right.eventType && left.action == right.action && left.scanCode == right.scanCode &&
         left.controlKeyState == right.controlKeyState && left.text == right.text &&
         left.virtualKeyCode == right.virtualKeyCode && left.bytes == right.bytes;
}

std::vector<KeyRecord> recordsOf(const KeyEvent& event) {
  KeyRecord first;
  first.eventType = event.eventType;
  first.keyDown = isKeyDown(event);
  first.scanCode = event.scanCode;
  first.controlKeyState = event.controlKeyState;
  // What the key types when it goes down, a release included.
  KeyEvent pressed = event;
  pressed.action = KeyAction::press;
  const KeyCodes codes = codesOf(pressed);
  std::vector<KeyRecord> records;
  if (codes.pair || codes.characters.empty()) {
    records.push_back(first);
    return records;
  }
  first.asciiChar = static_cast<unsigned char>(codes.characters[0]);
  records.push_back(first);
  for (std::size_t index = 1; index < codes.characters.size() && first.keyDown; ++index) {
    KeyRecord following;
    following.asciiChar = static_cast<unsigned char>(codes.characters[index]);
    records.push_back(following);
  }
  return records;
}

std::string showBytes(std::string_view bytes) {
  std::string shown;
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    if (!shown.empty()) {
      shown += ' ';
    }
    if (byte == 0x1B) {
      shown += "ESC";
    } else if (byte > 0x20 && byte < 0x7F) {
      shown += static_cast<char>(byte);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", byte);
      shown += hex;
    }
  }
  return shown;
}

std::string showRecord(const KeyRecord& record) {
  char text[96];
  std::snprintf(text, sizeof text, "{%s char %d scan 0x%X flags 0x%X}", record.keyDown ? "down" : "up",
                record.asciiChar, record.scanCode, static_cast<unsigned>(record.controlKeyState));
  return text;
}

std::string showKeys(const std::vector<StreamKey>& keys) {
  std::string shown;
  for (const StreamKey& key : keys) {
    shown += showRecord(key.record) + " from [" + showBytes(key.bytes) + "]; ";
  }
  return shown;
}

namespace {

// Every key's bytes stand in the input in order, skipped reports between.
bool bytesInOrder(std::string_view input, const std::vector<StreamKey>& keys) {
  std::size_t position = 0;
  for (const StreamKey& key : keys) {
    const std::size_t found = key.bytes.empty() ? position : input.find(key.bytes, position);
    if (found == std::string_view::npos) {
      return false;
    }
    position = found + key.bytes.size();
  }
  return true;
}

}  // namespace

std::vector<StreamKey> keysOfReads(std::string_view input, TerminalFamily family, const std::vector<Read>& reads,
                                   const BrokenStreamRule& broken, KeyReporting keyNumbers) {
  ByteStream stream(family);
  stream.setKeyReporting(keyNumbers);
  std::vector<StreamKey> keys;
  std::size_t fedReads = 0;
  std::size_t fedBytes = 0;
  bool inputPaused = false;
  // Each call gives a key (a byte or more), feeds a read, pauses or ends.
  const std::size_t callLimit = 3 * (input.size() + reads.size()) + 2;
  for (std::size_t calls = 0;; ++calls) {
    if (calls > callLimit) {
      broken("no progress: more stream calls than bytes and reads", fedBytes);
      return keys;
    }
    const bool ready = stream.eventReady();
    const StreamItem item = stream.next(inputPaused);
    if (!inputPaused && ready != (item.status == StreamStatus::event)) {
      broken("eventReady disagrees with next", fedBytes);
      return keys;
    }
    if (item.status == StreamStatus::event) {
      inputPaused = false;
      if (item.event.eventType != EventType::key) {
        // An answer: no key, like any other report.
        continue;
      }
      const std::vector<KeyRecord> records = recordsOf(item.event);
      keys.push_back({records.front(), item.event.bytes.value_or(""), item.event});
      for (std::size_t index = 1; index < records.size(); ++index) {
        keys.push_back({records[index], {}, std::nullopt});
      }
      continue;
    }
    if (item.status == StreamStatus::endOfInput) {
      break;
    }
    if (item.partialKeyHeld) {
      if (inputPaused) {
        broken("needMore although input has paused", fedBytes);
        return keys;
      }
      if (fedReads > 0 && reads[fedReads - 1].pauseAfter) {
        inputPaused = true;
        continue;
      }
    }
    if (fedReads < reads.size()) {
      const std::size_t end = reads[fedReads++].end;
      stream.feed(input.substr(fedBytes, end - fedBytes));
      fedBytes = end;
      inputPaused = false;
      continue;
    }
    if (item.partialKeyHeld) {
      broken("the start of a key held after the last pause", fedBytes);
      return keys;
    }
    stream.endInput();
  }
  if (!bytesInOrder(input, keys)) {
    broken("a key's bytes are not the next bytes of the input", fedBytes);
  }
  return keys;
}

std::vector<std::vector<Read>> everySplit(std::string_view input, const std::vector<std::size_t>& pausesAt) {
  std::vector<std::vector<Read>> splits;
  const std::size_t gaps = input.empty() ? 0 : input.size() - 1;
  for (std::size_t mask = 0; mask < (std::size_t{1} << gaps); ++mask) {
    std::vector<Read> reads;
    for (std::size_t end = 1; end <= input.size(); ++end) {
      const bool pause = end == input.size() || std::ranges::find(pausesAt, end) != pausesAt.end();
      if (pause || (mask & (std::size_t{1} << (end - 1))) != 0) {
        reads.push_back({end, pause});
      }
    }
    splits.push_back(reads);
  }
  return splits;
}

std::vector<int> codesOf(const std::vector<StreamKey>& keys) {
  std::deque<KeyEvent> events;
  for (const StreamKey& key : keys) {
    if (key.event) {
      events.push_back(*key.event);
    }
  }
  EventSource source;
  source.open = [] { return true; };
  source.readEvent = [&](KeyEvent& event) {
    if (events.empty()) {
      return false;
    }
    event = events.front();
    events.pop_front();
    return true;
  };
  ReaderState state;
  std::vector<int> codes;
  for (int code = nextKeyCode(state, source); code != noKey; code = nextKeyCode(state, source)) {
    codes.push_back(code);
  }
  return codes;
}

std::vector<int> codeNumbersOf(const KeyEvent& event) {
  std::vector<int> numbers;
  for (const char code : codeSequence(codesOf(event))) {
    numbers.push_back(static_cast<unsigned char>(code));
  }
  return numbers;
}
