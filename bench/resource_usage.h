// What the process holds right now: open handles (file descriptors on
// Linux), threads and resident memory. For the leak soak.
#pragma once

#include <cstdint>

struct ResourceUsage {
  int64_t handles;
  int64_t threads;
  int64_t residentBytes;
};

ResourceUsage CurrentResourceUsage();

// A monotonic clock in microseconds.
int64_t NowMicroseconds();
