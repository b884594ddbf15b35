// Units of a body: the four unit names (mass, length, time, force), their
// sizes in SI, and the dimension of every stored quantity.
//
// A body keeps its values in one unit system (the stored system) and reports
// them in another (the current system, chosen with SetUnits). Converting a
// value means multiplying by the ratio of the two systems raised to the
// exponents of the value's dimension. Force is a dimension of its own, so
// that unit systems whose force unit is not mass x length / time^2 (kg, mm, s,
// N for instance) still convert exactly.
#pragma once

#include <array>
#include <string>

namespace qvb::body {

enum UnitQuantity { kMass = 0, kLength = 1, kTime = 2, kForce = 3 };

// Exponents of mass, length, time and force.
struct Dimension {
  int mass, length, time, force;
};

// The dimensions used by the body (the table in docs/backend.md).
namespace dim {
constexpr Dimension kNone{0, 0, 0, 0};
constexpr Dimension kMass{1, 0, 0, 0};
constexpr Dimension kLength{0, 1, 0, 0};
constexpr Dimension kFirstMoment{1, 1, 0, 0};       // M L
constexpr Dimension kInertia{1, 2, 0, 0};           // M L^2: inertia, generalized mass
constexpr Dimension kGenStiffness{1, 2, -2, 0};     // M L^2 / T^2
constexpr Dimension kGenDamping{1, 2, -1, 0};       // M L^2 / T
constexpr Dimension kEigenvalue{0, 0, -2, 0};       // 1 / T^2
constexpr Dimension kStress{0, -2, 0, 1};           // F / L^2
constexpr Dimension kForce{0, 0, 0, 1};             // F
constexpr Dimension kMoment{0, 1, 0, 1};            // F L: moments, generalized forces
}  // namespace dim

struct UnitSystem {
  std::array<std::string, 4> names{"KILOGRAM", "METER", "SECOND", "NEWTON"};
  std::array<double, 4> si{1.0, 1.0, 1.0, 1.0};  // SI size of one unit

  bool operator==(const UnitSystem &other) const { return si == other.si; }
  bool operator!=(const UnitSystem &other) const { return !(*this == other); }
};

// Canonical upper-case name and SI size of a unit name (any alias, any case).
// False when the name is unknown or belongs to another quantity.
bool lookupUnit(const char *name, UnitQuantity quantity, std::string *canonical, double *si);

// The canonical name whose SI size equals `si` (within rounding), or a
// text "SI*<size>" (at most 15 characters) when no named unit has that size.
std::string unitNameForSize(UnitQuantity quantity, double si);

// Factor that turns a value of dimension d in system `from` into system `to`.
double conversionFactor(const UnitSystem &from, const UnitSystem &to, Dimension d);

}  // namespace qvb::body
