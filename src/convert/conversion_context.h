// What one conversion knows after its command line has been read: the
// output, units, selections, scale factors and edges, plus the plan of
// matrices that the file header announces.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "convert/matrix_plan.h"
#include "platform/output_file.h"
#include "platform/worker_threads.h"
#include "qvb/qvb_export.h"

namespace qvb::convert {

// Unit labels live in 16-byte fields: the canonical names are at most 14
// characters, and the label table rewrites labels in place.
constexpr size_t kUnitLabelSize = 16;

struct FileCloser {
  void operator()(std::FILE *f) const {
    if (f != nullptr && f != stdout) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct Edge {
  int number = 0;
  std::vector<int> entries;
};

struct InterfaceNodeEdit {
  int nodeId = 0;
  double x = 0.0, y = 0.0, z = 0.0;
};

struct ConversionContext {
  QVB_Handle body = nullptr;
  std::string outputBase;
  std::string nameArgument;
  platform::OutputFile output;  // the MTX file
  // Empty means "not given": the default is filled in just before use.
  std::string massLabel, lengthLabel, timeLabel, forceLabel;
  bool skipInvariants59 = false;  // -F
  bool rigidOnly = false;           // -E
  bool doublePrecision = true;
  double massScale = 1.0;
  double stiffnessScale = 1.0;
  bool highFrequency = false;       // -H: recorded, read by no writer
  double highFrequencyHz = 0.0;
  std::vector<int> nodes;  // selected node indices
  std::vector<int> modes;  // selected mode numbers, ascending
  std::vector<Edge> edges;
  MatrixPlan plan;
  // QVB_THREADS: text and invariants 5 and 9 on this many threads (1: none).
  unsigned threads = 1;
  // Text that is being made in its place in the output while later matrices
  // are written; waited for before the output is closed. Declared after the
  // output, so that it ends before the output does.
  std::vector<std::unique_ptr<platform::BackgroundWork>> textInTheMaking;
};

// Process-wide flags of the converter: a host runs one conversion at a time.
struct RunState {
  bool quiet = false;     // -Q
  bool progress = false;  // -L
};
RunState &runState();

// The source name that allocation and data messages quote.
constexpr const char *kSourceName = "flex2mtx";

// Messages of the converter itself go to standard output in this shape.
void printError(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qvb::convert
