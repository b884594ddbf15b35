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

/* Node IDs and mode numbers are the body's own (as in the C interface); load
 * cases count from 1; monitor points and matrix operators from 0. */

/* Life cycle, writing and queries of the current body. */
/* Ends every body, then makes an empty current body with room for about that many nodes and modes. */
QVB_API void QVB_CREATE(int *node_capacity, int *mode_capacity, int *status);
/* Reads the current body from "part.qvb", "part.qvb::k" or "fleet.master::name". */
QVB_API void QVB_CREATE_FROM_QVB(const char *name, int name_len, int *status);
/* Ends every body and backend; no current body afterwards. */
QVB_API void QVB_TERMINATE(int *status);
/* The library's own termination entry point, called by a loader before it
 * unloads the library: ends every body and backend. */
QVB_API void _terminate(void);
/* Writes the current body to a body file or a database ("fleet.master::name"). */
QVB_API void QVB_WRITE_QVB(const char *name, int name_len, int *status);
/* Writes the current body after QVB_AnsysAddGenMass(body, a, b) (not supported by these backends). */
QVB_API void QVB_WRITE_ANSYS_QVB(const char *name, int name_len, int *a, int *b, int *status);
/* Kept for older translators: does nothing and reports success. */
QVB_API void QVB_WRITE_DB(const char *ignored1, int ignored1_len, const char *ignored2, int ignored2_len,
                          int *status);
/* The number of modes of the current body. */
QVB_API void QVB_GET_MODE_COUNT(int *count, int *status);
/* The six modal stress values (three normal, then three shear) of a mode at a node. */
QVB_API void QVB_GET_MODAL_STRESS(int *mode_number, int *node_id, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status);
/* The six modal strain values (three normal, then three shear) of a mode at a node. */
QVB_API void QVB_GET_MODAL_STRAIN(int *mode_number, int *node_id, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status);
/* T receives s rows by n columns (Fortran order): column i holds row i of the
 * body's modal transformation restricted to the selected modes (mode numbers). */
QVB_API void QVB_GET_TRANSFORM_TO_SELMOD(double *T, int *selected_modes, int *selected_count,
                                         int *status);
/* The binding's identification text. */
QVB_API const char *qvb_fortran_VersionId(void);

/* Header and units. */
/* Sets the header texts (at most 127, 127, 15, 79, 79 and 79 characters). */
QVB_API void QVB_SET_HEADER(const char *title, int title_len, const char *text2, int text2_len,
                            const char *file_type, int file_type_len, const char *comment1,
                            int comment1_len, const char *comment2, int comment2_len,
                            const char *comment3, int comment3_len, int *status);
/* Sets the units by name ("kg", "mm", "s", "n", ...). */
QVB_API void QVB_SET_UNITS(const char *mass, int mass_len, const char *length, int length_len,
                           const char *time, int time_len, const char *force, int force_len,
                           int *status);
/* Sets the units by their size in SI (kg, m, s and N per unit). */
QVB_API void QVB_UNITS_SI_MULTIPLIERS(double *mass, double *length, double *time, double *force,
                                      int *status);

/* Nodes, masses and inertias (I11, I22, I33, I12, I13, I23). */
/* Adds a node by its ID, or moves an existing one. */
QVB_API void QVB_SET_NODE_COORDINATES(int *node_id, double *x, double *y, double *z, int *status);
/* As QVB_SET_NODE_COORDINATES with x, y, z in an array. */
QVB_API void QVB_SET_NODE_COORDINATES_VEC(int *node_id, double *xyz, int *status);
/* Sets the mass of a node. */
QVB_API void QVB_SET_NODAL_MASS(int *node_id, double *mass, int *status);
/* Sets the inertia tensor of a node. */
QVB_API void QVB_SET_NODAL_INERTIA(int *node_id, double *i11, double *i22, double *i33,
                                   double *i12, double *i13, double *i23, int *status);
