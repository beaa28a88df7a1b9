#include "keys/keyboardMode.hpp"

KeyboardMode keyboardModeFor(const TerminalFamilyRow& family, ProtocolAnswer answer) {
  if (answer == ProtocolAnswer::enhanced) {
    return {pushEnhancedKeys, popEnhancedKeys, KeyNumberMeaning::unshiftedKey};
  }
  if (family.takesModifyOtherKeys) {
    // xterm reports Ctrl, Alt and Shift with every key once modifyOtherKeys
    // is 2.
    return {setModifyOtherKeys, resetModifyOtherKeys, KeyNumberMeaning::typedCharacter};
  }
  return {{}, {}, KeyNumberMeaning::typedCharacter};
}
