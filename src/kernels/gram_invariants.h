// Invariants 5 and 9 from nodal masses and translational mode shapes, for
// bodies that do not store them, by weighted Gram matrices.
//
// Every value of both invariants is a difference of entries of the nine
// component Gram matrices G_rc[j][k] = sum_p m_p a_j,p,r a_k,p,c. Forming
// them all at once is one symmetric rank-k update over the nodes, a level-3
// BLAS operation, instead of n^2/2 passes over the nodes that each touch two
// shapes (the definition; bench/reference keeps it as the baseline and the
// tests' oracle); the work drops from memory-bound to compute-bound.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace qvb::kernels {

// For N nodes and n selected modes:
//   masses  N values (node-index order),
//   shapes  n blocks of N vectors of 3: shapes[(j*N + p)*3 + r] is
//           component r of selected mode j at node p.
// Outputs (resized and overwritten):
//   i5  n*3*n values: i5[(j*3 + r)*n + k] = sum_p m_p (a_p x b_p)_r
//       with a = mode j, b = mode k; antisymmetric in (j, k);
//   i9  n*n*9 values: i9[(j*n + k)*9 + 3*r + c] =
//       sum_p m_p (b_p,r a_p,c - delta_rc a_p.b_p); block (k, j) is the
//       transpose of block (j, k).
// onMode(j) is called once per j, in ascending order, spread over the node
// passes in proportion to the work done, and before row j is final, always
// on the calling thread. threads > 1 shares the node passes among that many
// threads for this call; the result is the same bits for every count.
void computeInvariants5And9Fast(const std::vector<double> &masses, const double *shapes, int modeCount,
                                std::vector<double> &i5, std::vector<double> &i9,
                                const std::function<void(int)> &onMode = {}, unsigned threads = 1);

// The same, from shapes read where they lie instead of a copy: mode j's
// values at node p start at modes[j] + p * stride, translational components
// first. The same bits as computeInvariants5And9Fast on the copied shapes.
void computeInvariants5And9Where(const std::vector<double> &masses, const std::vector<const double *> &modes,
                                 size_t stride, std::vector<double> &i5, std::vector<double> &i9,
                                 const std::function<void(int)> &onMode = {}, unsigned threads = 1);

// Fills shape (masses.size() vectors of 3, node-index order) with the
// translational shape of selected mode j; false stops the computation.
using ModeShapeFetcher = std::function<bool(int j, double *shape)>;

// The same result without holding every shape at once: modes are fetched in
// groups so that the shapes held stay within budgetBytes (at least two
// modes are always held). When all shapes fit, each mode is fetched once;
// otherwise each group is fetched once as the row group and once for every
// earlier group. Returns false, with i5 and i9 unspecified, when a fetch
// fails.
bool computeInvariants5And9Streamed(const std::vector<double> &masses, int modeCount,
                                    const ModeShapeFetcher &fetch, size_t budgetBytes,
                                    std::vector<double> &i5, std::vector<double> &i9,
                                    const std::function<void(int)> &onMode = {}, unsigned threads = 1);

}  // namespace qvb::kernels