/* As QVB_SET_NODAL_INERTIA with the six values in an array. */
QVB_API void QVB_SET_NODAL_INERTIA_VEC(int *node_id, double *values, int *status);
/* A 3x3 Fortran array; stored from its lower triangle, warns when unsymmetric. */
QVB_API void QVB_SET_NODAL_INERTIA_MAT(int *node_id, double *tensor, int *status);
/* Sets one entry of a node's inertia tensor; row and column from 1 to 3. */
QVB_API void QVB_SET_NODAL_INERTIA_ENTRY(int *node_id, int *row, int *column, double *value, int *status);

/* Mode shapes, modal stresses and strains: six values per node, three
 * translations (normal components), then three rotations (shear components). */
/* Sets the six mode-shape values of a node of a mode. */
QVB_API void QVB_SET_MODE_SHAPE(int *mode_number, int *node_id, double *v1, double *v2, double *v3,
                                double *v4, double *v5, double *v6, int *status);
/* As QVB_SET_MODE_SHAPE with the six values in an array. */
QVB_API void QVB_SET_MODE_SHAPE_VEC(int *mode_number, int *node_id, double *values, int *status);
/* Sets one mode-shape value; component counts from 1. */
QVB_API void QVB_SET_MODE_SHAPE_ENTRY(int *mode_number, int *node_id, int *component, double *value,
                                      int *status);
/* Sets the six modal stress values of a node of a mode. */
QVB_API void QVB_SET_MODAL_STRESS(int *mode_number, int *node_id, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status);
/* As QVB_SET_MODAL_STRESS with the six values in an array. */
QVB_API void QVB_SET_MODAL_STRESS_VEC(int *mode_number, int *node_id, double *values, int *status);
/* Sets the six modal strain values of a node of a mode. */
QVB_API void QVB_SET_MODAL_STRAIN(int *mode_number, int *node_id, double *v1, double *v2, double *v3,
                                  double *v4, double *v5, double *v6, int *status);
/* As QVB_SET_MODAL_STRAIN with the six values in an array. */
QVB_API void QVB_SET_MODAL_STRAIN_VEC(int *mode_number, int *node_id, double *values, int *status);

/* Element faces of 2 to 8 corners, each given by its node ID, in order. */
/* Adds a face of vertex_count (2 to 8) corners from an array. */
QVB_API void QVB_SET_FACE(int *vertex_count, int *vertices, int *status);
/* Adds a face of two corners. */
QVB_API void QVB_SET_FACE_2(int *v1, int *v2, int *status);
/* Adds a face of three corners. */
QVB_API void QVB_SET_FACE_3(int *v1, int *v2, int *v3, int *status);
/* Adds a face of four corners. */
QVB_API void QVB_SET_FACE_4(int *v1, int *v2, int *v3, int *v4, int *status);
/* Adds a face of five corners. */
QVB_API void QVB_SET_FACE_5(int *v1, int *v2, int *v3, int *v4, int *v5, int *status);
/* Adds a face of six corners. */
QVB_API void QVB_SET_FACE_6(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *status);
/* Adds a face of seven corners. */
QVB_API void QVB_SET_FACE_7(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *v7,
                            int *status);
/* Adds a face of eight corners. */
QVB_API void QVB_SET_FACE_8(int *v1, int *v2, int *v3, int *v4, int *v5, int *v6, int *v7,
                            int *v8, int *status);

/* Generalized matrices (rows and columns by mode number), global mass, interface nodes. */
/* Sets one entry of the generalized stiffness. */
QVB_API void QVB_SET_GENERALIZED_STIFFNESS(int *row_mode_number, int *column_mode_number, double *value,
                                           int *status);
/* Sets one entry of the generalized mass. */
QVB_API void QVB_SET_GENERALIZED_MASS(int *row_mode_number, int *column_mode_number, double *value, int *status);
/* Sets one entry of the generalized damping. */
QVB_API void QVB_SET_GENERALIZED_DAMPING(int *row_mode_number, int *column_mode_number, double *value,
                                         int *status);
/* Sets the total mass, the 3x3 inertia tensor about the centre of mass and the centre. */
QVB_API void QVB_SET_GLOBAL_MASS(double *mass, double *inertia, double *centre, int *status);
/* Makes a node an interface node. */
QVB_API void QVB_SET_INTERFACE_NODE(int *node_id, int *status);

