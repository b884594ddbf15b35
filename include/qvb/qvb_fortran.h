/*
 * Fortran-callable binding (upper-case functions).
 *
 * Translators written in Fortran build one body at a time, the "current
 * body", through these functions. Conventions shared by all of them:
 *   - every argument is passed by address (int: 32-bit signed, real: double);
 *   - every text argument is followed directly by its length, passed BY VALUE
 *     as a 32-bit int (not at the end of the list, and not as a size_t);
 *   - the last argument is the status: 0 for success, 1 for failure, except
 *     QVB_SET_MONITOR_POINT_INFO and QVB_SET_MATRIX_OPERATOR_INFO, which hand
 *     on the C setter's result unchanged;
 *   - arrays are read in Fortran (column-major) order.
 * Fortran callers declare these through the interface module qvb_binding
 * (bind(C) interfaces); see docs/fortran.md.
 */
#ifndef QVB_FORTRAN_H
#define QVB_FORTRAN_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Life cycle, writing and queries of the current body. */
QVB_API void QVB_CREATE(int *a, int *b, int *status);
QVB_API void QVB_CREATE_FROM_QVB(const char *name, int name_len, int *status);
QVB_API void QVB_TERMINATE(int *status);
/* The library's own termination entry point, called by a loader before it
 * unloads the library: ends every body and backend. */
QVB_API void _terminate(void);
QVB_API void QVB_WRITE_QVB(const char *name, int name_len, int *status);
QVB_API void QVB_WRITE_ANSYS_QVB(const char *name, int name_len, int *a, int *b, int *status);
QVB_API void QVB_WRITE_DB(const char *text1, int text1_len, const char *text2, int text2_len,
                          int *status);
QVB_API void QVB_GET_MODE_COUNT(int *count, int *status);
QVB_API void QVB_GET_MODAL_STRESS(int *mode, int *node, double *s1, double *s2, double *s3,
                                  double *s4, double *s5, double *s6, int *status);
QVB_API void QVB_GET_MODAL_STRAIN(int *mode, int *node, double *e1, double *e2, double *e3,
                                  double *e4, double *e5, double *e6, int *status);
/* T receives s rows by n columns (Fortran order): column i holds row i of the
 * body's modal transformation restricted to the selected modes. */
QVB_API void QVB_GET_TRANSFORM_TO_SELMOD(double *T, int *selected_modes, int *selected_count,
                                         int *status);
QVB_API const char *qvb_fortran_VersionId(void);

/* Header and units. */
QVB_API void QVB_SET_HEADER(const char *title, int title_len, const char *text2, int text2_len,
                            const char *file_type, int file_type_len, const char *comment1,
                            int comment1_len, const char *comment2, int comment2_len,
                            const char *comment3, int comment3_len, int *status);
QVB_API void QVB_SET_UNITS(const char *mass, int mass_len, const char *length, int length_len,
                           const char *time, int time_len, const char *force, int force_len,
                           int *status);
QVB_API void QVB_UNITS_SI_MULTIPLIERS(double *mass, double *length, double *time, double *force,
                                      int *status);

/* Nodes, masses and inertias (I11, I22, I33, I12, I13, I23). */
QVB_API void QVB_SET_NODE_COORDINATES(int *node, double *x, double *y, double *z, int *status);
QVB_API void QVB_SET_NODE_COORDINATES_VEC(int *node, double *xyz, int *status);
QVB_API void QVB_SET_NODAL_MASS(int *node, double *mass, int *status);
QVB_API void QVB_SET_NODAL_INERTIA(int *node, double *i11, double *i22, double *i33,
                                   double *i12, double *i13, double *i23, int *status);
QVB_API void QVB_SET_NODAL_INERTIA_VEC(int *node, double *values, int *status);
/* A 3x3 Fortran array; stored from its lower triangle, warns when unsymmetric. */
QVB_API void QVB_SET_NODAL_INERTIA_MAT(int *node, double *tensor, int *status);
QVB_API void QVB_SET_NODAL_INERTIA_ENTRY(int *node, int *i, int *j, double *value, int *status);

/* Mode shapes, modal stresses and strains. */
QVB_API void QVB_SET_MODE_SHAPE(int *mode, int *node, double *v1, double *v2, double *v3,
                                double *v4, double *v5, double *v6, int *status);
QVB_API void QVB_SET_MODE_SHAPE_VEC(int *a, int *b, double *values, int *status);
/* component counts from 1. */
QVB_API void QVB_SET_MODE_SHAPE_ENTRY(int *mode, int *node, int *component, double *value,
                                      int *status);
