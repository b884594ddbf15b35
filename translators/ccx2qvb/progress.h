// What a solver job is doing, for a person watching the terminal: runs take
// minutes on real parts, and a silent command looks hung.
#pragma once

#include <cstdio>
#include <string>

namespace qvb::ccx2qvb {

// One line per solver job: its name, the seconds it has run and the solver's
// own current step (the last meaningful line of its log), rewritten in place
// while the job runs and ended with a newline when it ends, also when it
// fails (a job too short to be shown running still gets its line). Nothing
// at all unless `terminal` (stream is a terminal).
class SolverProgress {
 public:
  SolverProgress(std::FILE *stream, bool terminal, std::string job, std::string log);
  ~SolverProgress();  // ends the line, with the job's whole time
  SolverProgress(const SolverProgress &) = delete;
  SolverProgress &operator=(const SolverProgress &) = delete;

  // Rewrites the line for `seconds` into the job.
  void show(double seconds);

 private:
  void write(double seconds, const char *ending);

  std::FILE *stream_;
  bool terminal_;
  std::string job_, log_;
  double start_;
  size_t shown_ = 0;  // length of the line on the screen, to blank what a shorter one leaves
};

// The solver's current step in the tail of its log: the last line with a
// word in it (numbers, rules of stars and "name: value" reports are not
// steps); "" when none.
std::string currentStep(const std::string &logTail);

// The status line, at most kProgressWidth characters (a longer one would
// wrap, and \r would then rewrite only its last part).
constexpr size_t kProgressWidth = 79;
std::string progressLine(const std::string &job, double seconds, const std::string &step);

}  // namespace qvb::ccx2qvb
