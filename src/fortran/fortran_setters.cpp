// Setters of the Fortran binding that pass their arguments on to one C setter
// of the current body, plus the few that rearrange them on the way (faces,
// the inertia tensor, invariants 8 and 9).
#include "qvb/qvb_fortran.h"

#include "fortran/fortran_layout.h"
#include "fortran/fortran_state.h"
#include "fortran/fortran_text.h"
#include "qvb/qvb_interface.h"
#include "qvb/qvb_messages.h"

using namespace qvb::fortran;

namespace {

// Mode kind codes of QVB_SetMode and friends.
constexpr int kModeShape = 0;
constexpr int kModalStress = 1;
constexpr int kModalStrain = 2;

void setSixValues(int kind, int *mode, int *node, const double *v, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetMode(body, *mode, *node, kind, v[0], v[1], v[2], v[3], v[4], v[5]);
  });
}

// QVB_SetFace is variadic, so each vertex count needs its own call.
int setFace(QVB_Handle body, int n, const int *v) {
  switch (n) {
    case 2: return QVB_SetFace(body, 2, v[0], v[1]);
    case 3: return QVB_SetFace(body, 3, v[0], v[1], v[2]);
    case 4: return QVB_SetFace(body, 4, v[0], v[1], v[2], v[3]);
    case 5: return QVB_SetFace(body, 5, v[0], v[1], v[2], v[3], v[4]);
    case 6: return QVB_SetFace(body, 6, v[0], v[1], v[2], v[3], v[4], v[5]);
    case 7: return QVB_SetFace(body, 7, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
    default: return QVB_SetFace(body, 8, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
  }
}

void setFaceChecked(int n, const int *vertices, int *status) {
  if (!requireCurrentBody(status)) return;
  if (n < 2 || n > 8) {
    QVB_Error("Unable to create a face with %d vertices", n);
    setStatus(status, 1);
    return;
  }
  setStatus(status, statusFromResult(setFace(currentBody(), n, vertices)));
}

// Invariants 8 and 9 are 3x3 Fortran arrays; the C setters read rows.
template <class Call>
void setTensorInvariant(const double *tensor, int *status, Call call) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    double rows[9];
    columnMajorToRowMajor(tensor, 3, 3, rows);
    return call(body, rows);
  });
}

}  // namespace

extern "C" {

QVB_API void QVB_SET_HEADER(const char *title, int title_len, const char *text2, int text2_len,
                            const char *file_type, int file_type_len, const char *comment1,
                            int comment1_len, const char *comment2, int comment2_len,
                            const char *comment3, int comment3_len, int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<128> t1(title, title_len);
  FixedText<128> t2(text2, text2_len);
  FixedText<16> t3(file_type, file_type_len);
  FixedText<80> t4(comment1, comment1_len);
  FixedText<80> t5(comment2, comment2_len);
  FixedText<80> t6(comment3, comment3_len);
  setStatus(status, statusFromResult(QVB_SetHeader(currentBody(), t1.cString(), t2.cString(),
                                                   t3.cString(), t4.cString(), t5.cString(),
                                                   t6.cString())));
}

QVB_API void QVB_SET_UNITS(const char *mass, int mass_len, const char *length, int length_len,
                           const char *time, int time_len, const char *force, int force_len,
                           int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<16> m(mass, mass_len);
  FixedText<16> l(length, length_len);
  FixedText<16> t(time, time_len);
  FixedText<16> f(force, force_len);
  setStatus(status, statusFromResult(
                        QVB_SetUnits(currentBody(), m.cString(), l.cString(), t.cString(), f.cString())));
}

QVB_API void QVB_UNITS_SI_MULTIPLIERS(double *mass, double *length, double *time, double *force,
                                      int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetUnitsByMultiplierOnSI(body, *mass, *length, *time, *force);
  });
}

QVB_API void QVB_SET_NODE_COORDINATES(int *node, double *x, double *y, double *z, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetNodeCoordinates(body, *node, *x, *y, *z); });
}

QVB_API void QVB_SET_NODE_COORDINATES_VEC(int *node, double *xyz, int *status) {
  QVB_SET_NODE_COORDINATES(node, &xyz[0], &xyz[1], &xyz[2], status);
}

QVB_API void QVB_SET_NODAL_MASS(int *node, double *mass, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetNodalMass(body, *node, *mass); });
}

QVB_API void QVB_SET_NODAL_INERTIA(int *node, double *i11, double *i22, double *i33,
                                   double *i12, double *i13, double *i23, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetNodalInertia(body, *node, *i11, *i22, *i33, *i12, *i13, *i23);
  });
}

QVB_API void QVB_SET_NODAL_INERTIA_VEC(int *node, double *v, int *status) {
  QVB_SET_NODAL_INERTIA(node, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], status);
}

QVB_API void QVB_SET_NODAL_INERTIA_MAT(int *node, double *tensor, int *status) {
  if (!requireCurrentBody(status)) return;
  auto at = [tensor](int r, int c) { return element3x3(tensor, r, c); };
  // Exact comparison on purpose: a translator that built the tensor itself
  // should hand over a symmetric one. NaN compares unequal and so warns.
  if (!(at(2, 1) == at(1, 2)) || !(at(3, 1) == at(1, 3)) || !(at(3, 2) == at(2, 3))) {
    QVB_Warning("Unsymmetric Inertia Tensor supplied to QVB_SET_NODAL_INERTIA_MAT");
  }
  setStatus(status, statusFromResult(QVB_SetNodalInertia(currentBody(), *node, at(1, 1),
                                                         at(2, 2), at(3, 3), at(2, 1), at(3, 1),
                                                         at(3, 2))));
}

QVB_API void QVB_SET_NODAL_INERTIA_ENTRY(int *node, int *i, int *j, double *value, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetNodalInertiaEntry(body, *node, *i, *j, *value);
  });
}

