// Whole conversions of a model body: every matrix checked against numbers
// computed here from the body's raw arrays, for the switch combinations a
// user runs, with the MTX file read back and checked for consistency.
#include <cmath>
#include <fstream>
#include <sstream>

#include "conversion_fixture.h"
#include "expected_invariants.h"

namespace convert_test {
namespace {

using Names = std::vector<std::string>;

const Names kRichNames{"SELMOD", "SELNOD", "GENSTIFF", "INVAR1", "INVAR2", "INVAR3", "INVAR4",
                       "INVAR5", "INVAR6", "INVAR7", "INVAR8", "INVAR9", "T_MODE", "R_MODE",
                       "PRELOAD", "MODLOAD", "GENDAMP", "RDAXIS", "RDGYRO", "RDDIFF"};

// What the converter must print for a value in a zeroed matrix.
double zeroed(double v) { return std::fabs(v) < 1e-10 ? 0.0 : v; }

using Sparse = std::map<std::pair<int, int>, double>;
void expectEntries(const MtxMatrix *m, const Sparse &expected, double tolerance) {
  ASSERT_NE(m, nullptr);
  const Sparse got = m->entries();
  ASSERT_EQ(got.size(), expected.size()) << m->name;
  for (const auto &[at, v] : expected) {
    ASSERT_TRUE(got.count(at)) << m->name << " misses " << at.first << "," << at.second;
    EXPECT_NEAR(got.at(at), v, tolerance * std::max(1.0, std::fabs(v))) << m->name;
  }
}

class RichConversion : public ConversionTest, public testing::WithParamInterface<bool> {};

TEST_P(RichConversion, EveryMatrixMatchesTheBodysArrays) {
  body.doublePrecision = GetParam();
  const double tol = GetParam() ? 1e-13 : 1e-7;
  const Outcome o = runConversion({});
  ASSERT_EQ(o.result, 0) << o.out;
  EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
  const MtxFile &f = o.file;
  EXPECT_EQ(f.headerLine, "ORVIKMAT2 Wing panel  KILOGRAM  METER  SECOND  NEWTON  TTTTTTTTT [" + bodyName() + "@fe-run-7]");
  EXPECT_EQ(f.nameList, kRichNames);

  const MtxMatrix *selnod = f.find("SELNOD");
  ASSERT_NE(selnod, nullptr);
  EXPECT_EQ(selnod->descriptor, GetParam() ? "( 1I8, 3E22.14, 1I4 )" : "( 1I8, 3E16.8, 1I4 )");
  const int flags[4] = {1, 0, 0, 1};
  std::vector<double> nodes;
  for (int p = 0; p < 4; ++p) {
    nodes.push_back(body.nodeIds[p]);
    nodes.insert(nodes.end(), body.coords[p].begin(), body.coords[p].end());
    nodes.push_back(flags[p]);
  }
  expectValues(selnod, nodes, tol);
  expectValues(f.find("SELMOD"), {1, 12.5, 2, 0.0, 3, 980.25}, tol);
  expectValues(f.find("INVAR1"), {7.5}, tol);
  EXPECT_EQ(f.find("INVAR1")->text[0].back(), ' ');
  expectValues(f.find("INVAR2"), {0.5, -0.25, 0.0}, tol);

  Sparse i3, i4, i6, stiff, damp;
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) {
      if (std::fabs(body.invar3[r * 3 + k]) > 1e-10) i3[{r + 1, k + 1}] = body.invar3[r * 3 + k];
      if (std::fabs(body.invar4[r * 3 + k]) > 1e-10) i4[{r + 1, k + 1}] = body.invar4[r * 3 + k];
      if (std::fabs(body.invar6[r * 3 + k]) > 1e-10) i6[{r + 1, k + 1}] = body.invar6[r * 3 + k];
      if (std::fabs(body.stiffness[r * 3 + k]) > 1e-10) stiff[{r + 1, k + 1}] = body.stiffness[r * 3 + k];
    }
  expectEntries(f.find("INVAR3"), i3, tol);
  expectEntries(f.find("INVAR4"), i4, tol);
  expectEntries(f.find("INVAR6"), i6, tol);
  expectEntries(f.find("GENSTIFF"), stiff, tol);

