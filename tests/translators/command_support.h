// Running the translator and the solver from the command tests.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace ccxtest {

// Runs a shell command in folder, output to log; returns the exit status.
inline int run(const std::string &folder, const std::string &command, const std::string &log) {
  const std::string line = "cd '" + folder + "' && " + command + " > '" + log + "' 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The solver's own eigenvalues of a model (deck text without steps): a plain
// *FREQUENCY run in folder, its eigenvalue table read from the .dat file.
std::vector<double> solverEigenvalues(const std::string &folder, const std::string &model, int count);

}  // namespace ccxtest