QVB_API void QVB_SET_MODE_SHAPE(int *mode, int *node, double *v1, double *v2, double *v3,
                                double *v4, double *v5, double *v6, int *status) {
  const double v[6] = {*v1, *v2, *v3, *v4, *v5, *v6};
  setSixValues(kModeShape, mode, node, v, status);
}

QVB_API void QVB_SET_MODE_SHAPE_VEC(int *a, int *b, double *values, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetModeVec(body, *a, *b, kModeShape, values); });
}

QVB_API void QVB_SET_MODE_SHAPE_ENTRY(int *mode, int *node, int *component, double *value,
                                      int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetModeEntry(body, *mode, *node, kModeShape, *component - 1, *value);
  });
}

QVB_API void QVB_SET_MODAL_STRESS(int *mode, int *node, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status) {
  const double v[6] = {*v1, *v2, *v3, *v4, *v5, *v6};
  setSixValues(kModalStress, mode, node, v, status);
}

QVB_API void QVB_SET_MODAL_STRESS_VEC(int *mode, int *node, double *values, int *status) {
  setSixValues(kModalStress, mode, node, values, status);
}

QVB_API void QVB_SET_MODAL_STRAIN(int *mode, int *node, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status) {
  const double v[6] = {*v1, *v2, *v3, *v4, *v5, *v6};
  setSixValues(kModalStrain, mode, node, v, status);
}

QVB_API void QVB_SET_MODAL_STRAIN_VEC(int *mode, int *node, double *values, int *status) {
  setSixValues(kModalStrain, mode, node, values, status);
}

QVB_API void QVB_SET_FACE(int *vertex_count, int *vertices, int *status) {
  setFaceChecked(*vertex_count, vertices, status);
}

QVB_API void QVB_SET_FACE_2(int *v1, int *v2, int *status) {
  const int v[] = {*v1, *v2};
  setFaceChecked(2, v, status);
}

QVB_API void QVB_SET_FACE_3(int *v1, int *v2, int *v3, int *status) {
  const int v[] = {*v1, *v2, *v3};
  setFaceChecked(3, v, status);
}

QVB_API void QVB_SET_FACE_4(int *v1, int *v2, int *v3, int *v4, int *status) {
  const int v[] = {*v1, *v2, *v3, *v4};
  setFaceChecked(4, v, status);
}

QVB_API void QVB_SET_FACE_5(int *v1, int *v2, int *v3, int *v4, int *v5, int *status) {
  const int v[] = {*v1, *v2, *v3, *v4, *v5};
  setFaceChecked(5, v, status);
}

QVB_API void QVB_SET_FACE_6(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *status) {
  const int v[] = {*v1, *v2, *v3, *v4, *v5, *v6};
  setFaceChecked(6, v, status);
}

QVB_API void QVB_SET_FACE_7(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *v7,
                            int *status) {
  const int v[] = {*v1, *v2, *v3, *v4, *v5, *v6, *v7};
  setFaceChecked(7, v, status);
}

QVB_API void QVB_SET_FACE_8(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *v7,
                            int *v8, int *status) {
  const int v[] = {*v1, *v2, *v3, *v4, *v5, *v6, *v7, *v8};
  setFaceChecked(8, v, status);
}

QVB_API void QVB_SET_GENERALIZED_STIFFNESS(int *i, int *j, double *value, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetGeneralizedStiffness(body, *i, *j, *value); });
}

QVB_API void QVB_SET_GENERALIZED_MASS(int *i, int *j, double *value, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetGeneralizedMass(body, *i, *j, *value); });
}

QVB_API void QVB_SET_GENERALIZED_DAMPING(int *i, int *j, double *value, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetGeneralizedDamping(body, *i, *j, *value); });
}

QVB_API void QVB_SET_GLOBAL_MASS(double *mass, double *array1, double *array2, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetGlobalMass(body, *mass, array1, array2); });
}

QVB_API void QVB_SET_INTERFACE_NODE(int *node, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInterfaceNode(body, *node); });
}

QVB_API void QVB_SET_INVAR1(double *value, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar1(body, *value); });
}

QVB_API void QVB_SET_INVAR2(double *values, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar2(body, values); });
}

QVB_API void QVB_SET_INVAR3(int *mode, double *values, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar3(body, *mode, values); });
}

QVB_API void QVB_SET_INVAR4(int *mode, double *values, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar4(body, *mode, values); });
}

QVB_API void QVB_SET_INVAR5(int *i, int *j, double *values, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar5(body, *i, *j, values); });
}

QVB_API void QVB_SET_INVAR6(double *values, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar6(body, values); });
}

QVB_API void QVB_SET_INVAR7(double *values, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) { return QVB_SetInvar7(body, values); });
}

QVB_API void QVB_SET_INVAR8(int *mode, double *tensor, int *status) {
  setTensorInvariant(tensor, status,
                     [&](QVB_Handle body, double *rows) { return QVB_SetInvar8(body, *mode, rows); });
}

QVB_API void QVB_SET_INVAR9(int *i, int *j, double *tensor, int *status) {
  setTensorInvariant(tensor, status, [&](QVB_Handle body, double *rows) {
    return QVB_SetInvar9(body, *i, *j, rows);
  });
}

QVB_API void QVB_SET_ROTOR_DYNAMICS_AXIS(double *array1, double *array2, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetRotorDynamicsAxis(body, array1, array2); });
}

QVB_API void QVB_SET_ROTOR_DYNAMICS_MATRIX(int *kind, int *i, int *j, double *value,
                                           int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetRotorDynamicsMatrix(body, *kind - 1, *i - 1, *j - 1, *value);
  });
}

}  // extern "C"
