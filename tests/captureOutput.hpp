#pragma once

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
