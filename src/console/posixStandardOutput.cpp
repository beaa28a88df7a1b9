// Standard output on POSIX: write(2) on descriptor 1, waiting with poll(2)
// where the descriptor is non-blocking and full.

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "console/descriptorOutput.hpp"
#include "console/standardOutput.hpp"

int writeAllTo(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    if (written == 0) {
      return EIO;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd poller{descriptor, POLLOUT, 0};
      if (poll(&poller, 1, -1) < 0 && errno != EINTR) {
        return errno;
      }
    } else if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

int writeStandardOutput(const char* bytes, std::size_t count) {
  return writeAllTo(STDOUT_FILENO, std::string_view(bytes, count));
}
