#include "keys/keyCodes.hpp"

std::string codeSequence(const KeyCodes& codes) {
  if (codes.pair) {
    return {static_cast<char>(codes.pair->lead), static_cast<char>(codes.pair->second)};
  }
  return codes.characters;
}

bool givesCode(const KeyEvent& event) {
  const KeyCodes codes = codesOf(event);
  return codes.pair.has_value() || !codes.characters.empty();
}

KeyCodes codesOf(const KeyEvent& event) {
  KeyCodes codes;
  if (!isKeyDown(event)) {
    return codes;
  }
  if (event.text && !event.text->empty()) {
    codes.characters = *event.text;
    return codes;
  }
  const std::optional<KeyPair> pair = tablePairOf(event.scanCode, event.controlKeyState);
  if (!pair) {
    return codes;
  }
  if (isCharacterPair(*pair) && !event.text) {
    // A key known by its place types what the tables hold for it; a lead
    // of 0 there means it types nothing.
    if (pair->lead != 0) {
      codes.characters.assign(1, static_cast<char>(pair->lead));
    }
    return codes;
  }
  // An enhanced row's pair is used as it stands; a normal row's pair counts
  // only as a real two-code pair, never as a character pair.
  const bool enhanced = (event.controlKeyState & enhancedKey) != 0;
  if (enhanced || !isCharacterPair(*pair)) {
    codes.pair = pair;
  }
  return codes;
}
