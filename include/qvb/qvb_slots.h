/*
 * The backend operation table, written once.
 *
 * One line per slot of s_FLEX_INTERFACE, in slot order. This file has no
 * include guard on purpose: every user defines the three macros below, includes
 * it, and gets one expansion per slot (struct members, forwarding exports, the
 * test fake's recorders, offset checks).
 *
 *   QVB_FWD(ordinal, result, name, (typed parameters), (argument names))
 *       a body-level operation: the export of the same name finds the
 *       handle's backend and calls this slot with the same arguments.
 *   QVB_OWN(ordinal, result, member, (typed parameters), (argument names))
 *       a slot whose callers are exports that do work of their own
 *       (creation, file queries, release, shutdown, writing, validity).
 *   QVB_RSV(ordinal)
 *       a reserved position that no caller uses; it keeps later slots in place.
 *
 * Results listed as "none" by the contract are declared int: nothing in the
 * library reads them and the export passes them back to its caller.
 */
/* A new empty body with room for about `node_capacity` nodes and `mode_capacity` modes. */
QVB_OWN(0, QVB_Handle, QVB_Create, (int node_capacity, int mode_capacity), (node_capacity, mode_capacity))
/* Asks for the body a file holds, without registering it. */
QVB_OWN(1, QVB_Handle, QVB_FindQVB, (const char *file), (file))
/* Reads a whole body from a file. */
QVB_OWN(2, QVB_Handle, QVB_CreateFromFileByIndex, (const char *file), (file))
/* Reads the nodes and faces of a body from a file. */
QVB_OWN(3, QVB_Handle, QVB_CreateFromFileByIndex_SurfaceMesh, (const char *file), (file))
/* Sets invariant 1, the total mass. */
QVB_FWD(4, int, QVB_SetInvar1, (QVB_Handle h, double value), (h, value))
/* Sets invariant 2, the first mass moment (3 values). */
QVB_FWD(5, int, QVB_SetInvar2, (QVB_Handle h, double *values), (h, values))
/* Sets invariant 3 of one mode (3 values); the mode by its number. */
QVB_FWD(6, int, QVB_SetInvar3, (QVB_Handle h, int mode_number, double *values), (h, mode_number, values))
/* Sets invariant 4 of one mode (3 values); the mode by its number. */
QVB_FWD(7, int, QVB_SetInvar4, (QVB_Handle h, int mode_number, double *values), (h, mode_number, values))
/* Sets invariant 5 of a pair of modes (3 values); the modes by their numbers. */
QVB_FWD(8, int, QVB_SetInvar5, (QVB_Handle h, int mode_number_i, int mode_number_j, double *values), (h, mode_number_i, mode_number_j, values))
/* Sets invariant 6, the generalized mass (M x M values, row by row, in mode order). */
QVB_FWD(9, int, QVB_SetInvar6, (QVB_Handle h, double *values), (h, values))
/* Sets invariant 7, the inertia tensor: xx yy zz xy xz yz. */
QVB_FWD(10, int, QVB_SetInvar7, (QVB_Handle h, double *values), (h, values))
/* Sets invariant 8 of one mode (9 values); the mode by its number. */
QVB_FWD(11, int, QVB_SetInvar8, (QVB_Handle h, int mode_number, double *values), (h, mode_number, values))
/* Sets invariant 9 of a pair of modes (9 values); the modes by their numbers. */
QVB_FWD(12, int, QVB_SetInvar9, (QVB_Handle h, int mode_number_i, int mode_number_j, double *values), (h, mode_number_i, mode_number_j, values))
/* Sets the units by name ("kg", "mm", "s", "n", ...); what is read later is converted. */
QVB_FWD(13, int, QVB_SetUnits, (QVB_Handle h, const char *mass, const char *length, const char *time, const char *force), (h, mass, length, time, force))
/* Sets the units by their size in SI (kg, m, s and N per unit). */
QVB_FWD(14, int, QVB_SetUnitsByMultiplierOnSI, (QVB_Handle h, double mass, double length, double time, double force), (h, mass, length, time, force))
/* Copies the four unit names into the caller's buffers (64 bytes each). */
QVB_FWD(15, int, QVB_Units, (QVB_Handle h, char *mass, char *length, char *time, char *force), (h, mass, length, time, force))
/* A mass in the body's units, in kilograms. */
QVB_FWD(16, double, QVB_Mass2Kilogram, (QVB_Handle h, double value), (h, value))
/* A force in the body's units, in newtons. */
QVB_FWD(17, double, QVB_Force2Newton, (QVB_Handle h, double value), (h, value))
/* A length in the body's units, in metres. */
QVB_FWD(18, double, QVB_Length2Meter, (QVB_Handle h, double value), (h, value))
/* A time in the body's units, in seconds. */
QVB_FWD(19, double, QVB_Time2Second, (QVB_Handle h, double value), (h, value))
/* Sets the header texts (text 3 comes from files and has no setter). */
QVB_FWD(20, int, QVB_SetHeader, (QVB_Handle h, const char *title, const char *text2, const char *file_type, const char *comment1, const char *comment2, const char *comment3), (h, title, text2, file_type, comment1, comment2, comment3))
/* Copies the header texts into the caller's buffers (128, 64, 128, 16, 80, 80, 80 bytes). */
QVB_FWD(21, int, QVB_Header, (QVB_Handle h, char *title, char *text2, char *text3, char *file_type, char *comment1, char *comment2, char *comment3), (h, title, text2, text3, file_type, comment1, comment2, comment3))
/* Sets the total mass, the 3 x 3 inertia tensor about the centre of mass and the centre. */
QVB_FWD(22, int, QVB_SetGlobalMass, (QVB_Handle h, double mass, double *inertia, double *centre), (h, mass, inertia, centre))
/* Gives the total mass, the 3 x 3 inertia tensor about the centre of mass and the centre. */
QVB_FWD(23, int, QVB_TotalMassInertia, (QVB_Handle h, double *mass, double *inertia, double *centre), (h, mass, inertia, centre))
/* A measure of the body's size: the bytes of its large arrays (at most INT_MAX). */
QVB_FWD(24, int, QVB_BodySize, (QVB_Handle h), (h))
/* The node index (from 0) of a node ID; negative when there is no such node. */
QVB_FWD(25, int, QVB_NodeIndex, (QVB_Handle h, int node_id), (h, node_id))
/* The node ID at a node index (from 0). */
QVB_FWD(26, int, QVB_NodeID, (QVB_Handle h, int node_index), (h, node_index))
/* The mode index (from 0) of a mode number; negative when there is no such mode. */
QVB_FWD(27, int, QVB_ModeIndex, (QVB_Handle h, int mode_number), (h, mode_number))
/* The mode number at a mode index (from 0). */
QVB_FWD(28, int, QVB_ModeNumber, (QVB_Handle h, int mode_index), (h, mode_index))
/* How many nodes carry results of a kind (0 shape, 1 stress, 2 strain). */
QVB_FWD(29, int, QVB_ModeNodeCount, (QVB_Handle h, int result_kind), (h, result_kind))
/* The position (from 0) of a node ID among the nodes that carry results of a kind. */
QVB_FWD(30, int, QVB_ModeNodeIndex, (QVB_Handle h, int result_kind, int node_id), (h, result_kind, node_id))
/* The node ID at a position (from 0) among the nodes that carry results of a kind. */
QVB_FWD(31, int, QVB_ModeNodeID, (QVB_Handle h, int result_kind, int mode_node_index), (h, result_kind, mode_node_index))
/* The number of nodes. */
QVB_FWD(32, int, QVB_NodeCount, (QVB_Handle h), (h))
/* Adds a node by its ID, or moves an existing one. */
QVB_FWD(33, int, QVB_SetNodeCoordinates, (QVB_Handle h, int node_id, double x, double y, double z), (h, node_id, x, y, z))
/* Copies one node's x, y, z into xyz[3]; the node by its index (from 0). */
QVB_FWD(34, int, QVB_NodeCoordinates, (QVB_Handle h, int node_index, double *xyz), (h, node_index, xyz))
/* Copies three coordinates per node, in node order; *node_count: in the room, out the count. */
QVB_FWD(35, int, QVB_NodeCoordinateList, (QVB_Handle h, double *xyz, int *node_count), (h, xyz, node_count))
QVB_RSV(36)
/* Indices (from 0) of the `count` nodes nearest to point[3], nearest first; returns how many. */
QVB_FWD(37, int, QVB_ClosestNodes, (QVB_Handle h, double *point, int count, int interface_only, int *node_indices), (h, point, count, interface_only, node_indices))
/* Indices (from 0) of the nodes within `radius` of point[3], nearest first, at most `capacity`. */
QVB_FWD(38, int, QVB_ClosestNodesInNeighborhood, (QVB_Handle h, double *point, double radius, int capacity, int *node_indices), (h, point, radius, capacity, node_indices))
/* Sets the mass of a node; the node by its ID. */
QVB_FWD(39, int, QVB_SetNodalMass, (QVB_Handle h, int node_id, double mass), (h, node_id, mass))
/* The mass of a node; the node by its index (from 0). */
QVB_FWD(40, double, QVB_NodalMass, (QVB_Handle h, int node_index), (h, node_index))
/* Sets the inertia tensor of a node; the node by its ID. */
QVB_FWD(41, int, QVB_SetNodalInertia, (QVB_Handle h, int node_id, double ixx, double iyy, double izz, double ixy, double ixz, double iyz), (h, node_id, ixx, iyy, izz, ixy, ixz, iyz))
/* Copies a node's inertia tensor (6 values); the node by its index (from 0). */
QVB_FWD(42, int, QVB_NodalInertia, (QVB_Handle h, int node_index, double *tensor), (h, node_index, tensor))
/* Sets one entry of a node's inertia tensor; row and column from 1 to 3; the node by its ID. */
QVB_FWD(43, int, QVB_SetNodalInertiaEntry, (QVB_Handle h, int node_id, int row, int column, double value), (h, node_id, row, column, value))
/* Adds one face: `count` corner node IDs, in order. */
QVB_FWD(44, int, QVB_SetFaceList, (QVB_Handle h, int count, int *node_ids), (h, count, node_ids))
QVB_RSV(45)
/* The number of faces and the length of the flat face list ElementFaces fills. */
QVB_FWD(46, int, QVB_FaceListSize, (QVB_Handle h, int *face_count, int *list_size), (h, face_count, list_size))
/* Copies the flat face list: per face its corner count, then the corners' node indices (from 0). */
QVB_FWD(47, int, QVB_ElementFaces, (QVB_Handle h, int *list), (h, list))
/* Removes the faces that occur twice (shared inside the body) and marks the body coarsened. */
QVB_FWD(48, int, QVB_RemoveInternalGeometry, (QVB_Handle h), (h))
/* Nonzero when the body was coarsened. */
QVB_FWD(49, int, QVB_IsCoarsened, (QVB_Handle h), (h))
/* Makes a node an interface node; the node by its ID. */
QVB_FWD(50, int, QVB_SetInterfaceNode, (QVB_Handle h, int node_id), (h, node_id))
/* The interface nodes' IDs (*count of them), released with QVB_FreeMemory. */
QVB_FWD(51, int *, QVB_InterfaceNodeIDs, (QVB_Handle h, int *count), (h, count))
/* Sets six values (translations, then rotations) of one node of a mode: by mode number and node ID. */
QVB_FWD(52, int, QVB_SetModeVec, (QVB_Handle h, int mode_number, int node_id, int result_kind, double *values), (h, mode_number, node_id, result_kind, values))
/* Sets six values (translations, then rotations) of one node of a mode: by mode number and node ID. */
QVB_FWD(53, int, QVB_SetMode, (QVB_Handle h, int mode_number, int node_id, int result_kind, double tx, double ty, double tz, double rx, double ry, double rz), (h, mode_number, node_id, result_kind, tx, ty, tz, rx, ry, rz))
/* The number of modes. */
QVB_FWD(54, int, QVB_ModeCount, (QVB_Handle h), (h))
/* Nonzero when the body has a mode of that number. */
QVB_FWD(55, int, QVB_ModeExist, (QVB_Handle h, int mode_number), (h, mode_number))
/* Copies one mode's results, three values (part 0 translations, 1 rotations) per node of the kind. */
QVB_FWD(56, int, QVB_Mode, (QVB_Handle h, int mode_number, int result_kind, double *values, int part), (h, mode_number, result_kind, values, part))
/* Nonzero when the results of a kind are stored in double precision. */
QVB_FWD(57, int, QVB_Double_Prec, (QVB_Handle h, int result_kind), (h, result_kind))
/* Copies one mode's six values per node of the kind, as floats. */
QVB_FWD(58, int, QVB_Read_Mode_Single, (QVB_Handle h, int mode_number, int result_kind, float *values), (h, mode_number, result_kind, values))
/* Copies one mode's six values per node of the kind, as doubles. */
QVB_FWD(59, int, QVB_Read_Mode_Double, (QVB_Handle h, int mode_number, int result_kind, double *values), (h, mode_number, result_kind, values))
/* Copies three values (part 0 or 1) of one node of a mode: by mode number and node ID. */
QVB_FWD(60, int, QVB_ModeByNode, (QVB_Handle h, int mode_number, int result_kind, int node_id, double *values, int part), (h, mode_number, result_kind, node_id, values, part))
/* As QVB_ModeByNode, reading past any cache. */
QVB_FWD(61, int, QVB_ModeByNodeWithoutCache, (QVB_Handle h, int mode_number, int result_kind, int node_id, double *values, int part), (h, mode_number, result_kind, node_id, values, part))
/* Sets one value (component 0 to 5) of one node of a mode: by mode number and node ID. */
QVB_FWD(62, int, QVB_SetModeEntry, (QVB_Handle h, int mode_number, int node_id, int result_kind, int component, double value), (h, mode_number, node_id, result_kind, component, value))
/* Sets one entry of the generalized mass; rows and columns by mode number. */
QVB_FWD(63, int, QVB_SetGeneralizedMass, (QVB_Handle h, int row_mode_number, int column_mode_number, double value), (h, row_mode_number, column_mode_number, value))
/* Sets one entry of the generalized stiffness; rows and columns by mode number. */
QVB_FWD(64, int, QVB_SetGeneralizedStiffness, (QVB_Handle h, int row_mode_number, int column_mode_number, double value), (h, row_mode_number, column_mode_number, value))
/* Sets one entry of the generalized damping; rows and columns by mode number. */
QVB_FWD(65, int, QVB_SetGeneralizedDamping, (QVB_Handle h, int row_mode_number, int column_mode_number, double value), (h, row_mode_number, column_mode_number, value))
/* The number of stored generalized stiffness entries. */
QVB_FWD(66, int, QVB_NumberOfGenStiff, (QVB_Handle h), (h))
/* Fills the n x n generalized stiffness of the modes whose numbers are listed. */
QVB_FWD(67, int, QVB_GenStiffSelected, (QVB_Handle h, double **rows, int n, int *mode_numbers), (h, rows, n, mode_numbers))
/* Fills the n x n generalized stiffness of the first n modes. */
QVB_FWD(68, int, QVB_GenStiffFull, (QVB_Handle h, double **rows, int n), (h, rows, n))
/* Copies the stored generalized stiffness entries with their mode indices (from 0). */
QVB_FWD(69, int, QVB_GenStiffSparse, (QVB_Handle h, double *values, int *row_indices, int *column_indices), (h, values, row_indices, column_indices))
/* The number of stored generalized mass entries. */
QVB_FWD(70, int, QVB_NumberOfGenMass, (QVB_Handle h), (h))
/* Fills the n x n generalized mass of the modes whose numbers are listed. */
QVB_FWD(71, int, QVB_GenMassSelected, (QVB_Handle h, double **rows, int n, int *mode_numbers), (h, rows, n, mode_numbers))
/* Copies the stored generalized mass entries with their mode indices (from 0). */
QVB_FWD(72, int, QVB_GenMassSparse, (QVB_Handle h, double *values, int *row_indices, int *column_indices), (h, values, row_indices, column_indices))
/* Fills the n x n generalized mass of the first n modes. */
QVB_FWD(73, int, QVB_GenMassFull, (QVB_Handle h, double **rows, int n), (h, rows, n))
/* Nonzero when the body has generalized damping. */
QVB_FWD(74, int, QVB_GenDampExist, (QVB_Handle h), (h))
/* The number of stored generalized damping entries. */
QVB_FWD(75, int, QVB_NumberOfGenDamp, (QVB_Handle h), (h))
/* Fills the n x n generalized damping of the listed modes; zero when there is none. */
QVB_FWD(76, int, QVB_GenDampPrincipalAndSelected, (QVB_Handle h, double **rows, int n, int *mode_numbers), (h, rows, n, mode_numbers))
/* Copies the stored generalized damping entries with their mode indices (from 0). */
QVB_FWD(77, int, QVB_GenDampSparse, (QVB_Handle h, double *values, int *row_indices, int *column_indices), (h, values, row_indices, column_indices))
/* Fills the n x n generalized damping of the first n modes. */
QVB_FWD(78, int, QVB_GenDampFull, (QVB_Handle h, double **rows, int n), (h, rows, n))
/* A mode's eigenvalue, frequency (Hz), circular frequency (rad/s), generalized mass and stiffness; any may be null. */
QVB_FWD(79, int, QVB_Eigenvalue, (QVB_Handle h, int mode_number, double *eigenvalue, double *frequency, double *circular_frequency, double *generalized_mass, double *generalized_stiffness), (h, mode_number, eigenvalue, frequency, circular_frequency, generalized_mass, generalized_stiffness))
/* Copies the M x M mode transformation matrix; zero when the body has none. */
QVB_FWD(80, int, QVB_Transformation, (QVB_Handle h, double *matrix), (h, matrix))
/* Sets the M x M mode transformation matrix. */
QVB_FWD(81, int, QVB_SetTransformation, (QVB_Handle h, double *matrix), (h, matrix))
/* Sets the modal preload of a mode; the mode by its number. */
QVB_FWD(82, int, QVB_SetModalPreload, (QVB_Handle h, int mode_number, double value), (h, mode_number, value))
/* The modal preload, one value per mode (*count), released with QVB_FreeMemory; null when none. */
QVB_FWD(83, double *, QVB_GetModalPreload, (QVB_Handle h, int *count), (h, count))
/* Nonzero when the body has a modal preload. */
QVB_FWD(84, int, QVB_ModalPreloadExist, (QVB_Handle h), (h))
/* Sets the label of a modal load case (from 0). */
QVB_FWD(85, int, QVB_SetModalLoadLabel, (QVB_Handle h, int load_case, const char *label), (h, load_case, label))
/* Copies the label of a modal load case (from 0) into a 256-byte buffer. */
QVB_FWD(86, int, QVB_GetModalLoadCaseLabel, (QVB_Handle h, int load_case, char *label), (h, load_case, label))
/* Sets a modal load value: load case from 0, the mode by its number. */
QVB_FWD(87, int, QVB_SetModalLoad, (QVB_Handle h, int load_case, int mode_number, double value), (h, load_case, mode_number, value))
/* One modal load case's values, one per mode (*count), released with QVB_FreeMemory. */
QVB_FWD(88, double *, QVB_GetModalLoad, (QVB_Handle h, int load_case, int *count), (h, load_case, count))
/* The number of modal load cases. */
QVB_FWD(89, int, QVB_GetModalLoadCaseCount, (QVB_Handle h), (h))
/* Adds a nodal load of a case (from 0): node ID, coordinate 1 to 6 (forces, then moments). */
QVB_FWD(90, int, QVB_SetModalLoadNodal, (QVB_Handle h, int load_case, int node_id, int coordinate, double value), (h, load_case, node_id, coordinate, value))
/* The number of nodal load cases. */
QVB_FWD(91, int, QVB_GetModalLoadNodalCaseCount, (QVB_Handle h), (h))
/* The number of nodal loads of a case (from 0). */
QVB_FWD(92, int, QVB_GetModalLoadNodalCount, (QVB_Handle h, int load_case), (h, load_case))
/* The node IDs of a nodal load case (from 0). */
QVB_FWD(93, int *, QVB_GetModalLoadNodalNode, (QVB_Handle h, int load_case), (h, load_case))
/* The coordinates (1 to 6) of a nodal load case (from 0). */
QVB_FWD(94, int *, QVB_GetModalLoadNodalCoord, (QVB_Handle h, int load_case), (h, load_case))
/* The values of a nodal load case (from 0). */
QVB_FWD(95, double *, QVB_GetModalLoadNodalLoad, (QVB_Handle h, int load_case), (h, load_case))
/* Nonzero when the body holds mode statistics. */
QVB_FWD(96, int, QVB_ModalStatisticsExist, (QVB_Handle h), (h))
/* The largest displacement of a mode and the ID of its node; the mode by its number. */
QVB_FWD(97, int, QVB_GetMaxModeDisplacement, (QVB_Handle h, int mode_number, double *value, int *node_id), (h, mode_number, value, node_id))
/* The largest rotation of a mode and the ID of its node; the mode by its number. */
QVB_FWD(98, int, QVB_GetMaxModeRotation, (QVB_Handle h, int mode_number, double *value, int *node_id), (h, mode_number, value, node_id))
/* The largest von Mises stress of a mode and the ID of its node; the mode by its number. */
QVB_FWD(99, int, QVB_GetMaxVonMisesStress, (QVB_Handle h, int mode_number, double *value, int *node_id), (h, mode_number, value, node_id))
/* The largest von Mises strain of a mode and the ID of its node; the mode by its number. */
QVB_FWD(100, int, QVB_GetMaxVonMisesStrain, (QVB_Handle h, int mode_number, double *value, int *node_id), (h, mode_number, value, node_id))
/* Writes the body to a body file. */
QVB_OWN(101, int, QVB_write_QVB, (QVB_Handle h, const char *file), (h, file))
/* Writes the body into a database under a name ("*": its title). */
QVB_OWN(102, int, QVB_write_QVB_DB, (QVB_Handle h, const char *file, const char *body_name), (h, file, body_name))
/* The body's format version code. */
QVB_FWD(103, int, QVB_Version, (QVB_Handle h), (h))
/* Releases the body. */
QVB_FWD(104, int, QVB_Destroy, (QVB_Handle h), (h))
/* Releases the body (kept for older hosts). */
QVB_FWD(105, int, QVB_UnLink, (QVB_Handle h), (h))
/* Releases the body (kept for older hosts). */
QVB_FWD(106, int, QVB_DeReference, (QVB_Handle h), (h))
/* Shuts the backend down. */
QVB_OWN(107, int, QVB_Terminate, (void), ())
/* Releases memory that the backend handed out. */
QVB_OWN(108, int, QVB_FreeMemory, (void *memory), (memory))
QVB_RSV(109)
QVB_RSV(110)
QVB_RSV(111)
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(112, int, QVB_AnsysAddGenMass, (QVB_Handle h, int first, int second), (h, first, second))
/* Prints the contents of a block (number 1 to 37, without 33) to a stream. */
QVB_FWD(113, int, QVB_Contents, (QVB_Handle h, int block_number, FILE *stream), (h, block_number, stream))
/* Invariant 1, the total mass. */
QVB_FWD(114, double, QVB_Invar1, (QVB_Handle h), (h))
/* Invariant 2 (3 values), released with QVB_FreeMemory. */
QVB_FWD(115, double *, QVB_Invar2, (QVB_Handle h), (h))
/* Invariant 3 (3 x M values), released with QVB_FreeMemory. */
QVB_FWD(116, double *, QVB_Invar3, (QVB_Handle h), (h))
/* Invariant 4 (3 x M values), released with QVB_FreeMemory. */
QVB_FWD(117, double *, QVB_Invar4, (QVB_Handle h), (h))
/* Invariant 5 of one mode (3 x M values); the mode by its index (from 0), not its number. */
QVB_FWD(118, double *, QVB_Invar5, (QVB_Handle h, int mode_index), (h, mode_index))
/* Invariant 6 (M x M values), released with QVB_FreeMemory. */
QVB_FWD(119, double *, QVB_Invar6, (QVB_Handle h), (h))
/* Invariant 7 (3 x 3 values), released with QVB_FreeMemory. */
QVB_FWD(120, double *, QVB_Invar7, (QVB_Handle h), (h))
/* Invariant 8 of one mode (3 x 3 values); the mode by its index (from 0), not its number. */
QVB_FWD(121, double *, QVB_Invar8, (QVB_Handle h, int mode_index), (h, mode_index))
/* Invariant 9 of a pair of modes (3 x 3 values); the modes by their indices (from 0). */
QVB_FWD(122, double *, QVB_Invar9, (QVB_Handle h, int mode_index_i, int mode_index_j), (h, mode_index_i, mode_index_j))
/* The number of rigid-body modes. */
QVB_FWD(123, int, QVB_RigidBodyModeCount, (QVB_Handle h), (h))
/* Nonzero when rigid-body forces are on the principal axes. */
QVB_FWD(124, int, QVB_RigidBodyForcesOnPrincipalAxes, (QVB_Handle h), (h))
/* Nonzero when damping is on the principal axes. */
QVB_FWD(125, int, QVB_DampingOnPrincipalAxes, (QVB_Handle h), (h))
/* Nonzero when block N is present, asked as block_index N - 1. */
QVB_FWD(126, int, QVB_Exists, (QVB_Handle h, int block_index), (h, block_index))
QVB_RSV(127)
/* Nonzero when the body's current units differ from the units it is stored in. */
QVB_FWD(128, int, QVB_UCF, (QVB_Handle h), (h))
/* Nonzero when a modal load case (from 0) has been processed. */
QVB_FWD(129, int, QVB_ModalLoadProcessed, (QVB_Handle h, int load_case), (h, load_case))
/* The interface nodes' indices (from 0; *count of them), released with QVB_FreeMemory. */
QVB_FWD(130, int *, QVB_InterfaceNodes, (QVB_Handle h, int *count), (h, count))
/* Recomputes the eigenvalues from the generalized mass and stiffness. */
QVB_FWD(131, int, QVB_RebuildEigenvalues, (QVB_Handle h), (h))
/* Multiplies the results of a kind (0 shape, 1 stress, 2 strain) by a factor. */
QVB_FWD(132, int, QVB_ScaleModes, (QVB_Handle h, int result_kind, double factor), (h, result_kind, factor))
/* Sets the body's format version code. */
QVB_FWD(133, int, QVB_SetVersion, (QVB_Handle h, int version), (h, version))
/* Marks a modal load case (from 0) as processed or not. */
QVB_FWD(134, int, QVB_SetModalLoadProcessed, (QVB_Handle h, int load_case, int processed), (h, load_case, processed))
/* Nonzero when the modal preload has been processed. */
QVB_FWD(135, int, QVB_ModalPreloadProcessed, (QVB_Handle h), (h))
/* Marks the modal preload as processed or not. */
QVB_FWD(136, int, QVB_SetModalPreloadProcessed, (QVB_Handle h, int processed), (h, processed))
/* Whether modes are to be mass-normalized when written. */
QVB_FWD(137, int, QVB_SetShouldMassNormalizeModes, (QVB_Handle h, int flag), (h, flag))
/* The number of bodies a file holds. */
QVB_OWN(138, int, QVB_BodyCount, (const char *file), (file))
/* Fills a record describing body `index` of a file. */
QVB_OWN(139, int, QVB_GetBodyInfo, (const char *file, int index, void *info), (file, index, info))
/* Reads body `index` (from 1; 0: as the name says) of a database. */
QVB_OWN(140, QVB_Handle, QVB_CreateFromFileByIndex_DB, (const char *file, int index), (file, index))
/* Reads the nodes and faces of body `index` (from 1) of a database. */
QVB_OWN(141, QVB_Handle, QVB_CreateFromFileByIndex_SurfaceMesh_DB, (const char *file, int index), (file, index))
/* Nonzero for a live body of this backend. */
QVB_OWN(142, int, QVB_IsValid, (QVB_Handle h), (h))
/* As QVB_Mode into a new double array stored at *(double **)values, released with QVB_FreeMemory. */
QVB_FWD(143, int, QVB_ModeByRef, (QVB_Handle h, int mode_number, int result_kind, void *values, int part), (h, mode_number, result_kind, values, part))
/* As QVB_Mode into a new float array stored at *(float **)values, released with QVB_FreeMemory. */
QVB_FWD(144, int, QVB_SModeByRef, (QVB_Handle h, int mode_number, int result_kind, void *values, int part), (h, mode_number, result_kind, values, part))
/* The kind of flexible body this backend makes. */
QVB_FWD(145, int, QVB_GetFlexType, (QVB_Handle h), (h))
/* Adds a monitor point: type, result type, component, its node IDs, name and label. */
QVB_FWD(146, int, QVB_SetMonitorPointInfo, (QVB_Handle h, int type, int result_type, int component, int node_count, int *node_ids, const char *name, const char *label), (h, type, result_type, component, node_count, node_ids, name, label))
/* Sets an operator (kind 1 to 4) of a monitor point (from 0): rows x M values. */
QVB_FWD(147, int, QVB_SetMonitorPointOperator, (QVB_Handle h, int point_index, int kind, double *values), (h, point_index, kind, values))
/* The number of monitor points. */
QVB_FWD(148, int, QVB_GetMonitorPointCount, (QVB_Handle h), (h))
/* The type of a monitor point (from 0). */
QVB_FWD(149, int, QVB_GetMonitorPointType, (QVB_Handle h, int point_index), (h, point_index))
/* The result type of a monitor point (from 0). */
QVB_FWD(150, int, QVB_GetMonitorPointResultType, (QVB_Handle h, int point_index), (h, point_index))
/* The component of a monitor point (from 0). */
QVB_FWD(151, int, QVB_GetMonitorPointComponent, (QVB_Handle h, int point_index), (h, point_index))
/* Copies the name and label of a monitor point (from 0). */
QVB_FWD(152, int, QVB_GetMonitorPointNameLabel, (QVB_Handle h, int point_index, char *name, char *label), (h, point_index, name, label))
/* The size of the operators of a monitor point (from 0). */
QVB_FWD(153, int, QVB_GetMonitorPointOperatorSize, (QVB_Handle h, int point_index, int *rows, int *columns), (h, point_index, rows, columns))
/* The number of load operators of a monitor point (from 0). */
QVB_FWD(154, int, QVB_GetMonitorPointNumLoadOperator, (QVB_Handle h, int point_index), (h, point_index))
/* Copies an operator (kind 1 to 4) of a monitor point (from 0). */
QVB_FWD(155, int, QVB_GetMonitorPointOperator, (QVB_Handle h, int point_index, int kind, double *values), (h, point_index, kind, values))
/* Nonzero when a monitor point (from 0) has an operator of the kind (1 to 4). */
QVB_FWD(156, int, QVB_MonitorPointHasOperator, (QVB_Handle h, int point_index, int kind), (h, point_index, kind))
/* Mirrors the body in the plane through point[3] with normal[3]. */
QVB_FWD(157, int, QVB_Mirror, (QVB_Handle h, double *point, double *normal), (h, point, normal))
/* Rotates the body about the axis through point[3] along axis[3] by angle (radians). */
QVB_FWD(158, int, QVB_Rotate, (QVB_Handle h, double *point, double *axis, double angle), (h, point, axis, angle))
/* Moves the body by distance along direction[3]. */
QVB_FWD(159, int, QVB_Translate, (QVB_Handle h, double *direction, double distance), (h, direction, distance))
/* Gives the interface nodes new IDs, in interface order. */
QVB_FWD(160, int, QVB_RenumberInterfaceNodes, (QVB_Handle h, int count, int *new_ids), (h, count, new_ids))
/* Adds an offset to every node ID. */
QVB_FWD(161, int, QVB_RenumberNodes, (QVB_Handle h, int offset), (h, offset))
/* The number of free edges. */
QVB_FWD(162, int, QVB_GetFreeEdgeCount, (QVB_Handle h), (h))
/* The number of nodes of a free edge (from 0). */
QVB_FWD(163, int, QVB_GetFreeEdgeSize, (QVB_Handle h, int edge_index), (h, edge_index))
/* Copies the node IDs of a free edge (from 0). */
QVB_FWD(164, int, QVB_GetFreeEdge, (QVB_Handle h, int edge_index, int *node_ids), (h, edge_index, node_ids))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(165, int, QVB_PermuteQVB, (QVB_Handle h, void *first, int second, double third, void *fourth, void *fifth), (h, first, second, third, fourth, fifth))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(166, int, QVB_PreprocessBAPQVB, (QVB_Handle h), (h))
/* Adds a matrix operator: its name and its row labels. */
QVB_FWD(167, int, QVB_SetMatrixOperatorInfo, (QVB_Handle h, const char *name, char **labels, int label_count), (h, name, labels, label_count))
/* Adds a sub-operator (tag, columns, values) to a matrix operator (from 0). */
QVB_FWD(168, int, QVB_SetMatrixOperatorData, (QVB_Handle h, int operator_index, const char *tag, int column_count, double *values), (h, operator_index, tag, column_count, values))
/* The number of matrix operators. */
QVB_FWD(169, int, QVB_GetMatrixOperatorCount, (QVB_Handle h), (h))
/* The number of rows of a matrix operator (from 0). */
QVB_FWD(170, int, QVB_GetMatrixOperatorNumRows, (QVB_Handle h, int operator_index), (h, operator_index))
/* Copies the name of a matrix operator (from 0). */
QVB_FWD(171, int, QVB_GetMatrixOperatorName, (QVB_Handle h, int operator_index, char *name), (h, operator_index, name))
/* Copies the row labels of a matrix operator (from 0). */
QVB_FWD(172, int, QVB_GetMatrixOperatorLabels, (QVB_Handle h, int operator_index, char *labels), (h, operator_index, labels))
/* The number of sub-operators of a matrix operator (from 0). */
QVB_FWD(173, int, QVB_GetMatrixOperatorNumSubOperator, (QVB_Handle h, int operator_index), (h, operator_index))
/* The number of columns of a sub-operator (from 0) of a matrix operator (from 0). */
QVB_FWD(174, int, QVB_GetMatrixOperatorSubNumCols, (QVB_Handle h, int operator_index, int sub_index), (h, operator_index, sub_index))
/* Copies the tag of a sub-operator (from 0) of a matrix operator (from 0). */
QVB_FWD(175, int, QVB_GetMatrixOperatorSubTag, (QVB_Handle h, int operator_index, int sub_index, char *tag), (h, operator_index, sub_index, tag))
/* Copies the values of a sub-operator (from 0) of a matrix operator (from 0). */
QVB_FWD(176, int, QVB_GetMatrixOperatorSubData, (QVB_Handle h, int operator_index, int sub_index, double *values), (h, operator_index, sub_index, values))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(177, int, QVB_NlfeDampFactor, (QVB_Handle h), (h))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(178, int, QVB_NlfeBContactID, (QVB_Handle h), (h))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(179, int, QVB_NlfeStatistics, (QVB_Handle h), (h))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(180, int, QVB_NlfeMPCID, (QVB_Handle h), (h))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(181, int, QVB_NlfeUset, (QVB_Handle h, void *data), (h, data))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(182, int, QVB_NlfeEqexin, (QVB_Handle h, void *data), (h, data))
/* Not supported by these backends (kept for older hosts). */
QVB_FWD(183, int, QVB_NlfeRbe3, (QVB_Handle h, void *data), (h, data))
/* Sets the rotor axis: centre[3] and direction[3]. */
QVB_FWD(184, int, QVB_SetRotorDynamicsAxis, (QVB_Handle h, double *centre, double *direction), (h, centre, direction))
/* Sets an entry of a rotor-dynamics matrix (kind 0 to 2); row and column by mode index (from 0). */
QVB_FWD(185, int, QVB_SetRotorDynamicsMatrix, (QVB_Handle h, int kind, int row_mode_index, int column_mode_index, double value), (h, kind, row_mode_index, column_mode_index, value))
/* Copies the rotor axis; zero when the body has none. */
QVB_FWD(186, int, QVB_RotorDynamicsAxis, (QVB_Handle h, double *centre, double *direction), (h, centre, direction))
/* A rotor-dynamics matrix (kind 0 to 2, M x M values), released with QVB_FreeMemory. */
QVB_FWD(187, double *, QVB_RotorDynamicsMatrix, (QVB_Handle h, int kind), (h, kind))
