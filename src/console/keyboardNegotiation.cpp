#include "console/keyboardNegotiation.hpp"

#include "keys/keyboardMode.hpp"
#include "keys/terminalDecoder.hpp"

namespace {

// The answers, in the order the terminal sends them, up to the flags or the
// device attributes, whichever comes first; waits up to keyboardQueryWaitMs
// by the session's clock.
QueryAnswers awaitAnswers(const TerminalSession& session, TerminalInput& input) {
  QueryAnswers answers;
  const long long deadline = session.clockMs() + keyboardQueryWaitMs;
  for (long long left = keyboardQueryWaitMs; left > 0; left = deadline - session.clockMs()) {
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
    answers = awaitAnswers(session, input);
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
