#include "unit_system.h"

#include <cmath>
#include <cstdio>

#include "errors.h"
#include "util/unit_label_table.h"
#include "util/unit_sizes.h"

namespace qvb::ccx2qvb {
namespace {

constexpr units::Quantity kOrder[4] = {units::Quantity::kMass, units::Quantity::kLength, units::Quantity::kTime,
                                       units::Quantity::kForce};
constexpr const char *kKind[4] = {"mass", "length", "time", "force"};

// Size in SI of each name; the names are canonical.
struct Sizes {
  double si[4];
};

Sizes sizesOf(const std::string units[4]) {
  Sizes s{};
  for (int q = 0; q < 4; ++q) s.si[q] = units::findUnitSize(units[q].c_str())->si;
  return s;
}

// Real solids: density 100 to 30,000 kg/m^3, sound speed sqrt(E/rho) 300 to
// 30,000 m/s. A deck whose every material lies there in a unit system is
// taken to be written in it.
bool plausible(const Model &model, const Sizes &s) {
  bool any = false;
  for (const Material &m : model.materials) {
    if (!(m.densityValue > 0) || !(m.youngsModulus > 0)) continue;
    const double density = m.densityValue * s.si[0] / (s.si[1] * s.si[1] * s.si[1]);
    const double modulus = m.youngsModulus * s.si[3] / (s.si[1] * s.si[1]);
    const double speed = std::sqrt(modulus / density);
    if (density < 100 || density > 3e4 || speed < 300 || speed > 3e4) return false;
    any = true;
  }
  return any;
}

}  // namespace

void requireConsistentUnits(std::string units[4]) {
  for (int q = 0; q < 4; ++q) {
    const units::UnitLabel *label = units::findUnitLabel(units[q].c_str());
    if (label == nullptr || label->quantity != kOrder[q] || units::findUnitSize(label->canonical) == nullptr)
      throw OptionError("--units: " + units[q] + " is not a unit of " + kKind[q] +
                        " (give mass, length, time and force, e.g. TONNE MILLIMETER SECOND NEWTON)");
    units[q] = label->canonical;
  }
  const Sizes s = sizesOf(units);
  const double derived = s.si[0] * s.si[1] / (s.si[2] * s.si[2]);
  if (std::fabs(derived - s.si[3]) > 1e-9 * s.si[3]) {
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "%.6g", s.si[3] / derived);
    throw OptionError("--units " + units[0] + " " + units[1] + " " + units[2] + " " + units[3] +
                      " is not a consistent set: one " + units[3] + " is " + ratio + " " + units[0] + " " +
                      units[1] + "/" + units[2] + "^2, where the solver needs force = mass x length / time^2");
  }
}

std::string likelyUnitsWarning(const Model &model, const std::string units[4]) {
  if (plausible(model, sizesOf(units))) return {};
  static const std::string kCommon[][4] = {{"MEGAGRAM", "MILLIMETER", "SECOND", "NEWTON"},
                                           {"KILOGRAM", "METER", "SECOND", "NEWTON"},
                                           {"KILOGRAM", "MILLIMETER", "MILLISECOND", "KNEWTON"},
                                           {"SLINCH", "INCH", "SECOND", "POUND_FORCE"}};
  for (const auto &candidate : kCommon) {
    if (!plausible(model, sizesOf(candidate))) continue;
    const std::string set = candidate[0] + " " + candidate[1] + " " + candidate[2] + " " + candidate[3];
    return "the deck's densities and elastic moduli look like " + set + " units, not the assumed " + units[0] +
           " " + units[1] + " " + units[2] + " " + units[3] + ": if so, give --units " + set;
  }
  return {};
}

}  // namespace qvb::ccx2qvb
