#include "solver_run.h"

#include <cerrno>
#include <cstring>

#include "errors.h"
#include "interruption.h"
#include "platform/child_process.h"
#include "platform/mapped_file.h"
#include "platform/os.h"
#include "progress.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {

std::string findSolver() {
  const char *fromEnvironment = platform::getEnv("CCX");
  const std::string name = fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : "ccx";
  const std::string path = platform::findProgram(name);
  if (path.empty())
    throw SolverError("the solver " + name + (fromEnvironment != nullptr ? " (from CCX)" : "") +
                      " was not found: install calculix-ccx or set CCX to the solver's path");
  return path;
}

namespace {

// What the solver's log says: its first error line, and whether it reached
// its closing line (a solver killed or stopped short of the end leaves
// result files that may look whole).
struct SolverLog {
  std::string error;
  bool finished = false;
};

SolverLog readLog(const std::string &log) {
  SolverLog result;
  std::string ignored;
  auto file = platform::MappedFile::open(log, &ignored);
  if (!file) return result;
  const char *begin = reinterpret_cast<const char *>(file->data());
  LineCursor cursor(begin, begin + file->size());
  std::string_view line;
  while (cursor.next(&line)) {
    if (result.error.empty() && line.find("*ERROR") != std::string_view::npos) result.error = std::string(trim(line));
    if (trim(line) == "Job finished") result.finished = true;
  }
  return result;
}

// Result files of an earlier run in the same folder (a kept one) would be
// read as this run's when the solver writes nothing: they go first.
void removeEarlierResults(const std::string &folder, const std::string &job) {
  const std::string prefix = job + ".";
  for (const std::string &name : platform::folderEntries(folder)) {
    if (name.compare(0, prefix.size(), prefix) != 0 || name == job + ".inp") continue;
    const std::string path = folder + "/" + name;
    const int error = platform::removeFile(path.c_str());
    if (error != 0 && error != ENOENT)
      throw SolverError("cannot remove the earlier result file " + path + ": " + std::strerror(error));
  }
}

}  // namespace

double runSolver(const std::string &solver, const std::string &folder, const std::string &job, double *processorSeconds,
                 bool beside) {
  removeEarlierResults(folder, job);
  const std::string log = folder + "/" + job + ".out";
  std::string error;
  const double start = platform::wallClock();
  double processor = 0;
  SolverProgress progress(stderr, !beside && platform::isTerminal(stderr), job, log);
  const int status =
      platform::runProgram({solver, "-i", job}, folder, log, &error, &processor, [&progress, beside](double running) {
        // Throwing here stops the child (runProgram kills it).
        if (beside) stopIfInterrupted();
        progress.show(running);
      });
  *processorSeconds += processor;
  const double seconds = platform::wallClock() - start;
  if (status < 0) throw SolverError("the solver could not run job " + job + ": " + error);
  const SolverLog said = readLog(log);
  if (!said.error.empty())
    throw SolverError("the solver refused job " + job + " (exit status " + std::to_string(status) +
                      "); it said: " + said.error);
  if (status != 0)
    throw SolverError("the solver failed on job " + job + " with exit status " + std::to_string(status) +
                      " and no error line of its own (out of memory or disk?)");
  if (!said.finished)
    throw SolverError("the solver stopped before the end of job " + job + " (its log " + log + " has no closing line)");
  return seconds;
}

}  // namespace qvb::ccx2qvb
