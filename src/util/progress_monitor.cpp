// The progress monitor: percentage and remaining time of a long loop.
#include "qvb/qvb_util.h"

#include "platform/os.h"

#include <cstdio>

namespace {

// One process-wide monitor, one loop at a time.
struct ProgressMonitor {
  bool started = false;
  int total = 0;
  int count = 0;
  double startTime = 0.0;
  double lastStamp = 0.0;
  double estimate = 0.0;  // of the whole loop's duration, in seconds
};

ProgressMonitor g_monitor;

}  // namespace

extern "C" QVB_API void QVB_TimeMonitor(int total) {
  const double now = qvb::platform::wallClock();
  g_monitor = ProgressMonitor{true, total, 0, now, now, 0.0};
}

extern "C" QVB_API void QVB_TimeMonitorStamp(void) {
  // Without a started monitor or with no steps there is no sensible
  // percentage (and a division by zero): stay silent.
  if (!g_monitor.started || g_monitor.total <= 0) return;
  ProgressMonitor &m = g_monitor;
  m.count += 1;
  const double fraction = static_cast<double>(m.count) / static_cast<double>(m.total);
  double remaining = 0.0;
  double percentage = 0.0;
  if (fraction != 0.0) {
    const double now = qvb::platform::wallClock();
    const double step = now - m.lastStamp;
    const double elapsed = now - m.startTime;
    double estimate = (m.total - m.count) * step + elapsed;
    // Averaging with the previous estimate damps the jitter of single steps.
    if (m.estimate != 0.0) estimate = (estimate + m.estimate) / 2.0;
    m.estimate = estimate;
    remaining = estimate - elapsed;
    m.lastStamp = now;
    percentage = fraction * 100.0;
  }
  std::printf("\r%3d%%, %4d seconds left of %4d estimated total         ", static_cast<int>(percentage),
              static_cast<int>(remaining), static_cast<int>(m.estimate));
  std::fflush(stdout);
}
