// The comparison run on real stored bodies: equivalent bodies written in
// other ways pass, every kind of real difference is reported by its own check
// and turns the verdict negative, and the report obeys its level.
#include "compare_fixture.h"

#include "qvb.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <tuple>
#include <utility>
#include <unistd.h>

namespace comparetest {
namespace {

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

}  // namespace

Outcome CompareTest::compare(const std::string &base, const std::string &newer, int level, double tolerance) {
  QVB_Handle baseBody = QVB_CreateFromQVB(base.c_str());
  QVB_Handle newBody = QVB_CreateFromQVB(newer.c_str());
  EXPECT_NE(baseBody, nullptr);
  EXPECT_NE(newBody, nullptr);
  if (baseBody == nullptr || newBody == nullptr) return {1, ""};
  testing::internal::CaptureStdout();
  const int verdict = QVB_Compare(baseBody, newBody, level, tolerance);
  std::fflush(stdout);
  Outcome outcome{verdict, testing::internal::GetCapturedStdout()};
  QVB_Destroy(newBody);
  QVB_Destroy(baseBody);
  return outcome;
}

Outcome CompareTest::compareVariant(const std::string &base, const Variant &variant) {
  BodyPlan changed = sampleBody();
  variant.change(changed);
  const Outcome outcome = compare(base, write(changed, "new"), 2);
  for (const char *line : variant.expectedLines)
    EXPECT_TRUE(contains(outcome.report, line)) << line << "\n" << outcome.report;
  return outcome;
}

namespace {

void negateMode(BodyPlan &plan, std::size_t m) {
  for (Six &v : plan.modes[m].shape)
    for (double &x : v) x = -x;
  for (Six &v : plan.modes[m].stress)
    for (double &x : v) x = -x;
  plan.preload[m] = -plan.preload[m];
  for (std::vector<double> &loads : plan.modalLoads) loads[m] = -loads[m];
  MonitorPointPlan &point = plan.monitorPoints[0];
  const std::size_t modes = plan.modes.size();
  for (std::size_t r = 0; r < point.nodeIds.size(); ++r) point.displacement[r * modes + m] *= -1.0;
}

// Mixes the shapes of two modes by a rotation.
void rotateModes(BodyPlan &plan, std::size_t first, std::size_t second) {
  const double c = std::cos(0.6), s = std::sin(0.6);
  std::vector<Six> &a = plan.modes[first].shape;
  std::vector<Six> &b = plan.modes[second].shape;
  for (std::size_t k = 0; k < a.size(); ++k)
    for (int i = 0; i < 6; ++i) {
      const double x = a[k][i], y = b[k][i];
      a[k][i] = c * x + s * y;
      b[k][i] = -s * x + c * y;
    }
}

void reverseNodeOrder(BodyPlan &plan) {
  std::reverse(plan.nodes.begin(), plan.nodes.end());
  for (ModePlan &mode : plan.modes) {
    std::reverse(mode.shape.begin(), mode.shape.end());
    std::reverse(mode.stress.begin(), mode.stress.end());
  }
  std::reverse(plan.preStress.begin(), plan.preStress.end());
}

void shuffleFaces(BodyPlan &plan) {
  // Last face first, the new first face rotated, the second one reversed.
  plan.faces = {4, 14, 12, 16, 18, 4, 12, 14, 13, 11, 4, 17, 18, 16, 15, 4, 11, 15, 16, 12,
                4, 13, 14, 18, 17, 4, 11, 13, 17, 15};
}

void dropLastMode(BodyPlan &plan) {
  const std::size_t modes = plan.modes.size();
  plan.modes.pop_back();
  plan.preload.pop_back();
  for (std::vector<double> &loads : plan.modalLoads) loads.pop_back();
  for (MonitorPointPlan &point : plan.monitorPoints) {
    std::vector<double> kept;
    for (std::size_t k = 0; k < point.displacement.size(); ++k)
      if (k % modes != modes - 1) kept.push_back(point.displacement[k]);
    point.displacement = kept;
  }
  std::vector<double> gyroscopic;
  for (std::size_t r = 0; r + 1 < modes; ++r)
    for (std::size_t c = 0; c + 1 < modes; ++c) gyroscopic.push_back(plan.gyroscopic[r * modes + c]);
  plan.gyroscopic = gyroscopic;
}

}  // namespace

TEST_F(CompareTest, CopyIsEquivalentAndLevelsFilterTheReport) {
  const std::string base = write(sampleBody(), "base");
  const std::string copy = write(sampleBody(), "copy");

  const Outcome normal = compare(base, copy);
  EXPECT_EQ(normal.verdict, 0);
  EXPECT_EQ(normal.report, " Files are equivalent\n\n");

  const Outcome verbose = compare(base, copy, 2);
  EXPECT_EQ(verbose.verdict, 0);
  EXPECT_EQ(verbose.report.rfind(
                "->Building node map for nodes.\n->Building node map for shape modes. \n"
                "->Building node map for stress modes. \n->Building node map for strain modes. \n",
                0),
            0u);
  EXPECT_FALSE(contains(verbose.report, "->Fail"));
  for (const char *pass :
       {"  Pass Version\n", "  Pass InputFileType\n", "  Pass NodeCount: 8\n", "  Pass NodeCoordinates  Delta: ",
        "  Pass TotalMass  Delta: ", "  Pass TotalI  Delta: ", "  Pass EigenValue: #10  Delta: ",
        "  Pass GeneralizedMass  Delta: ", "  Pass EigenVector rotational: #9  Delta: ", "  Pass NodalMass  Delta: ",
        "  Pass NodalI  Delta: ", "  Pass Units\n", "  Pass SparceStiffnessList\n", "  Pass SparceMass  Delta: ",
        "  Pass FaceList A\n", "  Pass InterfaceNodes\n", "  Pass Stress Mode: #7  Von Mises Delta: ",
        "  Pass Invar1  Delta: ", "  Pass Invar9  Delta: ", "  Pass Preload, Delta: ", "  Pass Modal Loads\n",
        "  Pass Pre-Stresses  Delta: ", "  Pass Matrix Operator\n", "  Pass Modal Load Nodal\n",
        "  Monitor Point:        1\n", "  Pass Modal Displacement Operator   Delta: ",
        "  Pass Rotor Dynamics Gyroscopic Matrix   Delta: "})
    EXPECT_TRUE(contains(verbose.report, pass)) << pass;
  EXPECT_EQ(verbose.report.substr(verbose.report.size() - 23), " Files are equivalent\n\n");

  const Outcome silent = compare(base, copy, -1);
  EXPECT_EQ(silent.verdict, 0);
  EXPECT_EQ(silent.report, "");
}

TEST_F(CompareTest, SameBodyInOtherUnitsIsEquivalent) {
  BodyPlan metric = sampleBody(true);
  BodyPlan small = sampleBody(true);
  small.units = {"gram", "mm", "ms", "n"};
  small.unitScale = {1000.0, 1000.0, 1000.0};
  const Outcome outcome = comparePlans(metric, small, 2);
  EXPECT_EQ(outcome.verdict, 0) << outcome.report;
  EXPECT_TRUE(contains(outcome.report, "  Pass NodeCoordinates")) << outcome.report;
  EXPECT_TRUE(contains(outcome.report, "  Pass EigenValue: #7")) << outcome.report;
  EXPECT_TRUE(contains(outcome.report, "  Pass Stress Mode: #10")) << outcome.report;
}

TEST_F(CompareTest, EachVariantGetsItsVerdictAndReportLines) {
  const std::vector<Variant> equivalent = {
      {"negated mode", [](BodyPlan &s) { negateMode(s, 6); negateMode(s, 9); },
       {"  Pass EigenVector translational: #7  Delta: ", "  Pass Preload, Delta: ", "  Pass Modal Load: Case #1",
        "  Pass Modal Displacement Operator ", "  Pass Invar3  Delta: ", "  Pass Invar5  Delta: "}},
      {"rotated repeated pair", [](BodyPlan &s) { rotateModes(s, 7, 8); },
       {"  Pass EigenVector translational: #8  Delta: ", "  Pass EigenVector rotational: #9  Delta: "}},
      {"nodes in another order", reverseNodeOrder,
       {"  Pass NodeCoordinates", "  Pass NodalMass", "  Pass NodalI", "  Pass FaceList A\n",
        "  Pass Stress Mode: #8"}},
      {"faces reordered, rotated and reversed", shuffleFaces, {"  Pass FaceCount\n", "  Pass FaceList B\n"}},
      {"one face fewer", [](BodyPlan &s) { s.faces.resize(s.faces.size() - 5); },
       {"->Warning FaceListSize\n", "->Warning FaceCount\n", "  Pass FaceList B\n"}},
      {"interface nodes in another order", [](BodyPlan &s) { s.interfaceNodes = {18, 11}; },
       {"  Pass InterfaceNodes\n"}},
      {"fewer modes", dropLastMode,
       {"->Warning ModeCount\n", "->Warning NumberOfGenStiff  new:  9  base:  10\n",
        "->Warning Preload mode count mismatch\n", "  Pass Rotor Dynamics Gyroscopic Matrix "}},
      {"rigid-body entries of a load case not yet projected",
       [](BodyPlan &s) { s.loadsProjected = false; s.modalLoads[0][2] += 100.0; },
       {"->Note new QVB load case #1 not yet projected on principal axes\n",
        "->Warning: Rigid body components (assumed first 6) won't be checked\n", "  Pass Modal Load: Case #1"}},
      {"title and comment", [](BodyPlan &s) { s.title = "renamed"; }, {"->Note Title\n"}},
      // An optional block in one body only is a warning.
      {"no pre-stress", [](BodyPlan &s) { s.preStress.clear(); },
       {"->Warning: No comparison performed on block 31 pre_stress\n", "  exists base: 1\n"}},
      {"no matrix operator", [](BodyPlan &s) { s.matrixOperators.clear(); },
       {"->Warning: No comparison performed on block 34 matrix_operator\n", "  exists base: 1\n"}},
      {"no nodal loads", [](BodyPlan &s) { s.nodalLoads.clear(); },
       {"->Warning: No comparison performed on block 35 modal_load_nodal\n", "  exists base: 1\n"}},
      {"no rotor dynamics", [](BodyPlan &s) { s.gyroscopic.clear(); },
       {"->Warning: No comparison performed on block 37 rotor_dynamics\n", "  exists base: 1\n"}},
      {"no modal stress", [](BodyPlan &s) { for (ModePlan &m : s.modes) m.stress.clear(); s.preStress.clear(); },
       {"->Warning: No comparison performed on block 18 modal_stress\n", "  exists base: 1\n"}},
  };

  const std::vector<Variant> different = {
      {"coordinate", [](BodyPlan &s) { s.nodes[3].xyz[1] += 1.0e-3; }, {"->Fail NodeCoordinates  Delta: "}},
      {"eigenvalue", [](BodyPlan &s) { s.modes[9].eigenvalue *= 1.01; },
       {"->Fail EigenValue: #10  Delta: ", "->Fail Eigenvalues\n", "->Fail GeneralizedStiff  Delta: "}},
      {"mode shape", [](BodyPlan &s) { s.modes[6].shape[2][1] += 0.05; },
       {"->Fail EigenVector translational: #7  Delta: ", "->Fail ModeShape, 1 times\n"}},
      // A repeated pair in the solver's other order: the shapes pass (compared within their
      // cluster), stresses and loads are compared mode by mode.
      {"repeated pair swapped", [](BodyPlan &s) { std::swap(s.modes[7].shape, s.modes[8].shape);
         std::swap(s.modes[7].stress, s.modes[8].stress); std::swap(s.modalLoads[0][7], s.modalLoads[0][8]); },
       {"  Pass EigenVector translational: #8  Delta: ", "->Fail Stress Mode: #8  Von Mises Delta: ",
        "->Fail Modal Load: Case #1  Delta: "}},
      {"modes of distinct eigenvalues mixed", [](BodyPlan &s) { rotateModes(s, 6, 9); },
       {"->Fail EigenVector translational: #7  Delta: ", "->Fail EigenVector rotational: #10  Delta: ",
        "->Fail ModeShape, 4 times\n"}},
      {"total mass", [](BodyPlan &s) { s.totalMass = 7.0; }, {"->Fail TotalMass  Delta: "}},
      {"nodal mass", [](BodyPlan &s) { s.nodes[0].mass = 2.0; }, {"->Fail NodalMass  Delta: ", "->Fail Invar1"}},
      {"nodal inertia", [](BodyPlan &s) { s.nodes[5].inertia[2] = 0.5; }, {"->Fail NodalI  Delta: "}},
      {"invariant", [](BodyPlan &s) { s.storeInvariant1 = true; s.invariant1 = 99.0; }, {"->Fail Invar1  Delta: "}},
      {"stress", [](BodyPlan &s) { s.modes[7].stress[4][0] *= 1.5; }, {"->Fail Stress Mode: #8  Von Mises Delta: "}},
      {"pre-stress", [](BodyPlan &s) { s.preStress[1][4] += 1.0e4; },
       {"->Fail Pre-Stress Max at Node: #12 Comp: #5  Delta: "}},
      {"preload", [](BodyPlan &s) { s.preload[7] *= 3.0; }, {"->Fail Preload, Delta: "}},
      {"modal load", [](BodyPlan &s) { s.modalLoads[0][8] += 5.0; },
       {"->Fail Modal Load: Case #1  Delta: ", "->Fail Modal Loads\n"}},
      {"nodal load", [](BodyPlan &s) { s.nodalLoads[0][1].value = -41.0; },
       {"->Fail Modal Load Nodal: Case #1  Delta: ", "->Fail Modal Load Nodal\n"}},
      {"nodal load node", [](BodyPlan &s) { s.nodalLoads[0][0].nodeId = 13; },
       {"->Fail Modal Load Nodal: Case #1, Node 13"}},
      {"operator entry", [](BodyPlan &s) { s.matrixOperators[0].values[3] += 0.5; },
       {"->Fail Matrix Operator: Case #1 Sub #1  Delta: ", "->Fail Matrix Operator\n"}},
      {"operator name", [](BodyPlan &s) { s.matrixOperators[0].name = "OTHER"; },
       {"->Fail Matrix Operator #1: Name differ... base: STRAIN_GAUGES  new: OTHER\n"}},
      {"monitor operator", [](BodyPlan &s) { s.monitorPoints[0].displacement[8] += 0.5; },
       {"->Fail Modal Displacement Operator   Delta: "}},
      {"monitor component", [](BodyPlan &s) { s.monitorPoints[0].component = 2; }, {"->Fail Component\n"}},
      {"gyroscopic matrix", [](BodyPlan &s) { s.gyroscopic[12] += 1.0; },
       {"->Fail Rotor Dynamics Gyroscopic Matrix   Delta: "}},
      {"face", [](BodyPlan &s) { s.faces[2] = 18; }, {"->Fail FaceList\n"}},
      {"interface nodes", [](BodyPlan &s) { s.interfaceNodes.push_back(14); }, {"->Fail InterfaceNodeCount"}},
      {"input file type", [](BodyPlan &s) { s.fileType = "OTHERFE"; }, {"->Fail InputFileType\n"}},
  };
  const std::string base = write(sampleBody(), "base");
  for (const auto &[cases, same] : {std::pair{&equivalent, true}, std::pair{&different, false}})
    for (const Variant &c : *cases) {
      SCOPED_TRACE(c.name);
      const Outcome outcome = compareVariant(base, c);
      if (same) {
        EXPECT_EQ(outcome.verdict, 0) << outcome.report;
        EXPECT_FALSE(contains(outcome.report, "->Fail")) << outcome.report;
      } else {
        EXPECT_LT(outcome.verdict, 0) << outcome.report;
        EXPECT_EQ(outcome.report.substr(outcome.report.size() - 16), "->Files differ\n\n");
      }
    }
}

// Differences that end the comparison early: its report says why, and the
// silent level prints nothing but keeps the verdict.
TEST_F(CompareTest, AbandonedComparisonsFailAtEveryLevel) {
  BodyPlan extra = sampleBody(), unmonitored = sampleBody();
  extra.nodes.push_back({99, {2.0, 0.0, 0.0}, 0.0, {}});
  unmonitored.monitorPoints.clear();
  const std::tuple<BodyPlan, int, const char *> cases[] = {
      {extra, 1, "->Fail Node 99 does not exist in base file (Exit)\n\n->Files differ\n\n"},
      {unmonitored, 0, "->Fail Monitor Point Count: base: 1 != new: 0 \n\n"}};
  for (const auto &[changed, level, report] : cases) {
    const Outcome outcome = comparePlans(sampleBody(), changed, level);
    EXPECT_EQ(outcome.verdict, -1);
    EXPECT_EQ(outcome.report, report);
    const Outcome silent = compare(dir_.file("base.qvb"), dir_.file("new.qvb"), -1);
    EXPECT_EQ(silent.verdict, -1);
    EXPECT_EQ(silent.report, "");
  }
  // The other way round the base simply has a node more.
  const Outcome reverse = compare(write(extra, "extra"), dir_.file("base.qvb"));
  EXPECT_EQ(reverse.verdict, 0) << reverse.report;
  EXPECT_TRUE(contains(reverse.report, "->Warning NodeCount base: 9  new: 8\n")) << reverse.report;
}

// The settings survive a comparison and are what a direct call of the
// exported global-properties check uses; missing bodies give -1 silently.
TEST_F(CompareTest, ExportedEntryPoints) {
  BodyPlan heavier = sampleBody(true);
  heavier.totalMass *= 1.0 + 1.0e-9;
  const std::string base = write(sampleBody(true), "base");
  const std::string newer = write(heavier, "new");
  QVB_Handle baseBody = QVB_CreateFromQVB(base.c_str());
  QVB_Handle newBody = QVB_CreateFromQVB(newer.c_str());
  ASSERT_NE(baseBody, nullptr);
  ASSERT_NE(newBody, nullptr);

  testing::internal::CaptureStdout();
  QVB_Compare(baseBody, newBody, 0, 1.0e-6);
  EXPECT_EQ(block_6__global_body_props(newBody, baseBody), 0);
  QVB_Compare(baseBody, newBody, 0, 1.0e-12);
  EXPECT_EQ(block_6__global_body_props(newBody, baseBody), -1);
  const std::string report = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(contains(report, "->Fail TotalMass  Delta: ")) << report;
  QVB_Destroy(newBody);
  QVB_Destroy(baseBody);

  testing::internal::CaptureStdout();
  EXPECT_EQ(QVB_Compare(nullptr, nullptr, 2, 0.0), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(qvbcompare_VersionId(), nullptr);
  EXPECT_NE(std::string(qvbcompare_VersionId()), "");
}

// Bodies without coordinates or without mode shapes cannot be compared at all:
// the process ends after shutting the backends down.
using CompareDeathTest = CompareTest;

TEST_F(CompareDeathTest, MissingCoordinatesOrShapesEndTheProcess) {
  // Each child process starts afresh and runs the test up to its statement.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  BodyPlan noModes = sampleBody(true);
  noModes.modes.clear();
  noModes.preStress.clear();
  const std::string base = write(sampleBody(true), "base");
  const std::string shapeless = write(noModes, "shapeless");
  BodyPlan empty;
  const std::string nodeless = write(empty, "nodeless");
  // The report goes to standard output; send it where the death test reads.
  const auto compareToStderr = [](const std::string &basePath, const std::string &newPath) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    QVB_Compare(QVB_CreateFromQVB(basePath.c_str()), QVB_CreateFromQVB(newPath.c_str()), 1, 1.0e-6);
  };
  EXPECT_EXIT(compareToStderr(base, shapeless),
      testing::ExitedWithCode(255), "->Note block 8 mode_shapes: exists new: 0  exists base: 1\n->Fail no mode_shapes \\(Exit\\)");
  EXPECT_EXIT(compareToStderr(base, nodeless),
      testing::ExitedWithCode(255), "->Note block 4 nodal_coords: exists new: 0  exists base: 1\n->Fail no nodal_coords \\(Exit\\)");
}

}  // namespace comparetest
