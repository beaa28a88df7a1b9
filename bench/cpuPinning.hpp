#pragma once

// Keeping the benchmark and every program it starts on one CPU, so that no
// program gains or loses by the CPU it happens to be woken on.

// Pins the calling process, and so every child it forks later, to the last
// CPU it may run on. Returns that CPU, or -1 when it could not pin.
int pinToOneCpu();
