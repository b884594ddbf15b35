// The unit label table: every accepted spelling of a unit of mass, length,
// time or force, and the canonical upper-case name it stands for.
//
// Dependency-free on purpose: the storage backends (separate plug-ins)
// include it to parse unit names, so that every part of the system agrees on
// what "kip" or "mgg" means. It holds names only; the factors that relate a
// unit to SI belong to the backend that stores the body.
#pragma once

namespace qvb::units {

enum class Quantity { Mass, Length, Time, Force };

struct UnitLabel {
  const char *alias;      // compared without regard to ASCII case
  const char *canonical;  // what the alias is rewritten to
  Quantity quantity;
};

// In lookup order: the first row whose alias matches wins. Every canonical
// name is also an alias of itself, so converting twice changes nothing.
inline constexpr UnitLabel kUnitLabels[] = {
    {"mgg", "MEGAGRAM", Quantity::Mass},
    {"megagram", "MEGAGRAM", Quantity::Mass},
    {"tonne", "MEGAGRAM", Quantity::Mass},
    {"kilogram", "KILOGRAM", Quantity::Mass},
    {"kg", "KILOGRAM", Quantity::Mass},
    {"gram", "GRAM", Quantity::Mass},
    {"microgram", "MICROGRAM", Quantity::Mass},
    {"ug", "MICROGRAM", Quantity::Mass},
    {"milligram", "MILLIGRAM", Quantity::Mass},
    {"mg", "MILLIGRAM", Quantity::Mass},
    {"nanogram", "NANOGRAM", Quantity::Mass},
    {"ng", "NANOGRAM", Quantity::Mass},
    {"uston", "USTON", Quantity::Mass},
    {"us_ton", "USTON", Quantity::Mass},
    {"klbm", "KPOUND_MASS", Quantity::Mass},
    {"kpound_mass", "KPOUND_MASS", Quantity::Mass},
    {"pound_mass", "POUND_MASS", Quantity::Mass},
    {"lbm", "POUND_MASS", Quantity::Mass},
    {"ounce_mass", "OUNCE_MASS", Quantity::Mass},
    {"ozm", "OUNCE_MASS", Quantity::Mass},
    {"slug", "SLUG", Quantity::Mass},
    {"dozen_slug", "SLINCH", Quantity::Mass},
    {"slinch", "SLINCH", Quantity::Mass},
    {"knewton", "KNEWTON", Quantity::Force},
    {"kn", "KNEWTON", Quantity::Force},
    {"newton", "NEWTON", Quantity::Force},
    {"n", "NEWTON", Quantity::Force},
    {"millinewton", "MILLINEWTON", Quantity::Force},
    {"mn", "MILLINEWTON", Quantity::Force},
    {"dyne", "DYNE", Quantity::Force},
    {"micronewton", "MICRONEWTON", Quantity::Force},
    {"un", "MICRONEWTON", Quantity::Force},
    {"nanonewton", "NANONEWTON", Quantity::Force},
    {"nn", "NANONEWTON", Quantity::Force},
    {"kpound_force", "KPOUND_FORCE", Quantity::Force},
    {"klbf", "KPOUND_FORCE", Quantity::Force},
    {"kip", "KPOUND_FORCE", Quantity::Force},
    {"pound_force", "POUND_FORCE", Quantity::Force},
    {"lbf", "POUND_FORCE", Quantity::Force},
    {"kilogram_force", "KILOGRAM_FORCE", Quantity::Force},
    {"kgf", "KILOGRAM_FORCE", Quantity::Force},
    {"kg_force", "KILOGRAM_FORCE", Quantity::Force},
    {"ounce_force", "OUNCE_FORCE", Quantity::Force},
    {"ozf", "OUNCE_FORCE", Quantity::Force},
    {"kilometer", "KILOMETER", Quantity::Length},
    {"km", "KILOMETER", Quantity::Length},
    {"meter", "METER", Quantity::Length},
    {"m", "METER", Quantity::Length},
    {"centimeter", "CENTIMETER", Quantity::Length},
    {"cm", "CENTIMETER", Quantity::Length},
    {"millimeter", "MILLIMETER", Quantity::Length},
    {"mm", "MILLIMETER", Quantity::Length},
    {"micrometer", "MICROMETER", Quantity::Length},
    {"micron", "MICROMETER", Quantity::Length},
    {"um", "MICROMETER", Quantity::Length},
    {"nanometer", "NANOMETER", Quantity::Length},
    {"nm", "NANOMETER", Quantity::Length},
    {"angstrom", "ANGSTROM", Quantity::Length},
    {"ang", "ANGSTROM", Quantity::Length},
    {"mile", "MILE", Quantity::Length},
    {"mi", "MILE", Quantity::Length},
    {"yard", "YARD", Quantity::Length},
    {"yd", "YARD", Quantity::Length},
    {"foot", "FOOT", Quantity::Length},
    {"ft", "FOOT", Quantity::Length},
    {"inch", "INCH", Quantity::Length},
    {"in", "INCH", Quantity::Length},
    {"mil", "MIL", Quantity::Length},
    {"milli_inch", "MIL", Quantity::Length},
    {"uin", "MICROINCH", Quantity::Length},
    {"uinch", "MICROINCH", Quantity::Length},
    {"microinch", "MICROINCH", Quantity::Length},
    {"micro_inch", "MICROINCH", Quantity::Length},
    {"second", "SECOND", Quantity::Time},
    {"sec", "SECOND", Quantity::Time},
    {"s", "SECOND", Quantity::Time},
    {"millisecond", "MILLISECOND", Quantity::Time},
    {"millisec", "MILLISECOND", Quantity::Time},
    {"ms", "MILLISECOND", Quantity::Time},
    {"microsecond", "MICROSECOND", Quantity::Time},
    {"microsec", "MICROSECOND", Quantity::Time},
    {"us", "MICROSECOND", Quantity::Time},
    {"nanosecond", "NANOSECOND", Quantity::Time},
    {"nanosec", "NANOSECOND", Quantity::Time},
    {"ns", "NANOSECOND", Quantity::Time},
    {"day", "DAY", Quantity::Time},
    {"d", "DAY", Quantity::Time},
    {"hour", "HOUR", Quantity::Time},
    {"hr", "HOUR", Quantity::Time},
    {"h", "HOUR", Quantity::Time},
    {"minute", "MINUTE", Quantity::Time},
    {"min", "MINUTE", Quantity::Time},
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
