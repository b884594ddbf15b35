#include "elastic_constants.h"

#include <array>
#include <cmath>

namespace qvb::ccx2qvb {
namespace {

// The symmetric 6 x 6 stiffness, order 11 22 33 12 13 23 (engineering shear
// strains), from ORTHO or ANISO entries (the upper triangle column by column).
std::array<double, 36> fullMatrix(const std::vector<double> &stiffness) {
  std::array<double, 36> c{};
  if (stiffness.size() == 9) {
    const int diagonal[3] = {6, 7, 8};
    const int normal[6][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}, {2, 2}};
    for (int k = 0; k < 6; ++k)
      c[6 * normal[k][0] + normal[k][1]] = c[6 * normal[k][1] + normal[k][0]] = stiffness[static_cast<size_t>(k)];
    for (int k = 0; k < 3; ++k) c[7 * (3 + k)] = stiffness[static_cast<size_t>(diagonal[k])];
    return c;
  }
  size_t k = 0;
  for (int column = 0; column < 6; ++column)
    for (int row = 0; row <= column; ++row) c[6 * row + column] = c[6 * column + row] = stiffness[k++];
  return c;
}

// E1 E2 E3 nu12 nu13 nu23 G12 G13 G23 to D1111 D1122 D2222 D1133 D2233 D3333
// D1212 D1313 D2323: the normal block is the inverse of the compliance
// [1/E1 -nu12/E1 -nu13/E1; . 1/E2 -nu23/E2; . . 1/E3], by cofactors.
std::vector<double> orthotropicStiffness(const std::vector<double> &e) {
  const double s11 = 1 / e[0], s22 = 1 / e[1], s33 = 1 / e[2];
  const double s12 = -e[3] / e[0], s13 = -e[4] / e[0], s23 = -e[5] / e[1];
  const double c11 = s22 * s33 - s23 * s23, c12 = s13 * s23 - s12 * s33, c13 = s12 * s23 - s13 * s22;
  const double c22 = s11 * s33 - s13 * s13, c23 = s12 * s13 - s11 * s23, c33 = s11 * s22 - s12 * s12;
  const double det = s11 * c11 + s12 * c12 + s13 * c13;
  return {c11 / det, c12 / det, c22 / det, c13 / det, c23 / det, c33 / det, e[6], e[7], e[8]};
}

}  // namespace

int elasticConstantCount(ElasticType type) {
  switch (type) {
    case ElasticType::kIsotropic:
      return 2;
    case ElasticType::kOrthotropic:
    case ElasticType::kEngineeringConstants:
      return 9;
    case ElasticType::kAnisotropic:
      return 21;
  }
  return 0;
}

std::vector<double> stiffnessConstants(ElasticType type, const std::vector<double> &constants) {
  return type == ElasticType::kEngineeringConstants ? orthotropicStiffness(constants) : constants;
}

bool largestAxialModulus(const std::vector<double> &stiffness, double *largest) {
  // Cholesky C = L L' (in place, lower triangle); a pivot that is not
  // positive (or not a number) means no stable material.
  std::array<double, 36> l = fullMatrix(stiffness);
  for (int j = 0; j < 6; ++j) {
    double d = l[7 * j];
    for (int k = 0; k < j; ++k) d -= l[6 * j + k] * l[6 * j + k];
    if (!(d > 0) || !std::isfinite(d)) return false;
    l[7 * j] = std::sqrt(d);
    for (int i = j + 1; i < 6; ++i) {
      double s = l[6 * i + j];
      for (int k = 0; k < j; ++k) s -= l[6 * i + k] * l[6 * j + k];
      l[6 * i + j] = s / l[7 * j];
    }
  }
  // compliance(i, i) = |L^-1 e_i|^2, by forward substitution.
  *largest = 0;
  for (int axis = 0; axis < 3; ++axis) {
    double y[6] = {0, 0, 0, 0, 0, 0}, compliance = 0;
    for (int i = axis; i < 6; ++i) {
      double s = i == axis ? 1.0 : 0.0;
      for (int k = axis; k < i; ++k) s -= l[6 * i + k] * y[k];
      y[i] = s / l[7 * i];
      compliance += y[i] * y[i];
    }
    *largest = std::fmax(*largest, 1 / compliance);
  }
  return true;
}

}  // namespace qvb::ccx2qvb