  std::vector<double> i5, i9;
  qvbtest::expectedInvariants59(body.masses, body.translation, i5, i9);
  expectValues(f.find("INVAR5"), i5, tol);
  expectValues(f.find("INVAR9"), i9, tol);
  EXPECT_EQ(f.find("INVAR9")->counts[0], 27);
  expectValues(f.find("INVAR7"), body.invar7, tol);
  std::vector<double> i8;
  for (double v : body.invar8) i8.push_back(zeroed(v));
  expectValues(f.find("INVAR8"), i8, tol);
  EXPECT_EQ(f.find("INVAR8")->lines.size(), 9u);  // three lines of three per mode

  std::vector<double> tmode, rmode;
  for (int p = 0; p < 4; ++p)
    for (int k = 0; k < 3; ++k) {
      tmode.insert(tmode.end(), body.translation[k][p].begin(), body.translation[k][p].end());
      rmode.insert(rmode.end(), body.rotation[k][p].begin(), body.rotation[k][p].end());
    }
  expectValues(f.find("T_MODE"), tmode, tol);
  expectValues(f.find("R_MODE"), rmode, tol);
  EXPECT_EQ(f.find("T_MODE")->counts[0], 3);
  EXPECT_EQ(f.find("T_MODE")->counts[1], 12);

  expectValues(f.find("PRELOAD"), {3.0, 0.0, -2.0}, tol);
  std::vector<double> loads;
  for (int row = 0; row < 9; ++row)
    for (int c = 0; c < 2; ++c) loads.push_back(zeroed(body.loads[c][row < 6 ? row : row - 6]));
  expectValues(f.find("MODLOAD"), loads, tol);
  EXPECT_EQ((std::vector<int>{f.find("MODLOAD")->counts[0], f.find("MODLOAD")->counts[1], f.find("MODLOAD")->counts[2]}),
            (std::vector<int>{2, 9, 18}));
  expectEntries(f.find("GENDAMP"), {{{1, 1}, 0.125}, {{7, 7}, 0.2}, {{9, 8}, -0.05}}, tol);
  expectValues(f.find("RDAXIS"), {0, 0, 1, 1, 2, 3}, tol);
  expectValues(f.find("RDGYRO"), *body.rotorMatrices[0], tol);
  expectValues(f.find("RDDIFF"), *body.rotorMatrices[2], tol);  // not zeroed: 1e-12 stays
  EXPECT_NE(f.find("RDDIFF")->allValues().back(), 0.0);

