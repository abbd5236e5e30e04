// RunSideBySide: jobs on threads of their own, all started before any is
// waited for, so that their waits overlap.
#include "serial/serial_port.h"

void RunSideBySide(SideBySideJob job, void* context, int32_t count) {
  if (count > kMaxSideBySideJobs) count = kMaxSideBySideJobs;
  JobStart starts[kMaxSideBySideJobs];
  JobThread threads[kMaxSideBySideJobs];
  bool started[kMaxSideBySideJobs];
  for (int32_t i = 0; i < count; ++i) {
    starts[i] = {job, context, i};
    started[i] = StartJobThread(&starts[i], &threads[i]);
  }
  for (int32_t i = 0; i < count; ++i)
    if (!started[i]) job(context, i);
  // Each job bounds its own waits; the one that takes longest sets the time.
  for (int32_t i = 0; i < count; ++i)
    if (started[i]) JoinJobThread(threads[i]);
}
