#pragma once

// Memory figures of a running process, read from /proc.

#include <sys/types.h>

#include <string>

// VmHWM of the process in kB, or -1 when it cannot be read.
long peakResidentKb(pid_t pid);

// The resident memory of the process by mapped file, largest first, e.g.
// "libstdc++.so.6 1532, libc.so.6 884, [anon] 120" (kB), at most `limit` items.
std::string residentByMapping(pid_t pid, int limit);