  // Units are the conversion's during the run and the body's own afterwards.
  EXPECT_EQ(body.units, (std::array<double, 4>{1000.0, 0.001, 1.0, 1.0}));
}

INSTANTIATE_TEST_SUITE_P(BothPrecisions, RichConversion, testing::Bool());

TEST_F(ConversionTest, SwitchCombinationsKeepHeaderAndContentsInStep) {
  const std::string selection = dir.file("select.txt");
  std::ofstream(selection) << "+M 1:2\n-L\n";
  const Names kEssentialOnly{"SELMOD", "GENSTIFF", "INVAR3", "INVAR4", "INVAR5", "INVAR6", "INVAR8", "INVAR9",
                             "T_MODE", "R_MODE", "PRELOAD", "MODLOAD", "GENDAMP", "RDAXIS", "RDGYRO", "RDDIFF"};
  struct Case {
    std::vector<std::string> switches;
    std::string flags;
    Names absent;
    Names extra;
  } cases[] = {
      {{}, "TTTTTTTTT", {}, {}},
      {{"-F"}, "TTTTFTTTF", {"INVAR5", "INVAR9"}, {}},
      {{"-E"}, "TTFFFFTFF", kEssentialOnly, {}},
      {{"-E", "-F", "-C", "5", "10", "20"}, "TTFFFFTFF", kEssentialOnly, {}},
      {{"-C", "5", "10:30", "-c", "ALL"}, "TTTTTTTTT", {}, {"EDGE_5", "EDGE_0", "EDGE_1"}},
      {{"-F", "-c", "1"}, "TTTTFTTTF", {"INVAR5", "INVAR9"}, {"EDGE_1"}},
      {{"+N", "1:3", "+M", "1,3", "-L"}, "TTTTTTTTT", {}, {}},
      {{"-N", "2", "-M", "2", "-mscale", "2", "-sscale", "3"}, "TTTTTTTTT", {}, {}},
      {{"-S", selection}, "TTTTTTTTT", {}, {}},
      {{"-H", "50", "-m", "kg", "-l", "mm", "-t", "s", "-f", "n"}, "TTTTTTTTT", {}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.switches));
    const Outcome o = runConversion(c.switches);
    ASSERT_EQ(o.result, 0) << o.out;
    EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
    EXPECT_NE(o.file.headerLine.find("  " + c.flags + " ["), std::string::npos) << o.file.headerLine;
    Names expected;
    for (const std::string &name : kRichNames)
      if (std::find(c.absent.begin(), c.absent.end(), name) == c.absent.end()) expected.push_back(name);
    expected.insert(expected.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(o.file.nameList, expected);
  }
}

TEST_F(ConversionTest, ScalesReachInvariantsOrStiffnessOnly) {
  const Outcome base = runConversion({});
  const Outcome mass = runConversion({"-mscale", "2"});
  const Outcome stiff = runConversion({"-sscale", "2"});
  ASSERT_EQ(base.result + mass.result + stiff.result, 0);
  for (const MtxMatrix &m : base.file.matrices) {
    const bool invariant = m.name.rfind("INVAR", 0) == 0;
    const std::vector<double> b = m.allValues();
    const std::vector<double> ms = mass.file.find(m.name)->allValues();
    const std::vector<double> ss = stiff.file.find(m.name)->allValues();
    ASSERT_EQ(b.size(), ms.size());
    for (size_t i = 0; i < b.size(); ++i) {
      // Sparse records carry row and column numbers (every third value).
      const bool index = m.storage == "SPARSE" && i % 3 != 2;
      EXPECT_NEAR(ms[i], invariant && !index ? 2 * b[i] : b[i], 1e-13 * std::fabs(b[i])) << m.name << i;
      EXPECT_NEAR(ss[i], m.name == "GENSTIFF" && !index ? 2 * b[i] : b[i], 1e-13 * std::fabs(b[i])) << m.name << i;
    }
  }
}

TEST_F(ConversionTest, NodeAndModeSelections) {
  struct Case {
    std::vector<std::string> switches;
    std::vector<double> nodeIds, modeNumbers;
    std::string out;
  } cases[] = {
      {{"+N", "1:3,7"}, {1, 2, 3, 7}, {1, 2, 3}, ""},
      {{"+N", "1", ":", "3", "7"}, {1, 2, 3, 7}, {1, 2, 3}, ""},
      {{"+N", "2", ":", "1", "+M", "3", "1"}, {2}, {1, 3}, ""},
      {{"+N", "3:1"}, {1, 2, 3, 7}, {1, 2, 3}, ""},  // stays empty: as if absent
      {{"+N", "0"}, {1}, {1, 2, 3}, ""},
      {{"+N", "7", "99"}, {7}, {1, 2, 3}, "\n**WARNING\a** The QVB or KT DB does not have Node 99, skip.\n\n"},
      {{"+N", "98"}, {1}, {1, 2, 3}, "\n**WARNING\a** The QVB or KT DB does not have Node 98, skip.\n\n"},
      {{"-N", "1", "-N", "7", "-M", "2:3"}, {2, 3}, {1}, ""},
      {{"-M", "1", ":", "2"}, {1, 2, 3, 7}, {3}, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.switches));
    const Outcome o = runConversion(c.switches);
    ASSERT_EQ(o.result, 0) << o.out;
    EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
    EXPECT_EQ(o.out, c.out);
    std::vector<double> ids, modes;
    for (const auto &line : o.file.find("SELNOD")->lines) ids.push_back(line[0]);
    for (const auto &line : o.file.find("SELMOD")->lines) modes.push_back(line[0]);
    EXPECT_EQ(ids, c.nodeIds);
    EXPECT_EQ(modes, c.modeNumbers);
  }
}

