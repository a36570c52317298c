#pragma once
// The benchmarks' wall clock under Windows: milliseconds from the performance counter.
#include <windows.h>

namespace lectavo::bench {

inline double nowMs() {
  static const LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace lectavo::bench
