// Generalized stiffness, mass and damping, and the inertia invariants.
#include <stdexcept>

#include "slot_support.h"

namespace qvb::body {
namespace {

struct MatrixKind {
  SparseModeMatrix Body::*member;
  Dimension dimension;
};
constexpr MatrixKind kStiffness{&Body::genStiffness, dim::kGenStiffness};
constexpr MatrixKind kMassMatrix{&Body::genMass, dim::kInertia};
constexpr MatrixKind kDamping{&Body::genDamping, dim::kGenDamping};

int setEntry(QVB_Handle h, MatrixKind kind, int row, int column, double value, const char *operation) {
  return withBody(h, operation, 0, [&](Body &b) {
    if (row <= 0 || column <= 0) {
      reportError("%s: (%d, %d) are not mode numbers", operation, row, column);
      return 0;
    }
    b.ensureMode(row);
    b.ensureMode(column);
    (b.*kind.member)[{row, column}] = value * toStored(b, kind.dimension);
    return 1;
  });
}

int SetGeneralizedMass(QVB_Handle h, int r, int c, double v) {
  return setEntry(h, kMassMatrix, r, c, v, "QVB_SetGeneralizedMass");
}
int SetGeneralizedStiffness(QVB_Handle h, int r, int c, double v) {
  return setEntry(h, kStiffness, r, c, v, "QVB_SetGeneralizedStiffness");
}
int SetGeneralizedDamping(QVB_Handle h, int r, int c, double v) {
  return setEntry(h, kDamping, r, c, v, "QVB_SetGeneralizedDamping");
}

int entryCount(QVB_Handle h, MatrixKind kind, const char *operation) {
  return withBody(h, operation, 0, [&](const Body &b) { return static_cast<int>((b.*kind.member).size()); });
}
int NumberOfGenStiff(QVB_Handle h) { return entryCount(h, kStiffness, "QVB_NumberOfGenStiff"); }
int NumberOfGenMass(QVB_Handle h) { return entryCount(h, kMassMatrix, "QVB_NumberOfGenMass"); }
int NumberOfGenDamp(QVB_Handle h) { return entryCount(h, kDamping, "QVB_NumberOfGenDamp"); }

// rows[j][k] = entry (numbers[j], numbers[k]) for j, k < n, each row written
// from column `offset` on, row j at rows[offset + j].
int fillRows(const Body &b, MatrixKind kind, double **rows, int n, const std::vector<int> &numbers, int offset,
             const char *operation) {
  if (n <= 0) return 1;
  if (!notNull(rows, operation)) return 0;
  double f = toCurrent(b, kind.dimension);
  const SparseModeMatrix &m = b.*kind.member;
  for (int j = 0; j < n; ++j) {
    if (!notNull(rows[offset + j], operation)) return 0;
    for (int k = 0; k < n; ++k) {
      bool known = numbers[j] > 0 && numbers[k] > 0;
      rows[offset + j][offset + k] = known ? b.sparseEntry(m, numbers[j], numbers[k]) * f : 0.0;
    }
  }
  return 1;
}

// The selected mode numbers, checked; throws when one is not a mode.
std::vector<int> selectedNumbers(const Body &b, int n, const int *selected) {
  std::vector<int> numbers(std::max(n, 0), 0);
  if (n > 0 && selected == nullptr) throw std::invalid_argument("the list of selected modes is null");
  for (int j = 0; j < n; ++j) {
    if (b.modeIndex(selected[j]) < 0) throw std::invalid_argument("the body has no mode " + std::to_string(selected[j]));
    numbers[j] = selected[j];
  }
  return numbers;
}

int selected(QVB_Handle h, MatrixKind kind, double **rows, int n, int *sel, const char *operation) {
  return withBody(h, operation, 0,
                  [&](const Body &b) { return fillRows(b, kind, rows, n, selectedNumbers(b, n, sel), 0, operation); });
}
int GenStiffSelected(QVB_Handle h, double **rows, int n, int *sel) {
  return selected(h, kStiffness, rows, n, sel, "QVB_GenStiffSelected");
}
int GenMassSelected(QVB_Handle h, double **rows, int n, int *sel) {
  return selected(h, kMassMatrix, rows, n, sel, "QVB_GenMassSelected");
}

// The first n modes by index; rows and columns past the mode count are zero.
int full(QVB_Handle h, MatrixKind kind, double **rows, int n, const char *operation) {
  return withBody(h, operation, 0, [&](const Body &b) {
    std::vector<int> numbers(std::max(n, 0), 0);
    for (int j = 0; j < n && j < b.modeCount(); ++j) numbers[j] = b.modeNumbers()[j];
    return fillRows(b, kind, rows, n, numbers, 0, operation);
  });
}
int GenStiffFull(QVB_Handle h, double **rows, int n) { return full(h, kStiffness, rows, n, "QVB_GenStiffFull"); }
int GenMassFull(QVB_Handle h, double **rows, int n) { return full(h, kMassMatrix, rows, n, "QVB_GenMassFull"); }
int GenDampFull(QVB_Handle h, double **rows, int n) { return full(h, kDamping, rows, n, "QVB_GenDampFull"); }

// Stored entries in the order of (row mode number, column mode number), with
// row and column given as mode indices.
int sparse(QVB_Handle h, MatrixKind kind, double *values, int *rowIndices, int *columnIndices, const char *operation) {
  return withBody(h, operation, 0, [&](const Body &b) {
    const SparseModeMatrix &m = b.*kind.member;
    if (m.empty()) return 1;
    if (!notNull(values, operation) || !notNull(rowIndices, operation) || !notNull(columnIndices, operation)) return 0;
    double f = toCurrent(b, kind.dimension);
    size_t i = 0;
    for (const auto &[key, value] : m) {
      values[i] = value * f;
      rowIndices[i] = b.modeIndex(key.first);
      columnIndices[i] = b.modeIndex(key.second);
      ++i;
    }
    return 1;
  });
}
int GenStiffSparse(QVB_Handle h, double *v, int *r, int *c) { return sparse(h, kStiffness, v, r, c, "QVB_GenStiffSparse"); }
int GenMassSparse(QVB_Handle h, double *v, int *r, int *c) { return sparse(h, kMassMatrix, v, r, c, "QVB_GenMassSparse"); }
int GenDampSparse(QVB_Handle h, double *v, int *r, int *c) { return sparse(h, kDamping, v, r, c, "QVB_GenDampSparse"); }

int GenDampExist(QVB_Handle h) {
  return withBody(h, "QVB_GenDampExist", 0, [&](const Body &b) { return b.genDamping.empty() ? 0 : 1; });
}

// (n + 6) x (n + 6): six leading rows and columns for the rigid-body motion on
// the principal axes, which this body model carries no damping for (zero),
// then the selected modes. 0 when the body has no damping at all.
int GenDampPrincipalAndSelected(QVB_Handle h, double **rows, int n, int *sel) {
  return withBody(h, "QVB_GenDampPrincipalAndSelected", 0, [&](const Body &b) {
    if (b.genDamping.empty()) return 0;
    const char *operation = "QVB_GenDampPrincipalAndSelected";
    std::vector<int> numbers = selectedNumbers(b, n, sel);
    if (!notNull(rows, operation)) return 0;
    for (int r = 0; r < n + 6; ++r) {
      if (!notNull(rows[r], operation)) return 0;
      std::fill(rows[r], rows[r] + n + 6, 0.0);
    }
    return fillRows(b, kDamping, rows, n, numbers, 6, operation);
  });
}

// Loads and damping are kept as given; there is nothing to move onto the
// principal axes, and the converter calls these on every run.
int RigidBodyForcesOnPrincipalAxes(QVB_Handle h) {
  return withBody(h, "QVB_RigidBodyForcesOnPrincipalAxes", 0, [&](Body &) { return 1; });
}
int DampingOnPrincipalAxes(QVB_Handle h) {
  return withBody(h, "QVB_DampingOnPrincipalAxes", 0, [&](Body &) { return 1; });
}

// ---- invariants -------------------------------------------------------------

int modeOf(Body &b, int number, const char *operation) {
  if (number <= 0) {
    reportError("%s: %d is not a mode number", operation, number);
    return -1;
  }
  return b.ensureMode(number);
}

int SetInvar1(QVB_Handle h, double value) {
  return withBody(h, "QVB_SetInvar1", 0, [&](Body &b) {
    b.invariants.i1 = value * toStored(b, dim::kMass);
    b.invariants.has[1] = true;
    return 1;
  });
}

int setFixed(QVB_Handle h, int which, const double *values, const char *operation) {
  return withBody(h, operation, 0, [&](Body &b) {
    if (!notNull(values, operation)) return 0;
    Invariants &inv = b.invariants;
    if (which == 2) {
      for (int k = 0; k < 3; ++k) inv.i2[k] = values[k] * toStored(b, dim::kFirstMoment);
    } else {  // invariant 7 from xx yy zz xy xz yz
      double f = toStored(b, dim::kInertia);
      const int from[9] = {0, 3, 4, 3, 1, 5, 4, 5, 2};
      for (int k = 0; k < 9; ++k) inv.i7[k] = values[from[k]] * f;
    }
    inv.has[which] = true;
    return 1;
  });
}
int SetInvar2(QVB_Handle h, double *values) { return setFixed(h, 2, values, "QVB_SetInvar2"); }
int SetInvar7(QVB_Handle h, double *values) { return setFixed(h, 7, values, "QVB_SetInvar7"); }

int setPerMode(QVB_Handle h, int which, int number, const double *values, const char *operation) {
  return withBody(h, operation, 0, [&](Body &b) {
    if (!notNull(values, operation)) return 0;
    int index = modeOf(b, number, operation);
    if (index < 0) return 0;
    Invariants &inv = b.invariants;
    ModeVector &v = which == 3 ? inv.i3 : which == 4 ? inv.i4 : inv.i8;
    v.resize(b.modeCount());
    double f = toStored(b, which == 3 ? dim::kFirstMoment : dim::kInertia);
    for (int k = 0; k < v.width; ++k) v.at(index)[k] = values[k] * f;
    inv.has[which] = true;
    return 1;
  });
}
int SetInvar3(QVB_Handle h, int mode, double *values) { return setPerMode(h, 3, mode, values, "QVB_SetInvar3"); }
int SetInvar4(QVB_Handle h, int mode, double *values) { return setPerMode(h, 4, mode, values, "QVB_SetInvar4"); }
int SetInvar8(QVB_Handle h, int mode, double *values) { return setPerMode(h, 8, mode, values, "QVB_SetInvar8"); }

int setPair(QVB_Handle h, int which, int numberI, int numberJ, const double *values, const char *operation) {
  return withBody(h, operation, 0, [&](Body &b) {
    if (!notNull(values, operation)) return 0;
    int i = modeOf(b, numberI, operation), j = i < 0 ? -1 : modeOf(b, numberJ, operation);
    if (j < 0) return 0;
    ModeMatrix &m = which == 5 ? b.invariants.i5 : b.invariants.i9;
    m.resize(b.modeCount());
    double f = toStored(b, dim::kInertia);
    for (int k = 0; k < m.width; ++k) m.cell(i, j)[k] = values[k] * f;
    b.invariants.has[which] = true;
    return 1;
  });
}
int SetInvar5(QVB_Handle h, int i, int j, double *values) { return setPair(h, 5, i, j, values, "QVB_SetInvar5"); }
int SetInvar9(QVB_Handle h, int i, int j, double *values) { return setPair(h, 9, i, j, values, "QVB_SetInvar9"); }

// Invariant 6 is the generalized mass: the full M x M matrix (row-major by mode
// index) replaces it, keeping the diagonal and the non-zero entries.
int SetInvar6(QVB_Handle h, double *values) {
  return withBody(h, "QVB_SetInvar6", 0, [&](Body &b) {
    if (!notNull(values, "QVB_SetInvar6")) return 0;
    const int m = b.modeCount();
    double f = toStored(b, dim::kInertia);
    b.genMass.clear();
    for (int j = 0; j < m; ++j)
      for (int k = 0; k < m; ++k) {
        double v = values[static_cast<size_t>(j) * m + k];
        if (v != 0.0 || j == k) b.genMass[{b.modeNumbers()[j], b.modeNumbers()[k]}] = v * f;
      }
    return 1;
  });
}

bool available(const Body &b, int which, const char *operation) {
  if (b.invariants.has[which] || b.canComputeInvariants()) return true;
  reportError("%s: the body holds neither invariant %d nor the nodal masses to compute it", operation, which);
  return false;
}

double Invar1(QVB_Handle h) {
  return withBody(h, "QVB_Invar1", 0.0, [&](const Body &b) { return b.invariant1() * toCurrent(b, dim::kMass); });
}

template <typename Container>
double *handOutConverted(const Container &values, double factor) {
  return handOut(std::vector<double>(values.begin(), values.end()), factor);
}

double *Invar2(QVB_Handle h) {
  return withBody(h, "QVB_Invar2", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!available(b, 2, "QVB_Invar2")) return nullptr;
    return handOutConverted(b.invariant2(), toCurrent(b, dim::kFirstMoment));
  });
}

