#include "console/keyboardNegotiation.hpp"

#include <ctime>

#include "keys/keyboardMode.hpp"
#include "keys/terminalDecoder.hpp"

namespace {

long long monotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The answers, in the order the terminal sends them, up to the flags or the
// device attributes, whichever comes first; waits up to keyboardQueryWaitMs.
QueryAnswers awaitAnswers(TerminalInput& input) {
  QueryAnswers answers;
  const long long deadline = monotonicMs() + keyboardQueryWaitMs;
  for (long long left = keyboardQueryWaitMs; left > 0; left = deadline - monotonicMs()) {
    while (const auto answer = input.events().takeAnswer()) {
      switch (answer->eventType) {
        case EventType::keyboardFlagsAnswer:
          answers.protocol = ProtocolAnswer::enhanced;
          return answers;
        case EventType::deviceAttributesAnswer:
          answers.protocol = ProtocolAnswer::legacy;
          return answers;
        default:
          answers.modifyOtherKeys = answer->answerValue;
          break;
      }
    }
    if (input.readMore(static_cast<int>(left)) != ReadOutcome::bytes) {
      break;
    }
  }
  return answers;
}

}  // namespace

void negotiateKeyboardMode(TerminalSession& session, TerminalInput& input, const TerminalFamilyRow& family) {
  QueryAnswers answers;
  ByteStream& events = input.events();
  const std::string_view query = keyboardQueryFor(family);
  if (!query.empty() && session.ownsTerminal() && session.send(query)) {
    events.awaitAnswers(true);
    answers = awaitAnswers(input);
    // A terminal that has not begun to answer by now never will; one that
    // has, over a slow link, still has its answers taken for no keys.
    const std::string_view held = events.heldBytes();
    if (answers.protocol == ProtocolAnswer::none && (held.empty() || !couldStartAnswer(held))) {
      events.awaitAnswers(false);
    }
  }
  const KeyboardMode mode = keyboardModeFor(family, answers);
  events.setKeyReporting(mode.reporting);
  if (!mode.enable.empty()) {
    session.useKeyboardMode(mode.enable, mode.disable);
  }
}
