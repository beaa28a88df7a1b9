#include "keyCodesOf.hpp"

#include "keys/keyCodes.hpp"

namespace {

// The modifier flags a console record carries for each state.
constexpr std::array<std::uint32_t, keyStateCount> stateFlags{0, shiftPressed, leftCtrlPressed, leftAltPressed};

constexpr int firstVisibleCode = 33;
constexpr int lastVisibleCode = 126;

}  // namespace

std::vector<int> codesOfKey(const ReferenceKey& key, KeyState state) {
  // The key by its place: the character the console puts into its record
  // is the one the tables hold for it.
  KeyEvent event;
  event.scanCode = key.scanCode;
  event.controlKeyState = stateFlags[state] | (key.enhanced ? enhancedKey : 0);
  std::vector<int> result;
  for (const char code : codeSequence(codesOf(event))) {
    result.push_back(static_cast<unsigned char>(code));
  }
  return result;
}

bool isVisibleCharacter(int code) { return code >= firstVisibleCode && code <= lastVisibleCode; }

std::string codesCell(const std::vector<int>& codes, std::string_view noCodes,
                      const std::function<std::string(char)>& showCharacter) {
  if (codes.empty()) {
    return std::string(noCodes);
  }
  std::string text;
  for (const int code : codes) {
    if (!text.empty()) {
      text += ", ";
    }
    text += std::to_string(code);
  }
  if (codes.size() == 1 && isVisibleCharacter(codes.front())) {
    text += ' ';
    text += showCharacter(static_cast<char>(codes.front()));
  }
  return text;
}
