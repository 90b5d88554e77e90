#pragma once

// Wall-clock time of one piece of work, for the benchmarks' printed figures.

#include <chrono>

template <typename F>
double Milliseconds(F&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}
