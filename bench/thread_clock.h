// The calling thread's processor time as a clock for the benchmarks: what a
// run takes of the processor it runs on, not counting the time other
// programs on a busy machine take from it (on a quiet machine, the elapsed
// time).
#pragma once

#include <time.h>

#include <chrono>
#include <cstdint>

struct ThreadClock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<ThreadClock>;
  static time_point now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return time_point(duration(std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec));
  }
};
