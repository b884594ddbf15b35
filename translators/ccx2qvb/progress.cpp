#include "progress.h"

#include <cctype>
#include <cstdio>
#include <utility>

#include "platform/os.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {
namespace {

// The end of the log is enough to find the current step.
constexpr long kTailBytes = 4096;

std::string readTail(const std::string &log) {
  std::FILE *file = qvb::platform::openStream(log.c_str(), "rb");
  if (file == nullptr) return {};
  std::string tail(kTailBytes, '\0');
  if (std::fseek(file, -kTailBytes, SEEK_END) != 0) std::rewind(file);  // shorter than the tail
  tail.resize(std::fread(&tail[0], 1, tail.size(), file));
  std::fclose(file);
  return tail;
}

// A word: three letters in a row (an exponent such as 0.12E+03 is none).
bool hasWord(std::string_view line) {
  int run = 0;
  for (const char c : line) {
    run = std::isalpha(static_cast<unsigned char>(c)) ? run + 1 : 0;
    if (run == 3) return true;
  }
  return false;
}

// "name: number" reports a value (a count, the total time), not a step.
bool isValue(std::string_view line) {
  const size_t colon = line.rfind(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view value = trim(line.substr(colon + 1));
  return !value.empty() && value.find_first_not_of("0123456789.+-Ee") == std::string_view::npos;
}

}  // namespace

std::string currentStep(const std::string &logTail) {
  size_t end = logTail.size();
  while (end > 0) {
    const size_t start = logTail.rfind('\n', end - 1);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    std::string_view line = std::string_view(logTail).substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // a log with DOS line ends
    line = trim(line);
    // The solver's banner ends with its build date: no step yet after it.
    if (line.rfind("You are using an executable", 0) == 0) return {};
    if (hasWord(line) && !isValue(line)) return std::string(line);
    if (start == std::string::npos) break;
    end = start;
  }
  return {};
}

std::string progressLine(const std::string &job, double seconds, const std::string &step) {
  char time[32];
  std::snprintf(time, sizeof time, "%.1f s", seconds);
  std::string line = "ccx2qvb: job " + job + ", " + time;
  if (!step.empty()) line += ": " + step;
  if (line.size() > kProgressWidth) line.replace(kProgressWidth - 3, std::string::npos, "...");
  return line;
}

SolverProgress::SolverProgress(std::FILE *stream, bool terminal, std::string job, std::string log)
    : stream_(stream),
      terminal_(terminal),
      job_(std::move(job)),
      log_(std::move(log)),
      start_(qvb::platform::wallClock()) {}

// Also for a job too short to have been shown: every job gets its line.
SolverProgress::~SolverProgress() { write(qvb::platform::wallClock() - start_, "\n"); }

void SolverProgress::show(double seconds) { write(seconds, ""); }

void SolverProgress::write(double seconds, const char *ending) {
  if (!terminal_) return;
  const std::string line = progressLine(job_, seconds, currentStep(readTail(log_)));
  const std::string blank(line.size() < shown_ ? shown_ - line.size() : 0, ' ');
  std::fprintf(stream_, "\r%s%s%s", line.c_str(), blank.c_str(), ending);
  std::fflush(stream_);
  shown_ = line.size();
}

}  // namespace qvb::ccx2qvb
