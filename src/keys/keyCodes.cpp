#include "keys/keyCodes.hpp"

int KeyCodes::operator[](std::size_t index) const {
  if (pair) {
    return index == 0 ? pair->lead : pair->second;
  }
  return static_cast<unsigned char>(characters[index]);
}

KeyCodes codesOf(const KeyEvent& event) {
  KeyCodes codes;
  if (!event.isKeyDown()) {
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
