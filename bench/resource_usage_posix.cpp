// Resource usage from /proc/self on Linux.
#include <dirent.h>
#include <time.h>

#include <cstdio>
#include <cstring>

#include "bench/resource_usage.h"

namespace {

int64_t CountOpenDescriptors() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int64_t count = 0;
  while (const dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  closedir(dir);
  return count - 1;  // the descriptor of the listing itself
}

// A "Name:   value kB" line of /proc/self/status.
int64_t StatusField(const char* name) {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  int64_t value = -1;
  const size_t nameLength = std::strlen(name);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, name, nameLength) == 0 && line[nameLength] == ':') {
      long long parsed = 0;
      if (std::sscanf(line + nameLength + 1, "%lld", &parsed) == 1) value = parsed;
      break;
    }
  }
  std::fclose(status);
  return value;
}

}  // namespace

ResourceUsage CurrentResourceUsage() {
  return {CountOpenDescriptors(), StatusField("Threads"), StatusField("VmRSS") * 1024};
}

int64_t NowMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}
