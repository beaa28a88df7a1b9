#include "systemLoad.hpp"

#include <unistd.h>

#include <fstream>

std::string systemLoad() {
  std::ifstream loadFile("/proc/loadavg");
  std::string oneMinute;
  std::string fiveMinutes;
  std::string fifteenMinutes;
  if (!(loadFile >> oneMinute >> fiveMinutes >> fifteenMinutes)) {
    return "load average unknown";
  }
  return "load average " + oneMinute + " " + fiveMinutes + " " + fifteenMinutes + " on " +
         std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " CPUs";
}
