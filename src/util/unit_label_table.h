// The unit label table: every accepted spelling of a unit of mass, length,
// time or force, and the canonical upper-case name it stands for.
//
// Dependency-free on purpose: the storage backends (separate plug-ins)
// include it to parse unit names, so that every part of the system agrees on
// what "kip" or "mgg" means. It holds names only; their sizes in SI are in
// unit_sizes.h.
#pragma once

namespace qvb::units {

enum class Quantity { kMass, kLength, kTime, kForce };

struct UnitLabel {
  const char *alias;      // compared without regard to ASCII case
  const char *canonical;  // what the alias is rewritten to
  Quantity quantity;
};

// In lookup order: the first row whose alias matches wins. Every canonical
// name is also an alias of itself, so converting twice changes nothing.
inline constexpr UnitLabel kUnitLabels[] = {
    {"mgg", "MEGAGRAM", Quantity::kMass},
    {"megagram", "MEGAGRAM", Quantity::kMass},
    {"tonne", "MEGAGRAM", Quantity::kMass},
    {"kilogram", "KILOGRAM", Quantity::kMass},
    {"kg", "KILOGRAM", Quantity::kMass},
    {"gram", "GRAM", Quantity::kMass},
    {"microgram", "MICROGRAM", Quantity::kMass},
    {"ug", "MICROGRAM", Quantity::kMass},
    {"milligram", "MILLIGRAM", Quantity::kMass},
    {"mg", "MILLIGRAM", Quantity::kMass},
    {"nanogram", "NANOGRAM", Quantity::kMass},
    {"ng", "NANOGRAM", Quantity::kMass},
    {"uston", "USTON", Quantity::kMass},
    {"us_ton", "USTON", Quantity::kMass},
    {"klbm", "KPOUND_MASS", Quantity::kMass},
    {"kpound_mass", "KPOUND_MASS", Quantity::kMass},
    {"pound_mass", "POUND_MASS", Quantity::kMass},
    {"lbm", "POUND_MASS", Quantity::kMass},
    {"ounce_mass", "OUNCE_MASS", Quantity::kMass},
    {"ozm", "OUNCE_MASS", Quantity::kMass},
    {"slug", "SLUG", Quantity::kMass},
    {"dozen_slug", "SLINCH", Quantity::kMass},
    {"slinch", "SLINCH", Quantity::kMass},
    {"knewton", "KNEWTON", Quantity::kForce},
    {"kn", "KNEWTON", Quantity::kForce},
    {"newton", "NEWTON", Quantity::kForce},
    {"n", "NEWTON", Quantity::kForce},
    {"millinewton", "MILLINEWTON", Quantity::kForce},
    {"mn", "MILLINEWTON", Quantity::kForce},
    {"dyne", "DYNE", Quantity::kForce},
    {"micronewton", "MICRONEWTON", Quantity::kForce},
    {"un", "MICRONEWTON", Quantity::kForce},
    {"nanonewton", "NANONEWTON", Quantity::kForce},
    {"nn", "NANONEWTON", Quantity::kForce},
    {"kpound_force", "KPOUND_FORCE", Quantity::kForce},
    {"klbf", "KPOUND_FORCE", Quantity::kForce},
    {"kip", "KPOUND_FORCE", Quantity::kForce},
    {"pound_force", "POUND_FORCE", Quantity::kForce},
    {"lbf", "POUND_FORCE", Quantity::kForce},
    {"kilogram_force", "KILOGRAM_FORCE", Quantity::kForce},
    {"kgf", "KILOGRAM_FORCE", Quantity::kForce},
    {"kg_force", "KILOGRAM_FORCE", Quantity::kForce},
    {"ounce_force", "OUNCE_FORCE", Quantity::kForce},
    {"ozf", "OUNCE_FORCE", Quantity::kForce},
    {"kilometer", "KILOMETER", Quantity::kLength},
    {"km", "KILOMETER", Quantity::kLength},
    {"meter", "METER", Quantity::kLength},
    {"m", "METER", Quantity::kLength},
    {"centimeter", "CENTIMETER", Quantity::kLength},
    {"cm", "CENTIMETER", Quantity::kLength},
    {"millimeter", "MILLIMETER", Quantity::kLength},
    {"mm", "MILLIMETER", Quantity::kLength},
    {"micrometer", "MICROMETER", Quantity::kLength},
    {"micron", "MICROMETER", Quantity::kLength},
    {"um", "MICROMETER", Quantity::kLength},
    {"nanometer", "NANOMETER", Quantity::kLength},
    {"nm", "NANOMETER", Quantity::kLength},
    {"angstrom", "ANGSTROM", Quantity::kLength},
    {"ang", "ANGSTROM", Quantity::kLength},
    {"mile", "MILE", Quantity::kLength},
    {"mi", "MILE", Quantity::kLength},
    {"yard", "YARD", Quantity::kLength},
    {"yd", "YARD", Quantity::kLength},
    {"foot", "FOOT", Quantity::kLength},
    {"ft", "FOOT", Quantity::kLength},
    {"inch", "INCH", Quantity::kLength},
    {"in", "INCH", Quantity::kLength},
    {"mil", "MIL", Quantity::kLength},
    {"milli_inch", "MIL", Quantity::kLength},
    {"uin", "MICROINCH", Quantity::kLength},
    {"uinch", "MICROINCH", Quantity::kLength},
    {"microinch", "MICROINCH", Quantity::kLength},
    {"micro_inch", "MICROINCH", Quantity::kLength},
    {"second", "SECOND", Quantity::kTime},
    {"sec", "SECOND", Quantity::kTime},
    {"s", "SECOND", Quantity::kTime},
    {"millisecond", "MILLISECOND", Quantity::kTime},
    {"millisec", "MILLISECOND", Quantity::kTime},
    {"ms", "MILLISECOND", Quantity::kTime},
    {"microsecond", "MICROSECOND", Quantity::kTime},
    {"microsec", "MICROSECOND", Quantity::kTime},
    {"us", "MICROSECOND", Quantity::kTime},
    {"nanosecond", "NANOSECOND", Quantity::kTime},
    {"nanosec", "NANOSECOND", Quantity::kTime},
    {"ns", "NANOSECOND", Quantity::kTime},
    {"day", "DAY", Quantity::kTime},
    {"d", "DAY", Quantity::kTime},
    {"hour", "HOUR", Quantity::kTime},
    {"hr", "HOUR", Quantity::kTime},
    {"h", "HOUR", Quantity::kTime},
    {"minute", "MINUTE", Quantity::kTime},
    {"min", "MINUTE", Quantity::kTime},
};

// ASCII-only upper-casing: independent of the C locale, so "i" never turns
// into a dotted capital and the table means the same everywhere.
constexpr char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whole-string comparison ignoring ASCII case.
constexpr bool sameLabel(const char *a, const char *b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (upperAscii(*a) != upperAscii(*b)) return false;
  }
  return *a == *b;
}

// The first row whose alias matches label; null for null or unknown labels.
constexpr const UnitLabel *findUnitLabel(const char *label) {
  if (label == nullptr) return nullptr;
  for (const UnitLabel &row : kUnitLabels) {
    if (sameLabel(label, row.alias)) return &row;
  }
  return nullptr;
}

}  // namespace qvb::units
