// QVB_ConvertUnitsLabel: the front library's only knowledge of units.
#include "qvb/qvb_units.h"

#include "util/unit_label_table.h"

#include <cstring>

extern "C" QVB_API int QVB_ConvertUnitsLabel(char *label) {
  const qvb::units::UnitLabel *row = qvb::units::findUnitLabel(label);
  if (row == nullptr) return 0;
  // The canonical name is often longer than the alias it replaces (the
  // caller's buffer holds 15 bytes); bytes behind its NUL stay as they were.
  std::memcpy(label, row->canonical, std::strlen(row->canonical) + 1);
  return 1;
}
