#include "ptyHarness.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned short terminalRows = 40;
constexpr unsigned short terminalColumns = 100;

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

// Reads one chunk within `waitMs`; false when nothing came or the side closed.
bool readChunk(int master, std::string& output, long waitMs) {
  pollfd poller{master, POLLIN, 0};
  if (poll(&poller, 1, static_cast<int>(waitMs < 0 ? 0 : waitMs)) <= 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t count = read(master, buffer, sizeof buffer);
  if (count <= 0) {
    return false;
  }
  output.append(buffer, static_cast<std::size_t>(count));
  return true;
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
  if (process.pid > 0 && options.holdTerminal) {
    process.heldTerminal = open(ptsname(process.master), O_RDWR | O_NOCTTY);
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

std::string readUntil(const PtyProcess& process, std::string_view expectedEnd, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::string output;
  while (!output.ends_with(expectedEnd)) {
    const long left = millisecondsLeft(deadline);
    if (left <= 0 || !readChunk(process.master, output, left)) {
      break;
    }
  }
  return output;
}

std::string readAvailable(const PtyProcess& process, std::chrono::milliseconds quietTime) {
  std::string output;
  while (readChunk(process.master, output, quietTime.count())) {
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
