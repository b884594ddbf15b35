#include "solver_run.h"

#include <stdexcept>

#include "platform/child_process.h"
#include "platform/mapped_file.h"
#include "platform/os.h"
#include "progress.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {

std::string findSolver() {
  const char *fromEnvironment = qvb::platform::getEnv("CCX");
  const std::string name = fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : "ccx";
  const std::string path = qvb::platform::findProgram(name);
  if (path.empty())
    throw std::runtime_error("the solver " + name +
                             (fromEnvironment != nullptr ? " (from CCX)" : "") +
                             " was not found: install calculix-ccx or set CCX to the solver's path");
  return path;
}

namespace {

// The solver's own complaint, if its output holds one.
std::string firstErrorLine(const std::string &log) {
  std::string ignored;
  auto file = qvb::platform::MappedFile::open(log, &ignored);
  if (!file) return {};
  const char *begin = reinterpret_cast<const char *>(file->data());
  LineCursor cursor(begin, begin + file->size());
  std::string_view line;
  while (cursor.next(&line))
    if (line.find("*ERROR") != std::string_view::npos) return std::string(trim(line));
  return {};
}

}  // namespace

double runSolver(const std::string &solver, const std::string &folder, const std::string &job,
                 double *processorSeconds) {
  const std::string log = folder + "/" + job + ".out";
  std::string error;
  const double start = qvb::platform::wallClock();
  double processor = 0;
  SolverProgress progress(stderr, qvb::platform::isTerminal(stderr), job, log);
  const int status = qvb::platform::runProgram({solver, "-i", job}, folder, log, &error, &processor,
                                               [&progress](double running) { progress.show(running); });
  *processorSeconds += processor;
  const double seconds = qvb::platform::wallClock() - start;
  if (status < 0) throw std::runtime_error("solver run " + job + ": " + error + "; its output is in " + log);
  const std::string complaint = firstErrorLine(log);
  if (status != 0 || !complaint.empty())
    throw std::runtime_error("the solver failed on job " + job + " (exit status " + std::to_string(status) + ")" +
                             (complaint.empty() ? std::string() : ": " + complaint) + "; its output is in " + log);
  return seconds;
}

}  // namespace qvb::ccx2qvb
