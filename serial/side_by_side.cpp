// RunSideBySide: jobs shared out among threads of their own, all started
// before any is waited for, so that their waits overlap.
#include <atomic>

#include "serial/serial_port.h"

namespace {

// The jobs of one RunSideBySide call. Every thread that started takes the
// next job not yet taken, so a job is never left waiting for a thread that
// could not be started while a started one sits idle.
struct SharedJobs {
  SideBySideJob job;
  void* context;
  int32_t count;
  std::atomic<int32_t> next;
};

void TakeJobsInTurn(void* context, int32_t) {
  SharedJobs* jobs = static_cast<SharedJobs*>(context);
  for (;;) {
    const int32_t index = jobs->next.fetch_add(1);
    if (index >= jobs->count) return;
    jobs->job(jobs->context, index);
  }
}

}  // namespace

void RunSideBySide(SideBySideJob job, void* context, int32_t count) {
  if (count > kMaxSideBySideJobs) count = kMaxSideBySideJobs;
  if (count <= 0) return;
  SharedJobs jobs{job, context, count, {0}};
  const JobStart start{TakeJobsInTurn, &jobs, 0};
  JobThread threads[kMaxSideBySideJobs];
  int32_t started = 0;
  // One thread per job: each job bounds its own waits, so with every thread
  // started the one that takes longest sets the time. With fewer threads,
  // silent ports cost their waits in turns of as many as there are threads.
  for (int32_t i = 0; i < count; ++i)
    if (StartJobThread(&start, &threads[started])) ++started;
  if (started == 0) TakeJobsInTurn(&jobs, 0);
  for (int32_t i = 0; i < started; ++i) JoinJobThread(threads[i]);
}
