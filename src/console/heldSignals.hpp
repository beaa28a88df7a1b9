#pragma once

#include <csignal>

// The signals the terminal session holds back while it changes, shared by
// the session and the process's signal handlers. POSIX only.

// Holds back the session's signals (every caught signal whose handler
// changes the session: all but the faults) while the session changes, so
// that no handler sees it half changed; SIGTTOU too when `holdTtou`, and otherwise
// lets it through even if it was blocked. Raw mode is entered with SIGTTOU
// let through: from the background the kernel then stops the process before
// the terminal changes. Restores hold it back, so that they go through from
// anywhere.
class HeldSignals {
 public:
  explicit HeldSignals(bool holdTtou);
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t previous{};
};

constexpr bool holdTtou = true;
constexpr bool letTtouThrough = false;
