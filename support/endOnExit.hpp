#pragma once

#include <functional>
#include <utility>

// Ends what a test started (a program on a pty, a tmux server) when the test
// leaves the scope, on a failed assertion too, so that no test leaves a
// process running.
class EndOnExit {
 public:
  explicit EndOnExit(std::function<void()> end) : end(std::move(end)) {}
  ~EndOnExit() { end(); }
  EndOnExit(const EndOnExit&) = delete;
  EndOnExit& operator=(const EndOnExit&) = delete;

 private:
  std::function<void()> end;
};
