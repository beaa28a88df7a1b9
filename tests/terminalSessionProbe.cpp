// Opens the terminal the way the tool does, optionally with the enhanced key
// reports on ("enhanced" as the second argument), then leaves the process in
// the way its first argument names (return, exit, abort, throw, overflow:
// a stack overflow, wait: until a signal), so a test can check the terminal
// settings after each way out.

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "console/terminalSession.hpp"
#include "keys/keyboardMode.hpp"

namespace {

// Recurses until the stack runs out: every frame keeps its buffer.
int overflowStack(int depth) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  if (depth < 0) {
    return 0;
  }
  return overflowStack(depth + 1) + frame[0];
}

void announce(const char* text) {
  const ssize_t written = write(STDOUT_FILENO, text, std::strlen(text));
  static_cast<void>(written);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !openProcessTerminal()) {
    return 2;
  }
  if (argc > 2 && std::strcmp(argv[2], "enhanced") == 0) {
    processTerminal().useKeyboardMode(pushEnhancedKeys, popEnhancedKeys);
  }
  announce("raw\n");
  const char* const way = argv[1];
  if (std::strcmp(way, "return") == 0) {
    return 0;
  }
  if (std::strcmp(way, "exit") == 0) {
    std::exit(3);
  }
  if (std::strcmp(way, "abort") == 0) {
    std::abort();
  }
  if (std::strcmp(way, "throw") == 0) {
    throw std::runtime_error("nobody catches this");
  }
  if (std::strcmp(way, "overflow") == 0) {
    return overflowStack(1);
  }
  // "wait": stay until a signal ends the process.
  for (;;) {
    pause();
  }
}
