#include "cpuPinning.hpp"

#include <sched.h>

int pinToOneCpu() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    return -1;
  }
  for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu) {
    if (CPU_ISSET(cpu, &allowed)) {
      cpu_set_t chosen;
      CPU_ZERO(&chosen);
      CPU_SET(cpu, &chosen);
      return sched_setaffinity(0, sizeof chosen, &chosen) == 0 ? cpu : -1;
    }
  }
  return -1;
}
