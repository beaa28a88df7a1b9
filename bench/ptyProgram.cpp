#include "ptyProgram.hpp"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "processMemory.hpp"
#include "ptyReader.hpp"
#include "tableRow.hpp"

namespace {

constexpr int execFailedStatus = 127;
constexpr int terminalRows = 50;
constexpr int terminalColumns = 120;
constexpr long pauseNs = 100'000;
constexpr int mappingsShown = 6;
constexpr char finalKey = 'x';

void pauseBriefly() {
  const timespec pause{0, pauseNs};
  nanosleep(&pause, nullptr);
}

// Waits for the program to exit, reading its output meanwhile so that it
// can never block on a full terminal; returns its wait status.
int awaitExit(PtyProgram& program, TimePoint deadline) {
  for (;;) {
    int status = 0;
    const pid_t reaped = waitpid(program.pid, &status, WNOHANG);
    if (reaped == program.pid) {
      program.pid = -1;
      return status;
    }
    if (reaped < 0 && errno != EINTR) {
      failProgram(program, "cannot be waited for");
    }
    if (benchNow() >= deadline) {
      failProgram(program, "did not exit after the final key");
    }
    const TimePoint shortWait = benchNow() + std::chrono::milliseconds(1);
    if (readMore(program, shortWait < deadline ? shortWait : deadline) == ReadOutcome::closed) {
      pauseBriefly();
    }
  }
}

}  // namespace

void failProgram(const PtyProgram& program, const std::string& message) {
  throw std::runtime_error(program.name + ": " + message);
}

void spawnProgram(PtyProgram& program, const std::string& path, const std::string& name, bool answersAttributes) {
  program.name = name;
  program.answersAttributes = answersAttributes;
  if (access(path.c_str(), X_OK) != 0) {
    failProgram(program, "cannot be run: " + path);
  }
  winsize size{};
  size.ws_row = terminalRows;
  size.ws_col = terminalColumns;
  int masterFd = -1;
  const pid_t pid = forkpty(&masterFd, nullptr, nullptr, &size);
  if (pid < 0) {
    failProgram(program, "forkpty failed");
  }
  if (pid == 0) {
    char* const arguments[] = {const_cast<char*>(path.c_str()), nullptr};
    execv(path.c_str(), arguments);
    _exit(execFailedStatus);
  }
  program.pid = pid;
  program.masterFd = masterFd;
  // Non-blocking, and not inherited by the next program started.
  fcntl(masterFd, F_SETFL, fcntl(masterFd, F_GETFL) | O_NONBLOCK);
  fcntl(masterFd, F_SETFD, FD_CLOEXEC);
}

void waitForRawMode(PtyProgram& program, TimePoint deadline) {
  // On Linux the master side reports the settings of the terminal side.
  for (;;) {
    termios settings{};
    if (tcgetattr(program.masterFd, &settings) != 0) {
      failProgram(program, "terminal settings cannot be read");
    }
    if ((settings.c_lflag & (ICANON | ECHO)) == 0) {
      return;
    }
    if (benchNow() >= deadline) {
      failProgram(program, "never switched the terminal to raw mode");
    }
    pauseBriefly();
  }
}

void sendBytes(PtyProgram& program, std::string_view bytes, TimePoint deadline) {
  while (!bytes.empty()) {
    const ssize_t count = write(program.masterFd, bytes.data(), bytes.size());
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
      continue;
    }
    if (count < 0 && errno != EAGAIN && errno != EINTR) {
      failProgram(program, "the terminal cannot be written");
    }
    if (benchNow() >= deadline) {
      failProgram(program, "does not take its input");
    }
    // The program may be blocked on a full output side: read meanwhile.
    if (readMore(program, benchNow() + std::chrono::milliseconds(1)) == ReadOutcome::closed) {
      failProgram(program, "closed its terminal");
    }
  }
}

void sendPendingAnswers(PtyProgram& program) {
  if (program.pendingAnswers.empty()) {
    return;
  }
  const ssize_t written = write(program.masterFd, program.pendingAnswers.data(), program.pendingAnswers.size());
  if (written > 0) {
    program.pendingAnswers.erase(0, static_cast<std::size_t>(written));
  }
}

ClosingFigures endProgram(PtyProgram& program) {
  const TimePoint deadline = deadlineAfter(stepTimeoutMs);
  waitForRawMode(program, deadline);
  if (!program.output.empty()) {
    failProgram(program, "wrote unexpected output: " + printable(program.output));
  }
  sendBytes(program, std::string_view(&endKey, 1), deadline);
  awaitBytes(program, rowBytes, deadline, "the row of the space key");
  if (takeRows(program, 1).front() != endKey) {
    failProgram(program, "the space key gave another code");
  }
  const std::size_t promptEnd = awaitText(program, promptText, deadline);
  if (promptEnd != promptText.size()) {
    failProgram(program, "wrote unexpected output before the prompt: " + printable(program.output));
  }
  program.output.clear();
  ClosingFigures figures;
  figures.peakResidentKb = peakResidentKb(program.pid);
  figures.residentByMapping = residentByMapping(program.pid, mappingsShown);
  sendBytes(program, std::string_view(&finalKey, 1), deadline);
  const int status = awaitExit(program, deadline);
  // What the program wrote just before it exited, e.g. a sequence that
  // puts the terminal back, is still held on the master side.
  while (readAvailable(program) == ReadOutcome::data) {
  }
  close(program.masterFd);
  program.masterFd = -1;
  figures.controlSequences = program.controlSequences;
  figures.attributeRequests = program.attributeRequests;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    failProgram(program, "did not exit with 0 (wait status " + std::to_string(status) + ")");
  }
  return figures;
}

void abandonProgram(PtyProgram& program) {
  if (program.pid > 0) {
    kill(program.pid, SIGKILL);
    waitpid(program.pid, nullptr, 0);
    program.pid = -1;
  }
  if (program.masterFd >= 0) {
    close(program.masterFd);
    program.masterFd = -1;
  }
}
