// What a translation will need in memory, estimated from the mesh alone
// before any solver run: the largest piece is our factorisation, whose size
// CHOLMOD's symbolic analysis of the node graph gives (every node carries
// three translations, so the factor of K is about nine times the node
// graph's), beside the stored matrices.
#pragma once

#include <cstdint>

#include "model_preparation.h"

namespace qvb::ccx2qvb {

struct MemoryEstimate {
  double matrices = 0;  // bytes: K and M as read (and tied), in triplets
  double factor = 0;    // bytes: the factor's values and indices, with its workspace
  double total() const { return matrices + factor; }
};

MemoryEstimate estimateMemory(const PreparedModel &prepared);

// Throws TranslationError naming the need and the memory available when the
// estimate exceeds it (the translation would push other programs into swap
// or be killed part way).
// Returns the estimate's total in bytes.
double requireMemory(const PreparedModel &prepared);

}  // namespace qvb::ccx2qvb
