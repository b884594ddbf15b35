// The qvbcompare command: exit status by verdict, a clear message for a body
// it cannot open, and backends found without any environment set.
#include "compare_fixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace comparetest {
namespace {

struct ToolRun {
  int status;
  std::string output;
};

// Runs the command with the plug-in folder variable removed, so that it has
// to find the backends beside itself.
ToolRun runTool(const std::string &arguments) {
  const std::string command = "env -u TRX_USER_PLUGIN_DIR " QVBCOMPARE_TOOL " " + arguments + " 2>&1";
  ToolRun run{-1, ""};
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, read);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

using QvbcompareTool = CompareTest;

// Exit statuses 0, 1 and 2; help and the option spellings are the Python
// command tests' (python/tests/test_commands.py).
TEST_F(QvbcompareTool, ExitStatusFollowsTheVerdict) {
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
