// The qvbcompare command: exit status 0, 1 or 2 by verdict and usability, with
// the backends found beside it (no plug-in folder variable set). Help and the
// option spellings are python/tests/test_commands.py's.
#include "compare_fixture.h"

#include <sys/wait.h>

#include <cstdlib>

namespace comparetest {
namespace {

struct ToolRun {
  int status;
  std::string output;
};

using QvbcompareTool = CompareTest;

TEST_F(QvbcompareTool, ExitStatusFollowsTheVerdict) {
  const auto runTool = [this](const std::string &arguments) {
    const std::string log = dir_.file("log"), command = "env -u TRX_USER_PLUGIN_DIR " QVBCOMPARE_TOOL " " + arguments;
    const int status = std::system((command + " > " + log + " 2>&1").c_str());
    return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, qvbtest::readFile(log)};
  };
  const std::string base = write(sampleBody(), "base");
  const std::string copy = write(sampleBody(), "copy");
  BodyPlan moved = sampleBody();
  moved.nodes[0].xyz[2] = 5.0;
  const std::string changed = write(moved, "changed");

  const ToolRun same = runTool("-v 2 " + base + " " + copy + "::1 -t 1e-9");
  EXPECT_EQ(same.status, 0) << same.output;
  EXPECT_NE(same.output.find("  Pass NodeCoordinates"), std::string::npos);

  const ToolRun different = runTool(base + " " + changed);
  EXPECT_EQ(different.status, 1) << different.output;
  EXPECT_NE(different.output.find("->Fail NodeCoordinates  Delta: "), std::string::npos) << different.output;
  EXPECT_NE(different.output.find("->Files differ\n"), std::string::npos);
  // A tolerance wider than the change makes them equivalent.
  EXPECT_EQ(runTool("-t 10 " + base + " " + changed).status, 0);

  const ToolRun missing = runTool(base + " " + dir_.file("absent.qvb"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.output.find("cannot open the new body"), std::string::npos) << missing.output;
  for (const std::string &arguments : {std::string(""), base, base + " " + base + " -t", base + " " + base + " -v x",
                                       base + " " + base + " -t -1", base + " " + base + " -q"})
    EXPECT_EQ(runTool(arguments).status, 2) << arguments;
}

}  // namespace
}  // namespace comparetest