TEST_F(ConversionTest, BadCommandLinesFailWithTheirMessageAndWriteNothing) {
  const std::string E = "\n**ERROR\a** ";
  struct Case {
    std::vector<std::string> switches;
    std::string out;
  } cases[] = {
      {{"-N", "-5"}, E + "No such switch -5\n\n"},
      {{"-N", "1", "+N", "2"}, E + "-N and +N are mutually exclusive\n\n"},
      {{"-M", "1", "+M", "2"}, E + "-M and +M are mutually exclusive\n\n"},
      {{"-M", "9"}, E + "No mode number 9\n\n"},
      {{"+M", "2", "+M", "0"}, E + "No mode number 0\n\n"},
      {{"+N", ":"}, E + "Incorrect argument to +N\n\n"},
      {{"-M", "2", ":"}, E + "Incorrect argument to -M\n\n"},
      {{"-C"}, E + "Incorrect argument to -C\n\n"},
      {{"-C", "4", "-L"}, E + "Incorrect argument to -C\n\n"},
      {{"-c", "2"}, E + "Incorrect argument to -c\n\n"},
      {{"-c"}, E + "Incorrect argument to -c\n\n"},
      {{"-o"}, E + "Please specify output file\n\n"},
      {{"-l"}, E + "Please specify length units string\n\n"},
      {{"-m"}, E + "Please specify mass units string\n\n"},
      {{"-t"}, E + "Please specify time units string\n\n"},
      {{"-f"}, E + "Please specify force units string\n\n"},
      {{"-b"}, E + "Please specify number of block to dump\n\n"},
      {{"-d"}, E + "Please specify dumpfile or - for STDOUT\n\n"},
      {{"-d", "/no/such/dir/dump"}, E + "Unable to open Dump file\n\n"},
      {{"-S"}, E + "Please specify Selection file\n\n"},
      {{"-S", "/no/such/file"}, E + "Unable to open Selection file\n\n"},
      {{"-s"}, E + "Please specify a shell file name\n\n"},
      {{"-s", "/no/such/dir/shell"}, E + "Please specify a shell file name\n\n"},
      {{"-O"}, E + "Please specify output file for FLEX optimization\n\n"},
      {{"-sscale"}, E + "Please specify the scale factor for generalized stiffness\n\n"},
      {{"-sscale", "0"}, E + "The scale factor for generalized stiffness have to be positive.\n\n"},
      {{"-mscale", "-1"}, E + "The scale factor for generalized mass have to be positive.\n\n"},
      {{"-mscale"}, E + "Please specify the scale factor for generalized mass\n\n"},
      {{"-H"}, E + "Please specify the high frequency threshold\n\n"},
      {{"-I", "10", "1", "2"}, E + "Please specify interface node coordinates correctly.\n\n"},
      {{"-I", "-L"}, E + "Please specify interface node coordinates correctly.\n\n"},
      {{"-Q"}, E + "No such switch -Q\n\n"},
      {{"-N", "1:3,7"}, "\n**ERROR^G** Failed to allocate memory for selected nodes at line "},
      {{"-M", "1:3"}, "\n**ERROR^G** Failed to allocate memory for selected modes at line "},
      {{"-H", "-1", "-x"}, "\n**WARNING\a** Invalid high frequency threshold specified.\n\n" + E + "No such switch -x\n\n"},
      {{"-o", dir.file("no/such/dir/x")}, E + "Unable to open " + dir.file("no/such/dir/x") + ".mtx.  Consider using -o \n\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.switches));
    body.units = {2.0, 3.0, 4.0, 5.0};
    const Outcome o = runConversion(c.switches);
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.out.substr(0, c.out.size()), c.out);
    if (c.out.find("^G") != std::string::npos)
      EXPECT_NE(o.out.find(" in file flex2mtx.\n\n"), std::string::npos);
    else
      EXPECT_EQ(o.out, c.out);
    EXPECT_FALSE(o.fileWritten);
    EXPECT_EQ(body.units, (std::array<double, 4>{2.0, 3.0, 4.0, 5.0}));
  }
}

