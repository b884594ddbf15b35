// The paths that end the process (dump, shell file alone, optimized body)
// and the quiet switch. Process-ending runs happen in death-test children;
// what they write is checked from files, or from standard error where the
// child sends its standard output there.
#include <unistd.h>

#include <cstdio>

#include <gmock/gmock.h>

#include "conversion_fixture.h"
#include "fake_backend.h"

namespace convert_test {
namespace {

using qvbfake::Call;
using qvbfake::Result;
using qvbtest::readFile;
using testing::Eq;
using testing::HasSubstr;
namespace slot = qvbfake::slot;

class SideOutputTest : public ConversionTest {
 protected:
  // Runs the converter in this (child) process with standard output joined
  // to standard error, so that the death-test matcher sees both.
  void runJoined(const std::vector<std::string> &switches) {
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QVB_Handle handle = body.serve();
    installSetterLog();
    std::vector<std::string> args{"qvb2mtx", bodyName()};
    args.insert(args.end(), switches.begin(), switches.end());
    Argv argv(args);
    QVB_QVB2MTX(argv.argc(), argv.argv(), handle);
    std::fprintf(stderr, "returned\n");
    std::fflush(stderr);
    std::exit(42);
  }

  // Every edit the optimized-body path makes, one line each, printed when
  // the body is written.
  void installSetterLog() {
    static std::string log;
    log.clear();
    auto note = [](const std::string &line) { log += line + "\n"; };
    auto doubles = [](const Call &c, size_t k, int count) {
      std::string s;
      const double *v = static_cast<const double *>(c.args.at(k).pointer);
      for (int i = 0; i < count; ++i) s += " " + std::to_string(v[i]);
      return s;
    };
    qvbfake::setHook(slot::QVB_NumberOfGenStiff, [](const Call &) { return Result(2); });
    qvbfake::setHook(slot::QVB_GenStiffSparse, [](const Call &c) {
      if (c.args.at(1).pointer == nullptr) return Result(1);
      double *v = static_cast<double *>(c.args[1].pointer);
      int *r = static_cast<int *>(c.args[2].pointer), *k = static_cast<int *>(c.args[3].pointer);
      v[0] = 4, v[1] = 9, r[0] = k[0] = 0, r[1] = k[1] = 1;
      return Result(1);
    });
    qvbfake::setHook(slot::QVB_NumberOfGenMass, [](const Call &) { return Result(1); });
    qvbfake::setHook(slot::QVB_GenMassSparse, [](const Call &c) {
      *static_cast<double *>(c.args.at(1).pointer) = 1.0;
      *static_cast<int *>(c.args[2].pointer) = *static_cast<int *>(c.args[3].pointer) = 2;
      return Result(1);
    });
    qvbfake::setHook(slot::QVB_NodalInertia, [](const Call &c) {
      if (c.args.at(1).i != 1) return Result(0);
      double *j = static_cast<double *>(c.args[2].pointer);
      for (int e = 0; e < 9; ++e) j[e] = e + 1;
      return Result(1);
    });
    auto ints = [](const Call &c, int count) {
      std::string s;
      for (int i = 1; i <= count; ++i) s += " " + std::to_string(c.args.at(i).i);
      return s;
    };
    auto reals = [](const Call &c, size_t from, size_t to) {
      std::string s;
      for (size_t i = from; i <= to; ++i) s += " " + std::to_string(c.args.at(i).d);
      return s;
    };
    qvbfake::setHook(slot::QVB_SetNodeCoordinates, [=](const Call &c) { note("coords" + ints(c, 1) + reals(c, 2, 4)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetGeneralizedStiffness, [=](const Call &c) { note("stiff" + ints(c, 2) + reals(c, 3, 3)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetGeneralizedMass, [=](const Call &c) { note("mass" + ints(c, 2) + reals(c, 3, 3)); return Result(1); });
    qvbfake::setHook(slot::QVB_RebuildEigenvalues, [=](const Call &) { note("rebuild"); return Result(1); });
    qvbfake::setHook(slot::QVB_SetInvar1, [=](const Call &c) { note("invar1" + reals(c, 1, 1)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetInvar2, [=](const Call &c) { note("invar2" + doubles(c, 1, 3)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetInvar3, [=](const Call &c) { note("invar3" + ints(c, 1) + doubles(c, 2, 3)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetInvar4, [=](const Call &c) { note("invar4" + ints(c, 1) + doubles(c, 2, 3)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetInvar7, [=](const Call &c) { note("invar7" + doubles(c, 1, 6)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetInvar8, [=](const Call &c) { note("invar8" + ints(c, 1) + doubles(c, 2, 2)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetNodalMass, [=](const Call &c) { note("nodal mass" + ints(c, 1) + reals(c, 2, 2)); return Result(1); });
    qvbfake::setHook(slot::QVB_SetNodalInertia, [=](const Call &c) { note("nodal inertia" + ints(c, 1) + reals(c, 2, 7)); return Result(1); });
    qvbfake::setHook(slot::QVB_ScaleModes, [=](const Call &c) { note("scale modes" + ints(c, 1) + reals(c, 2, 2)); return Result(1); });
    const int writeResult = body.writeResult;
    qvbfake::setHook(slot::QVB_write_QVB, [writeResult](const Call &c) {
      std::fprintf(stderr, "%swrite %s\n", log.c_str(), c.args.at(1).text.c_str());
      return Result(writeResult);
    });
  }
};

TEST_F(SideOutputTest, DumpWritesBlocksAndEndsTheProcess) {
  const std::string one = dir.file("one.txt"), all = dir.file("all.txt");
  EXPECT_EXIT(runJoined({"-b", "3", "-d", one, "-o", dir.file("x")}), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(one), "block 3\n");
  EXPECT_EXIT(runJoined({"-d", all}), testing::ExitedWithCode(1), "");
  std::string expected;
  for (int b = 1; b <= 37; ++b) expected += "block " + std::to_string(b) + "\n";
  EXPECT_EQ(readFile(all), expected);
  EXPECT_FALSE(std::filesystem::exists(mtxPath()));
}

const char kShell[] =
    "4 2 0.001000\n"
    "0.000000 0.000000 0.000000\n1.500000 0.000000 0.000000\n1.500000 2.000000 0.000000\n"
    "0.000000 2.000000 -0.250000\n"
    "3 1 2 3\n4 1 2 3 4\n";

TEST_F(SideOutputTest, ShellFileAloneEndsTheProcessAndWithOutputConverts) {
  const std::string shell = dir.file("shell.txt");
  EXPECT_EXIT(runJoined({"-s", shell}), testing::ExitedWithCode(1), "");
  EXPECT_EQ(readFile(shell), kShell);

  std::filesystem::remove(shell);
  const Outcome o = runConversion({"-s", shell, "-o", dir.file("wing")});
  EXPECT_EQ(o.result, 0);
  EXPECT_TRUE(o.problems.empty());
  EXPECT_EQ(readFile(shell), kShell);

  body.faces.clear();
  const Outcome none = runConversion({"-s", shell, "-o", dir.file("wing")});
  EXPECT_EQ(none.result, -1);
  EXPECT_EQ(none.out.rfind("\n**ERROR^G** Failed to allocate memory for faces in shell file at line ", 0), 0u);
}

TEST_F(SideOutputTest, OptimizedBodyAppliesEditsAndScalesThenEnds) {
  const std::string out = dir.file("opt.qvb");
  const std::string expected =
      "Editing Interface Node Coordinates:\n   Node ID               X               Y               Z\n"
      "         7    1.500000E+00   -2.000000E+00    0.000000E+00\n\n"
      "coords 7 1.500000 -2.000000 0.000000\n"
      "stiff 1 1 8.000000\nstiff 2 2 18.000000\n"
      "mass 3 3 4.000000\n"
      "rebuild\n"
      "invar1 30.000000\n"
      "invar2 2.000000 -1.000000 0.000000\n"
      "invar3 1 2.000000 8.000000 14.000000\ninvar3 2 4.000000 10.000000 16.000000\n"
      "invar3 3 6.000000 12.000000 18.000000\n"
      "invar4 1 -2.000000 4.000000 10.000000\ninvar4 2 0.000000 7.000000 12.000000\n"
      "invar4 3 0.000000 -8.000000 14.000000\n"
      "invar7 40.000000 80.000000 120.000000 4.000000 8.000000 12.000000\n"
      "invar8 1 -6.000000 -5.000000\ninvar8 2 3.000000 4.000000\ninvar8 3 12.000000 13.000000\n"
      "nodal mass 1 4.000000\nnodal mass 2 8.000000\nnodal mass 3 2.000000\nnodal mass 7 16.000000\n"
      "nodal inertia 2 4.000000 20.000000 36.000000 8.000000 12.000000 24.000000\n"
      "scale modes 1 2.000000\n"
      "write " + out + "\n";
  EXPECT_EXIT(runJoined({"-I", "7", "1.5", "-2", "0", "-sscale", "2", "-mscale", "4", "-O", out}),
              testing::ExitedWithCode(0), Eq(expected));

  // Without edits or scales the body is written unchanged.
  EXPECT_EXIT(runJoined({"-O", out}), testing::ExitedWithCode(0), Eq("write " + out + "\n"));

  body.writeResult = 0;
  EXPECT_EXIT(runJoined({"-O", out}), testing::ExitedWithCode(1),
              HasSubstr("\n**WARNING\a** Failed to write an optimized FLEX file " + out + "\n\n"));
}

TEST_F(SideOutputTest, UnknownInterfaceNodeFailsWithoutEndingTheProcess) {
  const Outcome o = runConversion({"-I", "7", "0", "0", "0", "2", "1", "1", "1", "-O", dir.file("opt.qvb")});
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.out,
            "Editing Interface Node Coordinates:\n   Node ID               X               Y               Z\n"
            "         7    0.000000E+00    0.000000E+00    0.000000E+00\n"
            "\n**ERROR\a** Interface node 2 doesn't exist.\n\n");
  EXPECT_EQ(qvbfake::countOf(slot::QVB_write_QVB), 0u);
}

TEST_F(SideOutputTest, FailedCoarseningEndsTheProcess) {
  qvbtest::ScopedEnv options("TRX_QVBWRITE_OPTIONS", "adv_coarsen(0.5)");
  qvbtest::ScopedEnv noInterpreter("QVB_PYTHON_LIBRARY", "/no/such/libpython.so");
  EXPECT_EXIT(runJoined({"-O", dir.file("opt.qvb")}), testing::ExitedWithCode(1),
              HasSubstr("\n**ERROR^G** Advanced coarsening was failed. Please check log file.\n\n"));
}

TEST_F(SideOutputTest, QuietFirstArgumentSilencesProgress) {
  QVB_Handle handle = body.serve();
  Argv argv({"qvb2mtx", "-Q", bodyName(), "-L"});
  testing::internal::CaptureStdout();
  EXPECT_EQ(QVB_QVB2MTX(argv.argc(), argv.argv(), handle), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  MtxFile file;
  EXPECT_TRUE(readMtx(mtxPath(), file).empty());
  EXPECT_NE(file.headerLine.find("[" + bodyName() + "@"), std::string::npos);

  Argv tooFew({"qvb2mtx"});
  EXPECT_EQ(QVB_QVB2MTX(tooFew.argc(), tooFew.argv(), handle), -1);
}

}  // namespace
}  // namespace convert_test
