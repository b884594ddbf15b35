// Invariants 5 and 9 from nodal masses and translational mode shapes, for
// bodies that do not store them. Kept free of any body access so that a
// faster implementation can replace it and be tested against it.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace qvb::kernels {

// Inputs, for N nodes and n selected modes:
//   masses  N values (node-index order),
//   shapes  n blocks of N vectors of 3: shapes[(j*N + p)*3 + r] is
//           component r of selected mode j at node p.
// Outputs (resized and overwritten):
//   i5  n*3*n values: i5[(j*3 + r)*n + k] = sum_p m_p (a_p x b_p)_r
//       with a = mode j, b = mode k; antisymmetric in (j, k);
//   i9  n*n*9 values: i9[(j*n + k)*9 + 3*r + c] =
//       sum_p m_p (b_p,r a_p,c - delta_rc a_p.b_p); block (k, j) is the
//       transpose of block (j, k).
// onMode(j), when given, runs before row j is computed (progress output).
void computeInvariants5And9(const std::vector<double> &masses, const std::vector<double> &shapes,
                            int modeCount, std::vector<double> &i5, std::vector<double> &i9,
                            const std::function<void(int)> &onMode = {});

// One pair (j, k) of n modes, from their shapes a and b (N vectors of 3 in
// node order): fills entry (j, k) of i5 and i9 and its mirror (k, j). i5 and
// i9 must already have the sizes above.
void storePairInvariants(const std::vector<double> &masses, const double *a, const double *b, size_t j, size_t k,
                         size_t n, std::vector<double> &i5, std::vector<double> &i9);

}  // namespace qvb::kernels
