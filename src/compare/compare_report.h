// Shared machinery of the body comparison: the two process-wide settings,
// level-filtered report lines, the difference measure most checks use, and
// the process-ending path for mismatches that make a comparison meaningless.
#pragma once

#include "qvb/qvb_export.h"

#include <cmath>
#include <vector>

namespace qvb::compare {

// Thresholds of the report lines: a line prints when the report level is at
// least its threshold, so a negative level silences the whole report.
enum ReportThreshold { kFailLine = 0, kNoteLine = 1, kPassLine = 2, kVerdictLine = 1 };

// The two settings every check reads. They outlive a comparison on purpose:
// a host may call the exported global-properties check on its own afterwards.
int reportLevel();
double tolerance();
void setSettings(int level, double tolerance);

// printf to standard output when the report level reaches `threshold`.
void report(int threshold, const char *format, ...) __attribute__((format(printf, 2, 3)));

// The value part that follows most labels on the same line.
void reportDelta(int threshold, double delta);

// "->Fail <label>" (at `failThreshold`, level 0 unless a check says
// otherwise) or "  Pass <label>" at level 2, each followed by the delta;
// returns true when the delta is above the tolerance. A delta that is not a
// number does not fail (a plain floating-point comparison).
bool reportDeltaTest(const char *failLabel, const char *passLabel, double delta, int failThreshold = kFailLine);

// Largest difference over the largest base magnitude, floored at 1.0: an
// absolute test for values up to 1 in size and a relative one above.
class DifferenceMeasure {
 public:
  void add(double newValue, double baseValue) {
    const double difference = std::fabs(newValue - baseValue);
    if (difference > maxDifference_) maxDifference_ = difference;
    const double magnitude = std::fabs(baseValue);
    if (magnitude > maxBase_) maxBase_ = magnitude;
  }
  void addAll(const double *newValues, const double *baseValues, int count) {
    for (int i = 0; i < count; ++i) add(newValues[i], baseValues[i]);
  }
  double delta() const { return maxDifference_ / std::fmax(1.0, maxBase_); }

 private:
  double maxDifference_ = 0.0;
  double maxBase_ = 0.0;
};

// Shuts every backend down and ends the host process with status -1; used when
// the rest of the comparison could only read past the base body's data.
[[noreturn]] void terminateComparison();

// Non-negative count for sizing buffers from a backend's answer.
inline int countOrZero(int count) { return count > 0 ? count : 0; }

// A zero-filled buffer the backends write into; never smaller than one element
// so that a backend never receives a null pointer where it expects storage.
template <typename T>
std::vector<T> zeroBuffer(long long count) {
  return std::vector<T>(count > 0 ? static_cast<std::size_t>(count) : 1u, T{});
}

// Von Mises equivalent of three normal and three shear components.
inline double vonMises(const double *normal, const double *shear) {
  const double s1 = normal[0], s2 = normal[1], s3 = normal[2];
  const double t1 = shear[0], t2 = shear[1], t3 = shear[2];
  const double squared = s1 * s1 + s2 * s2 + s3 * s3 - s1 * s2 - s2 * s3 - s3 * s1 +
                         3.0 * (t1 * t1 + t2 * t2 + t3 * t3);
  return std::sqrt(squared);
}

}  // namespace qvb::compare
