// Running the solver on a job in a work folder.
#pragma once

#include <string>

namespace qvb::ccx2qvb {

// The solver program: the CCX environment variable, else ccx on PATH.
// Throws with a clear message when there is none.
std::string findSolver();

// Runs "solver -i job" in folder, after removing the job's result files of
// an earlier run; the solver's output goes to job.out. Throws SolverError
// (our sentence, then the solver's own error line when it gave one) when it
// cannot start, fails, reports an error or stops before its closing line.
// Returns the seconds it took; adds the processor seconds it used to
// *processorSeconds.
// beside: the job runs beside another one (on another thread); it shows no
// status line of its own and is stopped at once when the command is
// interrupted (the signal reaches only one of the two directly).
double runSolver(const std::string &solver, const std::string &folder, const std::string &job, double *processorSeconds,
                 bool beside = false);

}  // namespace qvb::ccx2qvb