double *invar34(QVB_Handle h, int which, const char *operation) {
  return withBody(h, operation, static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!available(b, which, operation) || b.modeCount() == 0) return nullptr;
    return handOut(b.invariant34(which), toCurrent(b, which == 3 ? dim::kFirstMoment : dim::kInertia));
  });
}
double *Invar3(QVB_Handle h) { return invar34(h, 3, "QVB_Invar3"); }
double *Invar4(QVB_Handle h) { return invar34(h, 4, "QVB_Invar4"); }

double *Invar5(QVB_Handle h, int index) {
  return withBody(h, "QVB_Invar5", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!validModeIndex(b, index, "QVB_Invar5") || !available(b, 5, "QVB_Invar5")) return nullptr;
    return handOut(b.invariant5(index), toCurrent(b, dim::kInertia));
  });
}

double *Invar6(QVB_Handle h) {
  return withBody(h, "QVB_Invar6", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (b.modeCount() == 0) return nullptr;
    if (b.genMass.empty() && !available(b, 6, "QVB_Invar6")) return nullptr;
    return handOut(b.invariant6(), toCurrent(b, dim::kInertia));
  });
}

double *Invar7(QVB_Handle h) {
  return withBody(h, "QVB_Invar7", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!available(b, 7, "QVB_Invar7")) return nullptr;
    return handOutConverted(b.invariant7(), toCurrent(b, dim::kInertia));
  });
}

