// Reading the solver's binary eigen-solution (.eig, written with STORAGE=YES).
//
// Layout (native byte order): four int32 (cyclic symmetry flag, Hermitian
// flag, perturbation flag, mode count nev), nev eigenvalues, the stiffness
// diagonal (neq) and off-diagonal (nzs), the mass diagonal and off-diagonal,
// then nev modes of neq doubles each. The file holds no sizes but nev, so
// neq and nzs come from the job's own matrices (its .dof and .sti), and the
// file must have exactly the size they give: a cut or padded file is refused.
#pragma once

#include <cstdint>
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

// What the job that wrote the file must have produced.
struct EigenFileShape {
  int64_t equations = 0;     // neq
  int64_t offDiagonals = 0;  // nzs: the stored matrices' entries above the diagonal
  int modes = 0;             // the modes the job asked for
};

// Throws ResultFileError naming the file and what does not fit.
EigenSolution readEigenSolution(const std::string &path, const EigenFileShape &shape);

}  // namespace qvb::ccx2qvb
