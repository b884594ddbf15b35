// Settings, report lines and the process-ending path of the body comparison.
#include "compare/compare_report.h"

#include "qvb/qvb_interface.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace qvb::compare {
namespace {

// Process-wide on purpose: they start at level 1 and tolerance 0.0 and keep
// the values of the last comparison.
int g_reportLevel = 1;
double gTolerance = 0.0;

}  // namespace

int reportLevel() { return g_reportLevel; }
double tolerance() { return gTolerance; }

void setSettings(int level, double toleranceValue) {
  g_reportLevel = level;
  gTolerance = toleranceValue;
}

void report(int threshold, const char *format, ...) {
  if (g_reportLevel < threshold) return;
  std::va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
}

void reportDelta(int threshold, double delta) { report(threshold, "  Delta: %e\n", delta); }

bool reportDeltaTest(const char *failLabel, const char *passLabel, double delta, int failThreshold) {
  if (delta > gTolerance) {
    report(failThreshold, "%s", failLabel);
    reportDelta(failThreshold, delta);
    return true;
  }
  report(kPassLine, "%s", passLabel);
  reportDelta(kPassLine, delta);
  return false;
}

void terminateComparison() {
  std::fflush(stdout);
  QVB_Terminate();
  std::exit(-1);
}

}  // namespace qvb::compare