TEST_F(ConversionTest, UnitsAreNormalisedAppliedAndAlwaysRestored) {
  Outcome o = runConversion({"-m", "kg", "-l", "mm", "-t", "MS", "-f", "kip"});
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.file.headerLine.substr(0, 60), "ORVIKMAT2 Wing panel  KILOGRAM  MILLIMETER  MILLISECOND  KPO");
  const auto set = qvbfake::lastCall(qvbfake::slot::QVB_SetUnits);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->args[1].text + set->args[2].text + set->args[3].text + set->args[4].text,
            "KILOGRAMMILLIMETERMILLISECONDKPOUND_FORCE");

  body.unitsAccepted = false;
  o = runConversion({"-l", "furlong"});
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.out,
            "\n**ERROR\a** Unable to set units to:\n\tMASS   = KILOGRAM\n\tLENGHT = furlong\n\tTIME   = SECOND\n\tFORCE  = NEWTON\n\n");
  EXPECT_EQ(body.units, (std::array<double, 4>{1000.0, 0.001, 1.0, 1.0}));

  o = runConversion({"-l", "a_label_of_16chr"});
  EXPECT_EQ(o.result, -1);
  EXPECT_NE(o.out.find("longer than 15 characters"), std::string::npos);
}

TEST_F(ConversionTest, OutputNameRules) {
  EXPECT_EQ(runConversion({"-o", dir.file("result.mtx")}, "result").result, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.file("result.mtx")));
  EXPECT_EQ(runConversion({"-o", dir.file("other"), "-o", dir.file("final.MTX")}, "final.MTX").result, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("other.mtx")));
  EXPECT_EQ(runConversion({"-o", dir.file("wing")}).out.find("WARNING"), std::string::npos);
  // wing.model.qvb -> wing.mtx: the rule stays, and the name is pointed out.
  bodyFile = "wing.model.qvb";
  const Outcome o = runConversion({});
  EXPECT_EQ(o.result, 0);
  EXPECT_TRUE(std::filesystem::exists(mtxPath()));
  EXPECT_NE(o.out.find("The matrix file is " + mtxPath() + " (the body's name up to its first \".\"); use -o"),
            std::string::npos)
      << o.out;
}

TEST_F(ConversionTest, EdgesFromTheCommandLineAndFromFreeEdges) {
  const Outcome o = runConversion({"-C", "12", "40", "10:30", "-c", "1", "-c", "all"});
  ASSERT_EQ(o.result, 0);
  EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
  expectValues(o.file.find("EDGE_12"), {40, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}, 0);
  expectValues(o.file.find("EDGE_1"), {30, 40}, 0);
  EXPECT_EQ(o.file.nameList.back(), "EDGE_1");  // in the order of definition: 12, 1, 0, 1
  EXPECT_EQ(o.file.count, 20 + 4);
}

