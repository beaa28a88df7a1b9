#pragma once

#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>

// visibleBytes, for the tests that show captured bytes.
#include "transcript.hpp"

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
