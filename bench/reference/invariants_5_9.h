// Invariants 5 and 9 from nodal masses and translational mode shapes, by
// their definition, pair of modes by pair of modes: the baseline the bench
// measures the Gram kernels against, and the tests' oracle for them.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace qvb::reference {

// The contract of kernels/gram_invariants.h; onMode(j), when given, runs
// before row j is computed.
void computeInvariants5And9(const std::vector<double> &masses, const std::vector<double> &shapes,
                            int modeCount, std::vector<double> &i5, std::vector<double> &i9,
                            const std::function<void(int)> &onMode = {});

// The same from shapes fetched a pair at a time: fetch(j, shape) fills
// shape (N vectors of 3) with mode j, false to stop (then the result is
// false and the outputs unspecified). For each j, mode j is fetched, then
// every mode k >= j: the way the converter formed them before the Gram
// kernels.
bool invariants5And9Fetched(const std::vector<double> &masses, int modeCount,
                            const std::function<bool(int j, double *shape)> &fetch, std::vector<double> &i5,
                            std::vector<double> &i9, const std::function<void(int)> &onMode = {});

// One pair (j, k) of n modes, from their shapes a and b (N vectors of 3 in
// node order): fills entry (j, k) of i5 and i9 and its mirror (k, j). i5 and
// i9 must already have their full sizes.
void storePairInvariants(const std::vector<double> &masses, const double *a, const double *b, size_t j, size_t k,
                         size_t n, std::vector<double> &i5, std::vector<double> &i9);

}  // namespace qvb::reference
