#include "ptyHarness.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned short terminalRows = 40;
constexpr unsigned short terminalColumns = 100;
// Large enough that a burst of rows is read in few calls.
constexpr std::size_t readBufferSize = 65536;

[[noreturn]] void runChild(const std::string& program, const PtyOptions& options) {
  if (!options.standardInputFile.empty()) {
    const int input = open(options.standardInputFile.c_str(), O_RDONLY);
    if (input < 0 || dup2(input, STDIN_FILENO) < 0) {
      _exit(126);
    }
  }
  if (!options.standardOutputFile.empty()) {
    const int output = open(options.standardOutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output < 0 || dup2(output, STDOUT_FILENO) < 0) {
      _exit(126);
    }
  }
  setenv("TERM", options.term.c_str(), 1);
  // The C locale unless the test names another, so what the tool writes to
  // its terminal does not depend on the locale of whoever runs the tests.
  setenv("LC_ALL", "C", 1);
  for (const std::string& entry : options.environment) {
    putenv(const_cast<char*>(entry.c_str()));
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : options.arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

long millisecondsLeft(Clock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
}

}  // namespace

struct termios freshTerminalSettings() {
  int master = -1;
  int terminal = -1;
  struct termios settings {};
  if (openpty(&master, &terminal, nullptr, nullptr, nullptr) == 0) {
    tcgetattr(terminal, &settings);
    close(terminal);
    close(master);
  }
  return settings;
}

PtyProcess startInPty(const std::string& program, const PtyOptions& options) {
  struct termios settings = freshTerminalSettings();
  struct winsize size {};
  size.ws_row = terminalRows;
  size.ws_col = terminalColumns;
  PtyProcess process;
  process.pid = forkpty(&process.master, nullptr, &settings, &size);
  if (process.pid == 0) {
    runChild(program, options);
  }
  if (process.pid > 0) {
    // Not inherited by the next program started, which would keep this
    // terminal open after the test closes it.
    fcntl(process.master, F_SETFD, FD_CLOEXEC);
  }
  if (process.pid > 0 && options.holdTerminal) {
    process.heldTerminal = open(ptsname(process.master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  return process;
}

void sendBytes(const PtyProcess& process, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = write(process.master, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
}

bool sendBytesWhileReading(const PtyProcess& process, std::string_view bytes, std::string& output,
                           std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  // Non-blocking for the time being: a write takes what fits and no more.
  const int flags = fcntl(process.master, F_GETFL);
  fcntl(process.master, F_SETFL, flags | O_NONBLOCK);
  bool open = true;
  while (!bytes.empty() && open && millisecondsLeft(deadline) > 0) {
    pollfd poller{process.master, POLLIN | POLLOUT, 0};
    if (poll(&poller, 1, static_cast<int>(millisecondsLeft(deadline))) <= 0) {
      continue;
    }
    if ((poller.revents & POLLOUT) != 0) {
      const ssize_t count = write(process.master, bytes.data(), bytes.size());
      if (count > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(count));
      }
      open = count > 0 || errno == EAGAIN || errno == EINTR;
    }
    if ((poller.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      open = readChunk(process, output, std::chrono::milliseconds(0)) && open;
    }
  }
  fcntl(process.master, F_SETFL, flags);
  return bytes.empty();
}

bool readChunk(const PtyProcess& process, std::string& output, std::chrono::milliseconds wait) {
  pollfd poller{process.master, POLLIN, 0};
  const auto waitMs = std::max<long long>(0, wait.count());
  if (poll(&poller, 1, static_cast<int>(waitMs)) <= 0) {
    return false;
  }
  char buffer[readBufferSize];
  const ssize_t count = read(process.master, buffer, sizeof buffer);
  if (count <= 0) {
    return false;
  }
  output.append(buffer, static_cast<std::size_t>(count));
  return true;
}

std::string readUntil(const PtyProcess& process, std::string_view expected, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::string output;
  // Only the bytes that came since the last search can complete `expected`.
  std::size_t searchFrom = 0;
  while (output.find(expected, searchFrom) == std::string::npos) {
    searchFrom = output.size() >= expected.size() ? output.size() - expected.size() + 1 : 0;
    const long left = millisecondsLeft(deadline);
    if (left <= 0 || !readChunk(process, output, std::chrono::milliseconds(left))) {
      break;
    }
  }
  return output;
}

std::string readAvailable(const PtyProcess& process, std::chrono::milliseconds quietTime) {
  std::string output;
  while (readChunk(process, output, quietTime)) {
  }
  return output;
}

int waitForExit(PtyProcess& process, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(process.pid, &status, WNOHANG);
    if (done == process.pid) {
      process.pid = -1;
      return status;
    }
    if (done < 0 || millisecondsLeft(deadline) <= 0) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(process.pid, SIGKILL);
  waitpid(process.pid, &status, 0);
  process.pid = -1;
  return -1;
}

bool waitForRawMode(const PtyProcess& process, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while ((currentSettings(process).c_lflag & ICANON) != 0) {
    if (millisecondsLeft(deadline) <= 0) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

struct termios currentSettings(const PtyProcess& process) {
  struct termios settings {};
  tcgetattr(process.master, &settings);
  return settings;
}

bool sameSettings(const struct termios& left, const struct termios& right) {
  return left.c_iflag == right.c_iflag && left.c_oflag == right.c_oflag && left.c_cflag == right.c_cflag &&
         left.c_lflag == right.c_lflag && std::memcmp(left.c_cc, right.c_cc, sizeof left.c_cc) == 0;
}

std::string describeSettings(const struct termios& settings) {
  std::ostringstream description;
  description << std::hex << "iflag=" << settings.c_iflag << " oflag=" << settings.c_oflag
              << " cflag=" << settings.c_cflag << " lflag=" << settings.c_lflag << std::dec
              << " VMIN=" << static_cast<int>(settings.c_cc[VMIN])
              << " VTIME=" << static_cast<int>(settings.c_cc[VTIME]);
  return description.str();
}

void closePty(PtyProcess& process) {
  if (process.pid > 0) {
    kill(process.pid, SIGKILL);
    int status = 0;
    waitpid(process.pid, &status, 0);
    process.pid = -1;
  }
  if (process.heldTerminal >= 0) {
    close(process.heldTerminal);
    process.heldTerminal = -1;
  }
  if (process.master >= 0) {
    close(process.master);
    process.master = -1;
  }
}
