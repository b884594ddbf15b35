#include "units.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "util/unit_label_table.h"
#include "util/unit_sizes.h"

namespace qvb::body {
namespace {

UnitQuantity quantityOf(units::Quantity q) {
  switch (q) {
    case units::Quantity::kMass: return kMass;
    case units::Quantity::kLength: return kLength;
    case units::Quantity::kTime: return kTime;
    default: return kForce;
  }
}

}  // namespace

bool lookupUnit(const char *name, UnitQuantity quantity, std::string *canonical, double *si) {
  const units::UnitLabel *label = units::findUnitLabel(name);
  if (label == nullptr || quantityOf(label->quantity) != quantity) return false;
  const units::UnitSize *size = units::findUnitSize(label->canonical);
  if (size == nullptr) return false;
  if (canonical) *canonical = label->canonical;
  if (si) *si = size->si;
  return true;
}

std::string unitNameForSize(UnitQuantity quantity, double si) {
  for (const units::UnitLabel &label : units::kUnitLabels) {
    const units::UnitSize *size = quantityOf(label.quantity) == quantity ? units::findUnitSize(label.canonical) : nullptr;
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
