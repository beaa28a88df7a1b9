#pragma once

#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>

// What `write` puts on the standard output stream.
inline std::string captureOutput(const std::function<void()>& write) {
  std::ostringstream captured;
  std::streambuf* original = std::cout.rdbuf(captured.rdbuf());
  write();
  std::cout.rdbuf(original);
  return captured.str();
}

// What a program wrote to a file its output was redirected to.
inline std::string fileContents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

// Shows control and high bytes as escapes, so a failing comparison shows
// every byte.
inline std::string visibleBytes(const std::string& bytes) {
  static constexpr char hexDigits[] = "0123456789abcdef";
  std::string shown;
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 0x20 && value < 0x7F && value != '\\') {
      shown += byte;
    } else {
      shown += "\\x";
      shown += hexDigits[value >> 4];
      shown += hexDigits[value & 0x0F];
    }
  }
  return shown;
}
