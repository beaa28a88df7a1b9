#include "processMemory.hpp"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view peakKey = "VmHWM:";
constexpr std::string_view residentKey = "Rss:";
constexpr std::string_view anonymousName = "[anon]";
constexpr int pathField = 5;

std::string procPath(pid_t pid, const char* entry) { return "/proc/" + std::to_string(pid) + "/" + entry; }

// A mapping's header line starts with its address range, "lo-hi".
bool isMappingHeader(const std::string& line) {
  const std::size_t dash = line.find('-');
  const std::size_t space = line.find(' ');
  return dash != std::string::npos && space != std::string::npos && dash < space &&
         line.find_first_not_of("0123456789abcdef") == dash;
}

std::string mappingName(const std::string& header) {
  std::istringstream fields(header);
  std::string field;
  for (int index = 0; index <= pathField; ++index) {
    if (!(fields >> field)) {
      return std::string(anonymousName);
    }
  }
  const std::size_t slash = field.rfind('/');
  return slash == std::string::npos ? field : field.substr(slash + 1);
}

}  // namespace

long peakResidentKb(pid_t pid) {
  std::ifstream status(procPath(pid, "status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(peakKey, 0) == 0) {
      return std::stol(line.substr(peakKey.size()));
    }
  }
  return -1;
}

std::string residentByMapping(pid_t pid, int limit) {
  std::ifstream smaps(procPath(pid, "smaps"));
  std::map<std::string, long> residentKb;
  std::string current = std::string(anonymousName);
  std::string line;
  while (std::getline(smaps, line)) {
    if (isMappingHeader(line)) {
      current = mappingName(line);
    } else if (line.rfind(residentKey, 0) == 0) {
      residentKb[current] += std::stol(line.substr(residentKey.size()));
    }
  }
  std::vector<std::pair<std::string, long>> sorted(residentKb.begin(), residentKb.end());
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& left, const auto& right) { return left.second > right.second; });
  std::string text;
  long rest = 0;
  for (std::size_t index = 0; index < sorted.size(); ++index) {
    if (static_cast<int>(index) >= limit) {
      rest += sorted[index].second;
      continue;
    }
    if (!text.empty()) {
      text += ", ";
    }
    text += sorted[index].first;
    text += ' ';
    text += std::to_string(sorted[index].second);
  }
  if (rest > 0) {
    text += ", others " + std::to_string(rest);
  }
  return text;
}