/* Inertia invariants, modes by their numbers; 8 and 9 take 3x3 Fortran arrays. */
/* Sets invariant 1, the total mass. */
QVB_API void QVB_SET_INVAR1(double *value, int *status);
/* Sets invariant 2 (3 values). */
QVB_API void QVB_SET_INVAR2(double *values, int *status);
/* Sets invariant 3 of a mode (3 values). */
QVB_API void QVB_SET_INVAR3(int *mode_number, double *values, int *status);
/* Sets invariant 4 of a mode (3 values). */
QVB_API void QVB_SET_INVAR4(int *mode_number, double *values, int *status);
/* Sets invariant 5 of a pair of modes (3 values). */
QVB_API void QVB_SET_INVAR5(int *mode_number_i, int *mode_number_j, double *values, int *status);
/* Sets invariant 6, the generalized mass (M x M values). */
QVB_API void QVB_SET_INVAR6(double *values, int *status);
/* Sets invariant 7, the inertia tensor: xx yy zz xy xz yz. */
QVB_API void QVB_SET_INVAR7(double *values, int *status);
/* Sets invariant 8 of a mode. */
QVB_API void QVB_SET_INVAR8(int *mode_number, double *tensor, int *status);
/* Sets invariant 9 of a pair of modes. */
QVB_API void QVB_SET_INVAR9(int *mode_number_i, int *mode_number_j, double *tensor, int *status);

/* Load cases (numbered from 1) and preloads. */
/* Sets the label of a load case. */
QVB_API void QVB_SET_LOADCASE_LABEL(int *load_case, const char *label, int label_len,
                                    int *status);
/* Sets the modal load of a mode in a load case. */
QVB_API void QVB_SET_MODAL_LOAD(int *load_case, int *mode_number, double *value, int *status);
/* Adds a nodal load to a load case: node ID, coordinate 1 to 6 (forces, then moments). */
QVB_API void QVB_SET_MODAL_LOAD_NODAL(int *load_case, int *node_id, int *coordinate, double *value,
                                      int *status);
/* Sets a load case's values for the rigid-body modes, one per rigid-body mode. */
QVB_API void QVB_SET_MODAL_LOAD_PRINCIPAL(int *load_case, double *values, int *status);
/* Sets the modal preload of a mode. */
QVB_API void QVB_SET_MODAL_PRELOAD(int *mode_number, double *value, int *status);
/* Sets the preload of the rigid-body modes, one value per rigid-body mode. */
QVB_API void QVB_SET_MODAL_PRELOAD_PRINCIPAL(double *values, int *status);

/* Monitor points and matrix operators (numbered from 0). */
/* Adds a monitor point: type, result type, component, its node_count node IDs, name and label. */
QVB_API void QVB_SET_MONITOR_POINT_INFO(int *type, int *result_type, int *component, int *node_count,
                                        int *node_ids, const char *name, int name_len, const char *label,
                                        int label_len, int *status);
/* Sets an operator (kind 1 to 4) of a monitor point. */
QVB_API void QVB_SET_MONITOR_POINT_OPERATOR(int *point_index, int *kind, double *values, int *status);
/* Adds a matrix operator; labels: consecutive fields of 80 characters, label_count of them. */
QVB_API void QVB_SET_MATRIX_OPERATOR_INFO(const char *name, int name_len, const char *labels,
                                          int labels_len, int *label_count, int *status);
/* Adds data to a matrix operator; values: a Fortran array of (operator rows) x column_count. */
QVB_API void QVB_SET_MATRIX_OPERATOR_DATA(int *operator_index, const char *name, int name_len,
                                          int *column_count, double *values, int *status);

/* Rotor dynamics. */
/* Sets the rotor axis: centre[3] and direction[3]. */
QVB_API void QVB_SET_ROTOR_DYNAMICS_AXIS(double *centre, double *direction, int *status);
/* Sets an entry of a rotor-dynamics matrix; kind (1 to 3), row and column (mode positions) count from 1. */
QVB_API void QVB_SET_ROTOR_DYNAMICS_MATRIX(int *kind, int *row, int *column, double *value,
                                           int *status);

QVB_EXTERN_C_END

#endif
