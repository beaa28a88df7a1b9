#include "keys/keyboardMode.hpp"

#include <array>

namespace {

// CSI > 4 ; level m for the levels xterm knows.
constexpr std::array<std::string_view, 4> modifyOtherKeysLevels = {"\x1b[>4;0m", "\x1b[>4;1m", "\x1b[>4;2m",
                                                                   "\x1b[>4;3m"};
}  // namespace

std::string_view keyboardQueryFor(const TerminalFamilyRow& family) {
  if (!family.takesKeyboardQuery) {
    return {};
  }
  return family.takesModifyOtherKeys ? keyboardAndModifyOtherKeysQuery : keyboardProtocolQuery;
}

std::string_view restoreModifyOtherKeys(int level) {
  if (level < 0 || level >= static_cast<int>(modifyOtherKeysLevels.size())) {
    return {};
  }
  return modifyOtherKeysLevels[static_cast<std::size_t>(level)];
}

KeyboardMode keyboardModeFor(const TerminalFamilyRow& family, const QueryAnswers& answers) {
  if (answers.protocol == ProtocolAnswer::enhanced) {
    return {pushEnhancedKeys, popEnhancedKeys, {KeyNumberMeaning::unshiftedKey}};
  }
  const KeyboardMode unchanged{{}, {}, {KeyNumberMeaning::typedCharacter}};
  if (!family.takesModifyOtherKeys) {
    return unchanged;
  }
  const int level = answers.modifyOtherKeys.value_or(family.modifyOtherKeysAtStart);
  const std::string_view restore = restoreModifyOtherKeys(level);
  if (restore.empty()) {
    // What cannot be put back is left as it is.
    return unchanged;
  }
  const bool ctrlHReported = answers.modifyOtherKeys.has_value();
  return {setModifyOtherKeys, restore, {KeyNumberMeaning::typedCharacter, ctrlHReported}};
}
