#include "controlSequences.hpp"

namespace {

constexpr char escape = '\x1b';
constexpr char introducer = '[';
constexpr char firstParameter = 0x30;
constexpr char lastParameter = 0x3f;
constexpr char firstIntermediate = 0x20;
constexpr char lastIntermediate = 0x2f;
constexpr char firstFinal = 0x40;
constexpr char lastFinal = 0x7e;
constexpr char attributesFinal = 'c';

// The length of the CSI sequence at the start of `bytes`: 0 when it is not
// one, npos when it is cut off.
std::size_t sequenceLength(std::string_view bytes) {
  if (bytes.size() < 2) {
    return std::string_view::npos;
  }
  if (bytes[1] != introducer) {
    return 0;
  }
  std::size_t index = 2;
  while (index < bytes.size() && bytes[index] >= firstParameter && bytes[index] <= lastParameter) {
    ++index;
  }
  while (index < bytes.size() && bytes[index] >= firstIntermediate && bytes[index] <= lastIntermediate) {
    ++index;
  }
  if (index == bytes.size()) {
    return std::string_view::npos;
  }
  return bytes[index] >= firstFinal && bytes[index] <= lastFinal ? index + 1 : 0;
}

// CSI c and CSI 0 c ask for the primary device attributes; CSI > c and
// CSI = c ask for others, which a plain terminal leaves unanswered.
bool isAttributesRequest(std::string_view sequence) { return sequence == "\x1b[c" || sequence == "\x1b[0c"; }

}  // namespace

SequenceCount takeOutSequences(std::string& carry, std::string_view bytes, std::string& text) {
  SequenceCount count;
  std::string joined;
  if (!carry.empty()) {
    joined = carry;
    joined.append(bytes);
    carry.clear();
    bytes = joined;
  }
  while (!bytes.empty()) {
    const std::size_t found = bytes.find(escape);
    text.append(bytes.substr(0, found));
    if (found == std::string_view::npos) {
      break;
    }
    bytes.remove_prefix(found);
    const std::size_t length = sequenceLength(bytes);
    if (length == std::string_view::npos) {
      carry.assign(bytes);
      break;
    }
    if (length == 0) {
      text += escape;
      bytes.remove_prefix(1);
      continue;
    }
    ++count.sequences;
    if (bytes[length - 1] == attributesFinal && isAttributesRequest(bytes.substr(0, length))) {
      ++count.attributeRequests;
    }
    bytes.remove_prefix(length);
  }
  return count;
}
