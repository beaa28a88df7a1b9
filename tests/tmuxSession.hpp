#pragma once

#include <chrono>
#include <string>
#include <vector>

// A tmux server of the test's own (its own -L socket), running one command
// in one pane: a real terminal that keys are pressed in with send-keys. The
// server runs in a UTF-8 locale (tmux -u, LC_ALL=C.UTF-8), so a pane shows
// UTF-8 text as characters.

struct TmuxSession {
  std::string socket;
};

bool tmuxAvailable();

// Starts the server with the server options given (e.g. "extended-keys
// on") set before the command runs.
TmuxSession startTmux(const std::string& command, const std::vector<std::string>& serverOptions = {});

// Presses keys by their tmux names (F1, C-Up, M-d, Space, ...; text that
// names no key is typed as it is) in one burst, as a terminal sends keys
// typed ahead, except that a lone Escape is followed by a pause.
void pressKeys(const TmuxSession& session, const std::vector<std::string>& keys);

// Waits until the pane's terminal is in raw input mode (no ICANON).
bool waitForPaneRawMode(const TmuxSession& session, std::chrono::milliseconds timeout);

// Waits until `path` holds `expected` at its end.
bool waitForFileEnding(const std::string& path, const std::string& expected, std::chrono::milliseconds timeout);

// The pane's screen as text, one line per row, trailing blanks dropped.
std::string capturePane(const TmuxSession& session);

// Waits until the pane's screen holds `text`.
bool waitForPaneText(const TmuxSession& session, const std::string& text, std::chrono::milliseconds timeout);

void stopTmux(const TmuxSession& session);
