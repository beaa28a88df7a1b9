#include "fakeTerminal.hpp"

#include <thread>

namespace {

constexpr std::chrono::milliseconds requestWait(5000);

}  // namespace

std::string answerText(KeyboardAnswer answer) {
  switch (answer) {
    case KeyboardAnswer::deviceAttributes:
      return std::string(deviceAttributesAnswer);
    case KeyboardAnswer::enhancedKeys:
      return std::string(enhancedKeysAnswer) + std::string(deviceAttributesAnswer);
    case KeyboardAnswer::modifyOtherKeysLevel1:
      return std::string(modifyOtherKeysLevel1Answer) + std::string(deviceAttributesAnswer);
    case KeyboardAnswer::none:
    default:
      return {};
  }
}

bool answerKeyboardQuery(const PtyProcess& process, std::string& output, KeyboardAnswer answer,
                         std::chrono::milliseconds delay) {
  const auto deadline = std::chrono::steady_clock::now() + requestWait;
  while (output.find(deviceAttributesRequest) == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readChunk(process, output, left)) {
      return false;
    }
  }
  if (delay.count() > 0) {
    std::this_thread::sleep_for(delay);
  }
  sendBytes(process, answerText(answer));
  return true;
}
