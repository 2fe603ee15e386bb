#include "framework/win32/duration_trace.h"

#include <windows.h>

#include <cstdio>

DurationTrace::~DurationTrace() {
  const double milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_)
          .count();
  char line[128];
  std::snprintf(line, sizeof line, "Tarsil Software: %s took %.1f ms\n", what_, milliseconds);
  OutputDebugStringA(line);
}
