#pragma once

#include "console/terminalInput.hpp"
#include "console/terminalSession.hpp"
#include "keys/terminalFamilies.hpp"

// Asks the terminal, where its family takes the question, whether it
// reports keys unambiguously, and switches the mode chosen for its answer
// on for the run. Everything read while waiting for the answer stays in the
// input: keys typed meanwhile are given as usual.
void negotiateKeyboardMode(TerminalSession& session, TerminalInput& input, const TerminalFamilyRow& family);
