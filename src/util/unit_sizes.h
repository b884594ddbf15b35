// The size in SI of every canonical unit name of the label table.
//
// Shared by the stores (which convert stored values between unit systems)
// and the translators (which check that a unit system is consistent), so
// that both agree on what a unit is. Dependency-free, like the label table.
#pragma once

#include <cstring>

namespace qvb::units {

struct UnitSize {
  const char *canonical;
  double si;
};

inline constexpr double kPound = 0.45359237;             // kg, exact by definition
inline constexpr double kPoundForce = kPound * 9.80665;  // N
inline constexpr double kFoot = 0.3048;                  // m
inline constexpr double kSlug = kPoundForce / kFoot;     // kg: 1 lbf s^2 / ft
inline constexpr double kInch = 0.0254;                  // m

inline constexpr UnitSize kUnitSizes[] = {
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

// The row of a canonical name, or null.
inline const UnitSize *findUnitSize(const char *canonical) {
  for (const UnitSize &row : kUnitSizes)
    if (std::strcmp(row.canonical, canonical) == 0) return &row;
  return nullptr;
}

}  // namespace qvb::units
