// Printing one block readably, in the body's current units: the pieces the
// dumps of several blocks share. Each block's own dump is in block_table.cpp.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "body.h"

namespace qvb::body {

class BlockDump {
 public:
  BlockDump(const Body &b, std::FILE *out) : b_(b), out_(out) {}

  std::FILE *out() const { return out_; }
  // Factor from the body's stored units to its current ones.
  double factor(Dimension d) const;

  void values(const char *label, const double *v, size_t n, double factor = 1.0);
  void ints(const char *label, const std::vector<int> &v);
  void sparse(const SparseModeMatrix &m, Dimension d);
  // The mode values of one result kind, or its pre-stress / pre-strain.
  void kind(int which, bool initialOnly);
  void perMode(const ModeVector &v, Dimension d);
  void pairs(const ModeMatrix &m, Dimension d);

 private:
  const Body &b_;
  std::FILE *out_;
};

}  // namespace qvb::body
