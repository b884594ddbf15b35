// Writes bodies into a temporary folder and compares them, capturing the
// report that the comparison prints on standard output.
#pragma once

#include "body_plan.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace comparetest {

using namespace qvbtest;  // the body plans (body_plan.h)

struct Outcome {
  int verdict;
  std::string report;
};

// A body changed from the sample and report lines (at level 2) it must give.
struct Variant {
  const char *name;
  std::function<void(BodyPlan &)> change;
  std::vector<const char *> expectedLines;
};

class CompareTest : public ::testing::Test {
 protected:
  // Writes `plan` as <name>.qvb in the test's folder and returns the path.
  std::string write(const BodyPlan &plan, const std::string &name) {
    const std::string path = dir_.file(name + ".qvb");
    EXPECT_TRUE(writeBody(plan, path)) << "could not write " << path;
    return path;
  }

  // Opens both bodies, compares them and returns the verdict and the report.
  static Outcome compare(const std::string &base, const std::string &newer, int level = 1,
                         double tolerance = 1.0e-6);

  // The same for two plans written as base.qvb and new.qvb.
  Outcome comparePlans(const BodyPlan &base, const BodyPlan &newer, int level = 1, double tolerance = 1.0e-6) {
    return compare(write(base, "base"), write(newer, "new"), level, tolerance);
  }

  // Writes the sample changed by `variant` as new.qvb, compares it with `base`
  // at level 2 and checks that the report holds the variant's lines.
  Outcome compareVariant(const std::string &base, const Variant &variant);

  qvbtest::TempDir dir_;
};

}  // namespace comparetest
