#include "keys/keyboardProtocol.hpp"

namespace {

bool isParameterByte(char byte) { return (byte >= '0' && byte <= '9') || byte == ';' || byte == ':'; }

}  // namespace

ProtocolAnswer firstProtocolAnswer(std::string_view received) {
  // Both answers are private CSI sequences: ESC [ ? parameters final, where
  // the final byte is u for the flags and c for the device attributes.
  constexpr std::string_view answerStart = "\x1b[?";
  for (std::size_t start = received.find(answerStart); start != std::string_view::npos;
       start = received.find(answerStart, start + 1)) {
    std::size_t end = start + answerStart.size();
    while (end < received.size() && isParameterByte(received[end])) {
      ++end;
    }
    if (end == received.size()) {
      return ProtocolAnswer::none;
    }
    if (received[end] == 'u') {
      return ProtocolAnswer::enhanced;
    }
    if (received[end] == 'c') {
      return ProtocolAnswer::legacy;
    }
  }
  return ProtocolAnswer::none;
}
