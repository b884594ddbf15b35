// The straightforward ways, kept as the baselines the fast kernels are
// measured against: invariants 5 and 9 pair by pair with each pair's shapes
// fetched from the body (buffers reused), and one fprintf per value.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "qvb.h"

namespace qvb::bench {

// Modes 1..n of the body (mode numbers), I5 and I9 in the converter's layout;
// the same per-pair sums as the reference build of the converter
// (reference/gram_invariants.cpp).
void perPairInvariants(QVB_Handle body, int n, std::vector<double> &i5, std::vector<double> &i9);

// fprintf("%*.*E") per value, a line end after every perLine values.
void printfRealLines(std::FILE *out, const double *values, size_t count, int perLine, int width,
                     int precision);

}  // namespace qvb::bench
