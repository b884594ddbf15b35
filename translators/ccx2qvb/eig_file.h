// Reading the solver's binary eigen-solution (.eig, written with STORAGE=YES).
//
// Layout (native byte order): four int32 (cyclic symmetry flag, Hermitian
// flag, perturbation flag, mode count nev), nev eigenvalues, the stiffness
// diagonal (neq) and off-diagonal (nzs), the mass diagonal and off-diagonal,
// then nev modes of neq doubles each. The sparsity pattern is not stored,
// so nzs follows from the file size.
#pragma once

#include <string>
#include <vector>

namespace qvb::ccx2qvb {

struct EigenSolution {
  int64_t equations = 0;
  int modeCount = 0;
  std::vector<double> eigenvalues;     // omega^2, sign kept
  std::vector<double> stiffnessDiagonal;
  std::vector<double> modes;           // equations x modeCount, column-major
};

// neq is the equation count of the run that wrote the file.
EigenSolution readEigenSolution(const std::string &path, int64_t equations);

}  // namespace qvb::ccx2qvb