double *Invar8(QVB_Handle h, int index) {
  return withBody(h, "QVB_Invar8", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!validModeIndex(b, index, "QVB_Invar8") || !available(b, 8, "QVB_Invar8")) return nullptr;
    return handOutConverted(b.invariant8(index), toCurrent(b, dim::kInertia));
  });
}

double *Invar9(QVB_Handle h, int i, int j) {
  return withBody(h, "QVB_Invar9", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!validModeIndex(b, i, "QVB_Invar9") || !validModeIndex(b, j, "QVB_Invar9") ||
        !available(b, 9, "QVB_Invar9"))
      return nullptr;
    return handOutConverted(b.invariant9(i, j), toCurrent(b, dim::kInertia));
  });
}

}  // namespace

void fillMatrixSlots(s_FLEX_INTERFACE &t) {
  t.QVB_SetGeneralizedMass = SetGeneralizedMass;
  t.QVB_SetGeneralizedStiffness = SetGeneralizedStiffness;
  t.QVB_SetGeneralizedDamping = SetGeneralizedDamping;
  t.QVB_NumberOfGenStiff = NumberOfGenStiff;
  t.QVB_NumberOfGenMass = NumberOfGenMass;
  t.QVB_NumberOfGenDamp = NumberOfGenDamp;
  t.QVB_GenStiffSelected = GenStiffSelected;
  t.QVB_GenMassSelected = GenMassSelected;
  t.QVB_GenStiffFull = GenStiffFull;
  t.QVB_GenMassFull = GenMassFull;
  t.QVB_GenDampFull = GenDampFull;
  t.QVB_GenStiffSparse = GenStiffSparse;
  t.QVB_GenMassSparse = GenMassSparse;
  t.QVB_GenDampSparse = GenDampSparse;
  t.QVB_GenDampExist = GenDampExist;
  t.QVB_GenDampPrincipalAndSelected = GenDampPrincipalAndSelected;
  t.QVB_RigidBodyForcesOnPrincipalAxes = RigidBodyForcesOnPrincipalAxes;
  t.QVB_DampingOnPrincipalAxes = DampingOnPrincipalAxes;
  t.QVB_SetInvar1 = SetInvar1;
  t.QVB_SetInvar2 = SetInvar2;
  t.QVB_SetInvar3 = SetInvar3;
  t.QVB_SetInvar4 = SetInvar4;
  t.QVB_SetInvar5 = SetInvar5;
  t.QVB_SetInvar6 = SetInvar6;
  t.QVB_SetInvar7 = SetInvar7;
  t.QVB_SetInvar8 = SetInvar8;
  t.QVB_SetInvar9 = SetInvar9;
  t.QVB_Invar1 = Invar1;
  t.QVB_Invar2 = Invar2;
  t.QVB_Invar3 = Invar3;
  t.QVB_Invar4 = Invar4;
  t.QVB_Invar5 = Invar5;
  t.QVB_Invar6 = Invar6;
  t.QVB_Invar7 = Invar7;
  t.QVB_Invar8 = Invar8;
  t.QVB_Invar9 = Invar9;
}

}  // namespace qvb::body
