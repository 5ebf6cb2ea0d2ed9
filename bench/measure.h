// What the benchmarks measure in-process: the best time of a few runs and the peak memory.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace benchmeasure {

// The best of `runs` calls, in milliseconds.
inline double BestMs(const std::function<void()>& f, int runs = 3) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best * 1000;
}

// The process's peak resident memory so far.
inline long PeakMiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

}  // namespace benchmeasure
