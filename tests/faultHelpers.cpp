#include "faultHelpers.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "keys/keyboardMode.hpp"
#include "terminalChecks.hpp"
#include "transcript.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t contextBytes = 80;
constexpr milliseconds readStep(2);

#if defined(__SANITIZE_ADDRESS__)
constexpr double sanitizerScale = 3.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double sanitizerScale = 3.0;
#else
constexpr double sanitizerScale = 1.0;
#endif
#else
constexpr double sanitizerScale = 1.0;
#endif

std::string around(const std::string& text, std::size_t at) {
  const std::size_t start = at > contextBytes ? at - contextBytes : 0;
  return visibleBytes(text.substr(start, 2 * contextBytes));
}

// What the terminal holds of the program's output, without a wait for quiet:
// a read that would block returns only after the kernel has passed on every
// byte written before it.
void readPending(const PtyProcess& process, std::string& output) {
  const int flags = fcntl(process.master, F_GETFL);
  fcntl(process.master, F_SETFL, flags | O_NONBLOCK);
  char buffer[4096];
  for (ssize_t count = 0; (count = read(process.master, buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(count));
  }
  fcntl(process.master, F_SETFL, flags);
}

}  // namespace

double timeScale() {
  const char* fromEnvironment = std::getenv("KEYCODES_TEST_TIME_SCALE");
  const double extra = fromEnvironment != nullptr ? std::strtod(fromEnvironment, nullptr) : 1.0;
  return sanitizerScale * (extra >= 1.0 ? extra : 1.0);
}

milliseconds scaled(milliseconds bound) {
  return milliseconds(static_cast<long long>(static_cast<double>(bound.count()) * timeScale()));
}

bool underValgrind() {
  const char* preloaded = std::getenv("LD_PRELOAD");
  return preloaded != nullptr && std::string_view(preloaded).find("vgpreload") != std::string_view::npos;
}

PtyProcess startTool(std::string& output, KeyboardAnswer answer, const PtyOptions& options,
                     const std::string& program) {
  PtyProcess process = startInPty(program, options);
  EXPECT_TRUE(answerKeyboardQuery(process, output, answer)) << visibleBytes(output);
  EXPECT_TRUE(waitForRawMode(process, scaled(milliseconds(5000)))) << describeSettings(currentSettings(process));
  return process;
}

std::string legacyScreen(const std::vector<int>& codes) {
  return asTerminalShowsIt(expectedGreeting()) + std::string(keyboardProtocolQuery) + rowsOnTerminal(codes) +
         closingPrompt;
}

void finishRun(PtyProcess& process, std::string& output, std::string_view keys, std::string_view finalKey) {
  sendBytes(process, keys);
  const std::string table = readUntil(process, closingPrompt, promptWait());
  output += table;
  EXPECT_NE(table.find(closingPrompt), std::string::npos) << "no closing prompt: " << visibleBytes(output);
  sendBytes(process, finalKey);
  const int status = waitWhileReading(process, output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  expectSettingsRestored(process);
}

int waitWhileReading(PtyProcess& process, std::string& output, milliseconds timeout) {
  const auto deadline = Clock::now() + scaled(timeout);
  int status = 0;
  while (Clock::now() < deadline) {
    if (waitpid(process.pid, &status, WNOHANG) == process.pid) {
      process.pid = -1;
      readPending(process, output);
      return status;
    }
    readChunk(process, output, readStep);
  }
  kill(process.pid, SIGKILL);
  waitpid(process.pid, &status, 0);
  process.pid = -1;
  return -1;
}

bool readUntilShown(const PtyProcess& process, std::string& screen, std::string_view part, int count,
                    milliseconds timeout) {
  // A program that writes without end, rows of -1 say, ends the wait too.
  constexpr std::size_t floodSize = std::size_t{1} << 20;
  const auto deadline = Clock::now() + scaled(timeout);
  while (countOf(screen, part) < count && Clock::now() < deadline && screen.size() < floodSize) {
    readChunk(process, screen, milliseconds(20));
  }
  const bool shown = countOf(screen, part) >= count;
  EXPECT_TRUE(shown) << "waiting for " << visibleBytes(part) << " x" << count << " in\n" << visibleBytes(screen);
  return shown;
}

std::string firstDifference(const std::string& actual, const std::string& expected) {
  const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
  return "first difference at byte " + std::to_string(at) + " of " + std::to_string(actual.size()) + " (expected " +
         std::to_string(expected.size()) + ")\n  got:      ..." + around(actual, at) + "...\n  expected: ..." +
         around(expected, at) + "...";
}

std::string withoutEvery(std::string text, std::string_view part, int& count) {
  count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
    text.erase(at, part.size());
    ++count;
  }
  return text;
}

int countOf(const std::string& text, std::string_view part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

namespace {

// The fields of /proc/PID/stat after the process's name: state, parent,
// group, session and so on; empty once the process is gone.
std::string statFields(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t nameEnd = line.rfind(')');
  return nameEnd != std::string::npos && nameEnd + 2 < line.size() ? line.substr(nameEnd + 2) : "";
}

}  // namespace

char processState(pid_t pid) {
  const std::string fields = statFields(pid);
  return fields.empty() ? '?' : fields[0];
}

void killSession(pid_t session) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    const pid_t pid = std::stoi(name);
    std::istringstream fields(statFields(pid));
    char state = 0;
    pid_t parent = 0;
    pid_t group = 0;
    pid_t sessionOfPid = 0;
    if (fields >> state >> parent >> group >> sessionOfPid && sessionOfPid == session) {
      kill(pid, SIGKILL);
    }
  }
}

bool waitForStop(pid_t pid) {
  const auto deadline = Clock::now() + scaled(milliseconds(5000));
  while (processState(pid) != 'T' && Clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(1));
  }
  return processState(pid) == 'T';
}
