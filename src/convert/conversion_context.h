// What one conversion knows after its command line has been read: the
// output, units, selections, scale factors and edges, plus the plan of
// matrices that the file header announces.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "convert/matrix_plan.h"
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
  int node_id = 0;
  double x = 0.0, y = 0.0, z = 0.0;
};

struct ConversionContext {
  QVB_Handle body = nullptr;
  std::string output_base;
  std::string name_argument;
  FilePtr output;
  // Empty means "not given": the default is filled in just before use.
  std::string mass_label, length_label, time_label, force_label;
  bool skip_invariants_5_9 = false;  // -F
  bool rigid_only = false;           // -E
  bool double_precision = true;
  double mass_scale = 1.0;
  double stiffness_scale = 1.0;
  bool high_frequency = false;       // -H: recorded, read by no writer
  double high_frequency_hz = 0.0;
  std::vector<int> nodes;  // selected node indices
  std::vector<int> modes;  // selected mode numbers, ascending
  std::vector<Edge> edges;
  MatrixPlan plan;
};

// Process-wide flags of the converter: a host runs one conversion at a time.
struct RunState {
  bool quiet = false;     // -Q
  bool progress = false;  // -L
};
RunState &Run();

// The source name that allocation and data messages quote.
constexpr const char *kSourceName = "flex2mtx";

// Messages of the converter itself go to standard output in this shape.
void PrintError(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qvb::convert
