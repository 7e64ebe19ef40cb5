// Wall-clock seconds for the benchmark programs. (<chrono> cannot be used: its
// micro sign has no Shift-JIS form.)
#pragma once

#ifdef _WIN32
#include <windows.h>

inline double bench_now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}
#else
#include <time.h>

inline double bench_now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}
#endif
