#include "console/keyboardNegotiation.hpp"

#include <ctime>

#include "keys/keyboardMode.hpp"

namespace {

long long monotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The first of the two answers, waiting up to keyboardQueryWaitMs for it.
ProtocolAnswer awaitAnswer(TerminalInput& input) {
  const long long deadline = monotonicMs() + keyboardQueryWaitMs;
  for (long long left = keyboardQueryWaitMs; left > 0; left = deadline - monotonicMs()) {
    if (const auto answer = input.events().takeAnswer()) {
      return *answer == EventType::keyboardFlagsAnswer ? ProtocolAnswer::enhanced : ProtocolAnswer::legacy;
    }
    if (input.readMore(static_cast<int>(left)) != ReadOutcome::bytes) {
      break;
    }
  }
  return ProtocolAnswer::none;
}

}  // namespace

void negotiateKeyboardMode(TerminalSession& session, TerminalInput& input, const TerminalFamilyRow& family) {
  ProtocolAnswer answer = ProtocolAnswer::none;
  if (family.takesKeyboardQuery && session.send(keyboardProtocolQuery)) {
    answer = awaitAnswer(input);
  }
  const KeyboardMode mode = keyboardModeFor(family, answer);
  input.events().setKeyNumberMeaning(mode.keyNumbers);
  if (!mode.enable.empty()) {
    session.useKeyboardMode(mode.enable, mode.disable);
  }
}
