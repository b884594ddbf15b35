#include "units.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "util/unit_label_table.h"

namespace qvb::body {
namespace {

// SI size of every canonical unit name of the shared label table.
struct UnitSize {
  const char *canonical;
  double si;
};

constexpr double kPound = 0.45359237;             // kg, exact by definition
constexpr double kPoundForce = kPound * 9.80665;  // N
constexpr double kFoot = 0.3048;                  // m
constexpr double kSlug = kPoundForce / kFoot;     // kg: 1 lbf s^2 / ft
constexpr double kInch = 0.0254;                  // m

constexpr UnitSize kSizes[] = {
    {"MEGAGRAM", 1000.0}, {"KILOGRAM", 1.0}, {"GRAM", 1e-3}, {"MICROGRAM", 1e-9}, {"MILLIGRAM", 1e-6},
    {"NANOGRAM", 1e-12}, {"USTON", 2000.0 * kPound}, {"KPOUND_MASS", 1000.0 * kPound}, {"POUND_MASS", kPound},
    {"OUNCE_MASS", kPound / 16.0}, {"SLUG", kSlug}, {"SLINCH", 12.0 * kSlug},
    {"KNEWTON", 1000.0}, {"NEWTON", 1.0}, {"MILLINEWTON", 1e-3}, {"DYNE", 1e-5}, {"MICRONEWTON", 1e-6},
    {"NANONEWTON", 1e-9}, {"KPOUND_FORCE", 1000.0 * kPoundForce}, {"POUND_FORCE", kPoundForce},
    {"KILOGRAM_FORCE", 9.80665}, {"OUNCE_FORCE", kPoundForce / 16.0},
    {"KILOMETER", 1000.0}, {"METER", 1.0}, {"CENTIMETER", 0.01}, {"MILLIMETER", 1e-3}, {"MICROMETER", 1e-6},
    {"NANOMETER", 1e-9}, {"ANGSTROM", 1e-10}, {"MILE", 5280.0 * kFoot}, {"YARD", 3.0 * kFoot}, {"FOOT", kFoot},
    {"INCH", kInch}, {"MIL", 1e-3 * kInch}, {"MICROINCH", 1e-6 * kInch},
    {"SECOND", 1.0}, {"MILLISECOND", 1e-3}, {"MICROSECOND", 1e-6}, {"NANOSECOND", 1e-9}, {"DAY", 86400.0},
    {"HOUR", 3600.0}, {"MINUTE", 60.0},
};

UnitQuantity quantityOf(units::Quantity q) {
  switch (q) {
    case units::Quantity::kMass: return kMass;
    case units::Quantity::kLength: return kLength;
    case units::Quantity::kTime: return kTime;
    default: return kForce;
  }
}

const UnitSize *sizeOf(const char *canonical) {
  for (const UnitSize &row : kSizes)
    if (std::strcmp(row.canonical, canonical) == 0) return &row;
  return nullptr;
}

}  // namespace

bool lookupUnit(const char *name, UnitQuantity quantity, std::string *canonical, double *si) {
  const units::UnitLabel *label = units::findUnitLabel(name);
  if (label == nullptr || quantityOf(label->quantity) != quantity) return false;
  const UnitSize *size = sizeOf(label->canonical);
  if (size == nullptr) return false;
  if (canonical) *canonical = label->canonical;
  if (si) *si = size->si;
  return true;
}

std::string unitNameForSize(UnitQuantity quantity, double si) {
  for (const units::UnitLabel &label : units::kUnitLabels) {
    const UnitSize *size = quantityOf(label.quantity) == quantity ? sizeOf(label.canonical) : nullptr;
    if (size && std::fabs(size->si - si) <= 1e-12 * size->si) return label.canonical;
  }
  // Short enough for the 16-byte unit fields that callers provide.
  char text[32];
  std::snprintf(text, sizeof text, "SI*%.6g", si);
  return text;
}

double conversionFactor(const UnitSystem &from, const UnitSystem &to, Dimension d) {
  const int exponents[4] = {d.mass, d.length, d.time, d.force};
  double factor = 1.0;
  for (int q = 0; q < 4; ++q) {
    if (exponents[q] == 0 || from.si[q] == to.si[q]) continue;
    factor *= std::pow(from.si[q] / to.si[q], exponents[q]);
  }
  return factor;
}

}  // namespace qvb::body