QVB_API void QVB_SET_MODAL_STRESS(int *mode, int *node, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status);
QVB_API void QVB_SET_MODAL_STRESS_VEC(int *mode, int *node, double *values, int *status);
QVB_API void QVB_SET_MODAL_STRAIN(int *mode, int *node, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status);
QVB_API void QVB_SET_MODAL_STRAIN_VEC(int *mode, int *node, double *values, int *status);

/* Element faces of 2 to 8 vertices. */
QVB_API void QVB_SET_FACE(int *vertex_count, int *vertices, int *status);
QVB_API void QVB_SET_FACE_2(int *v1, int *v2, int *status);
QVB_API void QVB_SET_FACE_3(int *v1, int *v2, int *v3, int *status);
QVB_API void QVB_SET_FACE_4(int *v1, int *v2, int *v3, int *v4, int *status);
QVB_API void QVB_SET_FACE_5(int *v1, int *v2, int *v3, int *v4, int *v5, int *status);
QVB_API void QVB_SET_FACE_6(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *status);
QVB_API void QVB_SET_FACE_7(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *v7,
                            int *status);
QVB_API void QVB_SET_FACE_8(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *v7,
                            int *v8, int *status);

/* Generalized matrices, global mass, interface nodes. */
QVB_API void QVB_SET_GENERALIZED_STIFFNESS(int *i, int *j, double *value, int *status);
QVB_API void QVB_SET_GENERALIZED_MASS(int *i, int *j, double *value, int *status);
QVB_API void QVB_SET_GENERALIZED_DAMPING(int *i, int *j, double *value, int *status);
QVB_API void QVB_SET_GLOBAL_MASS(double *mass, double *array1, double *array2, int *status);
QVB_API void QVB_SET_INTERFACE_NODE(int *node, int *status);

/* Inertia invariants; 8 and 9 take 3x3 Fortran arrays. */
QVB_API void QVB_SET_INVAR1(double *value, int *status);
QVB_API void QVB_SET_INVAR2(double *values, int *status);
QVB_API void QVB_SET_INVAR3(int *mode, double *values, int *status);
QVB_API void QVB_SET_INVAR4(int *mode, double *values, int *status);
QVB_API void QVB_SET_INVAR5(int *i, int *j, double *values, int *status);
QVB_API void QVB_SET_INVAR6(double *values, int *status);
QVB_API void QVB_SET_INVAR7(double *values, int *status);
QVB_API void QVB_SET_INVAR8(int *mode, double *tensor, int *status);
QVB_API void QVB_SET_INVAR9(int *i, int *j, double *tensor, int *status);

/* Load cases (numbered from 1) and preloads. */
QVB_API void QVB_SET_LOADCASE_LABEL(int *load_case, const char *label, int label_len,
                                    int *status);
QVB_API void QVB_SET_MODAL_LOAD(int *load_case, int *mode, double *value, int *status);
QVB_API void QVB_SET_MODAL_LOAD_NODAL(int *load_case, int *a, int *b, double *value,
                                      int *status);
QVB_API void QVB_SET_MODAL_LOAD_PRINCIPAL(int *load_case, double *values, int *status);
QVB_API void QVB_SET_MODAL_PRELOAD(int *mode, double *value, int *status);
QVB_API void QVB_SET_MODAL_PRELOAD_PRINCIPAL(double *values, int *status);

/* Monitor points and matrix operators. */
QVB_API void QVB_SET_MONITOR_POINT_INFO(int *a, int *b, int *c, int *d, int *node_ids,
                                        const char *name, int name_len, const char *label,
                                        int label_len, int *status);
QVB_API void QVB_SET_MONITOR_POINT_OPERATOR(int *point, int *kind, double *values, int *status);
/* labels: consecutive fields of 80 characters, label_count of them. */
QVB_API void QVB_SET_MATRIX_OPERATOR_INFO(const char *name, int name_len, const char *labels,
                                          int labels_len, int *label_count, int *status);
/* values: a Fortran array of (operator rows) x column_count. */
QVB_API void QVB_SET_MATRIX_OPERATOR_DATA(int *op, const char *name, int name_len,
                                          int *column_count, double *values, int *status);

/* Rotor dynamics; kind, i and j count from 1. */
QVB_API void QVB_SET_ROTOR_DYNAMICS_AXIS(double *array1, double *array2, int *status);
QVB_API void QVB_SET_ROTOR_DYNAMICS_MATRIX(int *kind, int *i, int *j, double *value,
                                           int *status);

QVB_EXTERN_C_END

#endif