TEST_F(ConversionTest, ModalLoadsWarnAboutRigidBodyModes) {
  body.rigidModes = 7;
  body.loads.resize(1);
  const Outcome o = runConversion({});
  ASSERT_EQ(o.result, 0);
  const Names expected{"W:Flexible body appears to contains 7 rigid body modes rather than 6",
                       "W:This may have unexpected consequences when using modal loads",
                       "W:A suspected rigid body mode detected among the selected modes",
                       "W:A suspected rigid body mode detected among the selected modes",
                       "W:A suspected rigid body mode detected among the selected modes"};
  EXPECT_EQ(o.messages, expected);
  EXPECT_EQ(o.file.find("MODLOAD")->counts[0], 1);
}

TEST_F(ConversionTest, DampingAndRotorMatricesFollowWhatTheBodyHolds) {
  body.damping.assign(81, 1e-12);
  Outcome o = runConversion({});
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.file.find("GENDAMP")->text, Names{"       1       1  0.00000000000000E+00"});

  // Announced by its entry count but unreadable: still a consistent file.
  body.dampingReadable = false;
  o = runConversion({});
  ASSERT_EQ(o.result, 0);
  EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
  EXPECT_EQ(o.file.find("GENDAMP")->text, Names{"       1       1  0.00000000000000E+00"});

  body.dampingEntries = 0;
  body.rotorMatrices[0].reset();
  body.preload.reset();
  body.loads.clear();
  o = runConversion({"-F"});
  ASSERT_EQ(o.result, 0);
  EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
  EXPECT_EQ(o.file.count, 14);  // 14 entries: the name list ends on a fourth line
  EXPECT_EQ(o.file.nameListLines.size(), 4u);
  EXPECT_EQ(o.file.nameList.back(), "RDDIFF");

  body.rotor = false;
  o = runConversion({"-F"});
  EXPECT_EQ(o.file.count, 12);  // a multiple of four: no extra line end
  EXPECT_TRUE(o.problems.empty()) << testing::PrintToString(o.problems);
}

TEST_F(ConversionTest, StoredInvariants59WinOverNodalMasses) {
  body.storedInvar59 = true;
  for (int i = 0; i < 3; ++i) body.invar5.push_back({1.0 * i, 2, 3, 4, 5, 6, 7, 8, 9.5});
  for (int p = 0; p < 9; ++p) body.invar9.push_back(std::vector<double>(9, p + 0.25));
  const Outcome o = runConversion({"+M", "1", "3"});
  ASSERT_EQ(o.result, 0);
  // Row j, component r, column k: invar5[idx j][r*M + idx k].
  std::vector<double> i5;
  for (int j : {0, 2})
    for (int r = 0; r < 3; ++r)
      for (int k : {0, 2}) i5.push_back(body.invar5[j][r * 3 + k]);
  expectValues(o.file.find("INVAR5"), i5, 1e-13);
  std::vector<double> i9;
  for (int j : {0, 2})
    for (int k : {0, 2})
      for (int e = 0; e < 9; ++e) i9.push_back(j * 3 + k + 0.25);
  expectValues(o.file.find("INVAR9"), i9, 1e-13);
}

TEST_F(ConversionTest, NodeStrippedBodyWarnsAndWritesZeroInvariants59) {
  body.masses.clear();
  body.loads.clear();
  const Outcome o = runConversion({"-L"});
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.messages, Names{"W:Attempting to build Invars 5 and 9 from a node-stripped QVB "});
  expectValues(o.file.find("INVAR5"), std::vector<double>(27, 0.0), 0);
  expectValues(o.file.find("INVAR9"), std::vector<double>(81, 0.0), 0);
  EXPECT_EQ(o.out, "Calculating Inertia Invariants\n");
}

TEST_F(ConversionTest, ProgressIsShownPerModeUnlessQuiet) {
  Outcome o = runConversion({"-L"});
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.out.rfind("Calculating Inertia Invariants\n", 0), 0u);
  EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\r'), 3);
  o = runConversion({"-L", "-F"});
  EXPECT_EQ(o.out, "");
}

}  // namespace
}  // namespace convert_test
