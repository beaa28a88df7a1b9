// The key reader on a POSIX terminal: one byte of /dev/tty per call.

#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "console/readKey.hpp"
#include "console/terminalSession.hpp"

namespace {

// A closed pipe on standard output must not kill the tool, which would leave
// the terminal raw: the stream just enters its failed state instead.
const bool brokenPipeIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;

constexpr int notOpened = -2;
int terminalFd = notOpened;

}  // namespace

int readKey() {
  static_cast<void>(brokenPipeIgnored);
  if (terminalFd == notOpened) {
    terminalFd = openTerminal();
  }
  if (terminalFd < 0) {
    return -1;
  }
  unsigned char byte = 0;
  for (;;) {
    const ssize_t count = read(terminalFd, &byte, 1);
    if (count == 1) {
      return byte;
    }
    if (count < 0 && errno == EINTR) {
      continue;
    }
    return -1;
  }
}
