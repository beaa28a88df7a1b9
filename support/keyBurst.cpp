#include "keyBurst.hpp"

#include <random>

namespace {

// Keys whose codes are known apart from the decoder: cursor and function
// keys, a Ctrl combination, NUL as Ctrl+2, DEL as Backspace. None gives
// code 32.
const std::vector<KeyBurst> sequenceKeys = {
    {"\x1b[A", {224, 72}},           // Up
    {"\x1bOP", {0, 59}},             // F1
    {"\x1b[1;5A", {224, 141}},       // Ctrl+Up
    {"\x1b[3~", {224, 83}},          // Delete
    {"\x1b[24~", {224, 134}},        // F12
    {std::string(1, '\0'), {0, 3}},  // Ctrl+2
    {"\x7f", {8}},                   // Backspace
};
const std::vector<std::string> utf8Characters = {"\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xc3\x9f"};

// Bytes that are keys with their own code: every byte but ESC, NUL, DEL
// and space.
bool isPlainKeyByte(int byte) { return byte != 0x1B && byte != 0x00 && byte != 0x7F && byte != ' '; }

}  // namespace

KeyBurst mixedKeyBurst(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_int_distribution<int> anyByte(1, 255);
  std::uniform_int_distribution<int> letter(0, 25);
  KeyBurst burst;
  while (burst.bytes.size() < size) {
    KeyBurst item;
    switch (kind(generator)) {
      case 0: {
        const int byte = 'a' + letter(generator);
        item = {std::string(1, static_cast<char>(byte)), {byte}};
        break;
      }
      case 1: {
        item.bytes = utf8Characters[generator() % utf8Characters.size()];
        for (const char byte : item.bytes) {
          item.codes.push_back(static_cast<unsigned char>(byte));
        }
        break;
      }
      case 2:
        item = sequenceKeys[generator() % sequenceKeys.size()];
        break;
      default: {
        int byte = anyByte(generator);
        while (!isPlainKeyByte(byte)) {
          byte = anyByte(generator);
        }
        item = {std::string(1, static_cast<char>(byte)), {byte}};
        break;
      }
    }
    if (burst.bytes.size() + item.bytes.size() > size) {
      item = {"z", {'z'}};
    }
    burst.bytes += item.bytes;
    burst.codes.insert(burst.codes.end(), item.codes.begin(), item.codes.end());
  }
  return burst;
}
