#include "tmuxSession.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "captureOutput.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// Quotes a word for the shell that std::system starts.
std::string quoted(const std::string& word) {
  std::string result = "'";
  for (const char character : word) {
    if (character == '\'') {
      result += "'\\''";
    } else {
      result += character;
    }
  }
  return result + "'";
}

std::string tmuxCommand(const TmuxSession& session, const std::string& arguments) {
  return "LC_ALL=C.UTF-8 tmux -u -L " + session.socket + " " + arguments;
}

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return output;
  }
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    output += buffer;
  }
  pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
    output.pop_back();
  }
  return output;
}

void run(const std::string& command) {
  const int status = std::system(command.c_str());
  static_cast<void>(status);
}

// Far more than the Escape wait, so a lone Escape is decided before the
// next key comes.
constexpr std::chrono::milliseconds escapePause(50);

std::string paneTerminal(const TmuxSession& session) {
  return commandOutput(tmuxCommand(session, "display-message -p '#{pane_tty}'"));
}

}  // namespace

bool tmuxAvailable() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

TmuxSession startTmux(const std::string& command, const std::vector<std::string>& serverOptions) {
  static int sessionCount = 0;
  TmuxSession session{"keycodes-test-" + std::to_string(getpid()) + "-" + std::to_string(++sessionCount)};
  std::string options;
  for (const std::string& option : serverOptions) {
    options += "set-option -s " + option + " \\; ";
  }
  const std::string start = options.empty() ? "" : "start-server \\; " + options;
  run(tmuxCommand(session, "-f /dev/null " + start + "new-session -d -x 100 -y 40 " + quoted(command)));
  return session;
}

void pressKeys(const TmuxSession& session, const std::vector<std::string>& keys) {
  std::string burst;
  for (const std::string& key : keys) {
    burst += ' ';
    burst += quoted(key);
    if (key == "Escape") {
      run(tmuxCommand(session, "send-keys" + burst));
      std::this_thread::sleep_for(escapePause);
      burst.clear();
    }
  }
  if (!burst.empty()) {
    run(tmuxCommand(session, "send-keys" + burst));
  }
}

bool waitForPaneRawMode(const TmuxSession& session, std::chrono::milliseconds timeout) {
  const std::string terminal = paneTerminal(session);
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    const std::string settings = commandOutput("stty -F " + quoted(terminal) + " -a 2>/dev/null");
    if (settings.find("-icanon") != std::string::npos) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool waitForFileEnding(const std::string& path, const std::string& expected, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    if (fileContents(path).ends_with(expected)) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string capturePane(const TmuxSession& session) { return commandOutput(tmuxCommand(session, "capture-pane -p")); }

bool waitForPaneText(const TmuxSession& session, const std::string& text, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    if (capturePane(session).find(text) != std::string::npos) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void stopTmux(const TmuxSession& session) {
  // The server leaves its socket file behind when it is killed, or when it
  // ended on its own: the file goes too, found where tmux makes it.
  run(tmuxCommand(session, "kill-server 2>/dev/null"));
  const char* directory = std::getenv("TMUX_TMPDIR");
  const std::string socketPath = std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
                                 "/tmux-" + std::to_string(getuid()) + "/" + session.socket;
  std::remove(socketPath.c_str());
}
