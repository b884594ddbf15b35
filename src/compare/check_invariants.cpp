// Inertia-invariant checks. The mode-wise invariants change sign with their
// mode, so they are compared sign-insensitively, and only for modes with an
// isolated eigenvalue: inside a cluster the solver's choice of vectors is
// arbitrary and the per-mode values need not agree.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>

namespace qvb::compare {
namespace {

bool isolated(const std::vector<int> &flags, int mode) { return flags[static_cast<std::size_t>(mode)] == 1; }

// Mode-wise invariants are only skipped when nothing could have produced them:
// neither body has the block and the new body has no nodal masses to build them.
bool skipModeWise(QVB_Handle newer, QVB_Handle base, int block, const char *note) {
  if (!blockExists(newer, block) && !blockExists(base, block) && !blockExists(newer, 9)) {
    report(kNoteLine, "%s", note);
    return true;
  }
  return false;
}

// Largest difference of one mode's three components, with whichever sign of
// the new mode fits better (one sign for all three components).
double signFreeDifference(double n0, double n1, double n2, double b0, double b1, double b2) {
  const double minus = std::max({std::fabs(n0 - b0), std::fabs(n1 - b1), std::fabs(n2 - b2)});
  const double plus = std::max({std::fabs(n0 + b0), std::fabs(n1 + b1), std::fabs(n2 + b2)});
  return std::min(minus, plus);
}

// Invariants 3 and 4: three components per mode, stored component by
// component with each body's own mode count as the stride.
bool failsModeTriplets(QVB_Handle newer, QVB_Handle base, double *(*query)(QVB_Handle), int modes,
                       const std::vector<int> &flags, const char *failLabel, const char *passLabel) {
  const long long newStride = countOrZero(QVB_ModeCount(newer));
  const long long baseStride = countOrZero(QVB_ModeCount(base));
  const LibraryArray<double> n(query(newer));
  const LibraryArray<double> b(query(base));
  double scale = 0.0, largest = 0.0;
  for (int j = 0; j < modes; ++j) {
    for (int c = 0; c < 3; ++c) scale = std::max(scale, std::fabs(b.at(c * baseStride + j)));
    if (!isolated(flags, j)) continue;
    largest = std::max(largest, signFreeDifference(n.at(j), n.at(newStride + j), n.at(2 * newStride + j),
                                                   b.at(j), b.at(baseStride + j), b.at(2 * baseStride + j)));
  }
  return reportDeltaTest(failLabel, passLabel, largest / std::fmax(1.0, scale));
}

// The tail shared by invariants 5 and 9: a new body with only zeros was most
// likely written without them, which is a warning rather than a difference.
bool failsUnlessAbsent(double maxNew, double scale, double largest, const char *newZero, const char *baseZero,
                       const char *notChecked, const char *failLabel, const char *passLabel) {
  if (maxNew == 0.0) report(kNoteLine, "%s", newZero);
  if (scale == 0.0) {
    report(kNoteLine, "%s", baseZero);
    report(kNoteLine, "%s", notChecked);
    return false;
  }
  if (maxNew == 0.0) {
    report(kNoteLine, "%s", notChecked);
    return false;
  }
  return reportDeltaTest(failLabel, passLabel, largest / std::fmax(1.0, scale));
}

bool failsInvar5(QVB_Handle newer, QVB_Handle base, int modes, const std::vector<int> &flags) {
  const long long newStride = countOrZero(QVB_ModeCount(newer));
  const long long baseStride = countOrZero(QVB_ModeCount(base));
  double scale = 0.0, maxNew = 0.0, largest = 0.0;
  for (int i = 0; i < modes; ++i) {
    if (!isolated(flags, i)) continue;
    const LibraryArray<double> a(QVB_Invar5(newer, i));
    const LibraryArray<double> b(QVB_Invar5(base, i));
    for (int j = 0; j < modes; ++j) {
      for (int c = 0; c < 3; ++c) {
        scale = std::max(scale, std::fabs(b.at(c * baseStride + j)));
        maxNew = std::max(maxNew, std::fabs(a.at(c * newStride + j)));
      }
      if (!isolated(flags, j)) continue;
      largest = std::max(largest, signFreeDifference(a.at(j), a.at(newStride + j), a.at(2 * newStride + j),
                                                     b.at(j), b.at(baseStride + j), b.at(2 * baseStride + j)));
    }
  }
  return failsUnlessAbsent(maxNew, scale, largest, "->Warning invar5=0 in new file, 'fast_invar' may have been used\n",
                           "->Warning invar5=0 in base QVB file, 'fast_invar' may have been used\n",
                           "->Warning invar5 not checked\n", "->Fail Invar5", "  Pass Invar5");
}

// Invariants 8 and 9 only fail where the new magnitudes grow past the base's:
// a smaller value is the safe side for the solver that uses them.
struct GrowthMeasure {
  double scale = 0.0, maxNew = 0.0, growth = 0.0;
  void addNine(const LibraryArray<double> &n, const LibraryArray<double> &b) {
    for (int k = 0; k < 9; ++k) {
      scale = std::max(scale, std::fabs(b.at(k)));
      maxNew = std::max(maxNew, std::fabs(n.at(k)));
      growth = std::max(growth, std::fabs(n.at(k)) - std::fabs(b.at(k)));
    }
  }
};

bool failsInvar8(QVB_Handle newer, QVB_Handle base, int modes, const std::vector<int> &flags) {
  GrowthMeasure measure;
  for (int i = 0; i < modes; ++i) {
    if (!isolated(flags, i)) continue;
    const LibraryArray<double> b(QVB_Invar8(base, i));
    const LibraryArray<double> n(QVB_Invar8(newer, i));
    measure.addNine(n, b);
  }
  return reportDeltaTest("->Fail Invar8", "  Pass Invar8", measure.growth / std::fmax(1.0, measure.scale));
}

bool failsInvar9(QVB_Handle newer, QVB_Handle base, int modes, const std::vector<int> &flags) {
  GrowthMeasure measure;
  for (int i = 0; i < modes; ++i) {
    if (!isolated(flags, i)) continue;
    for (int j = 0; j < modes; ++j) {
      if (!isolated(flags, j)) continue;
      const LibraryArray<double> n(QVB_Invar9(newer, j, i));
      const LibraryArray<double> b(QVB_Invar9(base, j, i));
      measure.addNine(n, b);
    }
  }
  return failsUnlessAbsent(measure.maxNew, measure.scale, measure.growth,
                           "->Warning invar9=0 in new QVB file, 'fast_invar' may have been used\n",
                           "->Warning invar9=0 in base QVB file, 'fast_invar' may have been used\n",
                           "->Warning invar9 not checked\n", "->Fail Invar9", "  Pass Invar9");
}

}  // namespace

int checkInvariants(QVB_Handle newer, QVB_Handle base, const std::vector<int> &isolatedModes) {
  const int modes = std::min(countOrZero(QVB_ModeCount(newer)), countOrZero(QVB_ModeCount(base)));
  bool failed = false;

  const double newInvar1 = QVB_Invar1(newer);
  const double baseInvar1 = QVB_Invar1(base);
  failed |= reportDeltaTest("->Fail Invar1", "  Pass Invar1", std::fabs(newInvar1 - baseInvar1) / std::fmax(1.0, baseInvar1));

  {
    const LibraryArray<double> n(QVB_Invar2(newer));
    const LibraryArray<double> b(QVB_Invar2(base));
    DifferenceMeasure measure;
    for (int k = 0; k < 3; ++k) measure.add(n.at(k), b.at(k));
    // This one line prints its delta in fixed notation.
    if (measure.delta() > tolerance()) {
      report(kFailLine, "->Fail Invar2");
      report(kFailLine, "  Delta: %f\n", measure.delta());
      failed = true;
    } else {
      report(kPassLine, "  Pass Invar2");
      reportDelta(kPassLine, measure.delta());
    }
  }

  if (!skipModeWise(newer, base, 21, "->Note block_21__invar3 not checked\n"))
    failed |= failsModeTriplets(newer, base, QVB_Invar3, modes, isolatedModes, "->Fail Invar3", "  Pass Invar3");
  if (!skipModeWise(newer, base, 22, "->Note block_22__invar4 not checked\n"))
    failed |= failsModeTriplets(newer, base, QVB_Invar4, modes, isolatedModes, "->Fail Invar4", "  Pass Invar4");
  if (!skipModeWise(newer, base, 23, "->Note block_23__invar5 not checked\n"))
    failed |= failsInvar5(newer, base, modes, isolatedModes);

  {
    const LibraryArray<double> n(QVB_Invar7(newer));
    const LibraryArray<double> b(QVB_Invar7(base));
    DifferenceMeasure measure;
    for (int k = 0; k < 9; ++k) measure.add(n.at(k), b.at(k));
    failed |= reportDeltaTest("->Fail Invar7", "  Pass Invar7", measure.delta());
  }

  if (!skipModeWise(newer, base, 25, "->Note block_25__invar8 not checked\n"))
    failed |= failsInvar8(newer, base, modes, isolatedModes);
  if (!skipModeWise(newer, base, 26, "->Note block_26__invar9 not checked\n"))
    failed |= failsInvar9(newer, base, modes, isolatedModes);
  return failed ? -1 : 0;
}

}  // namespace qvb::compare
