! Fortran declarations of the library's upper-case binding.
!
! The binding passes every argument by address, except the length of each
! text, which it takes BY VALUE as a 32-bit integer placed directly behind
! its text. gfortran's own convention for external procedures is different
! (a size_t length appended at the end of the argument list), so calling
! the binding as a plain external procedure would hand it garbage. These
! bind(C) interfaces make the compiler follow the binding's convention:
!
!   use qvb_binding
!   character(len=*), parameter :: file = 'beam.qvb'
!   call QVB_WRITE_QVB(file, len(file), status)
!
! A text argument accepts any character variable or literal (it is passed
! as an array of characters); pass its length with len(). Trailing blanks
! are removed by the library, so fixed-length, blank-padded variables work.
! Status arguments receive 0 on success and 1 on failure, except in
! QVB_SET_MONITOR_POINT_INFO and QVB_SET_MATRIX_OPERATOR_INFO, where the
! status is the library's own result. Load cases, the component of
! QVB_SET_MODE_SHAPE_ENTRY and the indices of QVB_SET_ROTOR_DYNAMICS_MATRIX
! count from 1; everything else passes unchanged.
!
! Each interface repeats a declaration of qvb/qvb_fortran.h; the library's
! test suite fails when the two disagree in name, argument count, an
! argument's type or the result.
module qvb_binding
  use, intrinsic :: iso_c_binding, only: c_int, c_double, c_char, c_ptr
  implicit none
  private :: c_int, c_double, c_char, c_ptr

  interface
    subroutine QVB_CREATE(node_capacity, mode_capacity, status) &
        bind(C, name="QVB_CREATE")
      import :: c_int, c_double, c_char
      integer(c_int) :: node_capacity
      integer(c_int) :: mode_capacity
      integer(c_int) :: status
    end subroutine QVB_CREATE

    subroutine QVB_CREATE_FROM_QVB(name, name_len, status) &
        bind(C, name="QVB_CREATE_FROM_QVB")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: name_len
      integer(c_int) :: status
    end subroutine QVB_CREATE_FROM_QVB

    subroutine QVB_TERMINATE(status) &
        bind(C, name="QVB_TERMINATE")
      import :: c_int, c_double, c_char
      integer(c_int) :: status
    end subroutine QVB_TERMINATE

    subroutine QVB_WRITE_QVB(name, name_len, status) &
        bind(C, name="QVB_WRITE_QVB")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: name_len
      integer(c_int) :: status
    end subroutine QVB_WRITE_QVB

    subroutine QVB_WRITE_ANSYS_QVB(name, name_len, a, b, status) &
        bind(C, name="QVB_WRITE_ANSYS_QVB")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: name_len
      integer(c_int) :: a
      integer(c_int) :: b
      integer(c_int) :: status
    end subroutine QVB_WRITE_ANSYS_QVB

    subroutine QVB_WRITE_DB(text1, text1_len, text2, text2_len, status) &
        bind(C, name="QVB_WRITE_DB")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: text1(*)
      integer(c_int), value :: text1_len
      character(kind=c_char), intent(in) :: text2(*)
      integer(c_int), value :: text2_len
      integer(c_int) :: status
    end subroutine QVB_WRITE_DB

    subroutine QVB_GET_MODE_COUNT(count, status) &
        bind(C, name="QVB_GET_MODE_COUNT")
      import :: c_int, c_double, c_char
      integer(c_int) :: count
      integer(c_int) :: status
    end subroutine QVB_GET_MODE_COUNT

    subroutine QVB_GET_MODAL_STRESS(mode, node, s1, s2, s3, s4, s5, s6, status) &
        bind(C, name="QVB_GET_MODAL_STRESS")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: s1
      real(c_double) :: s2
      real(c_double) :: s3
      real(c_double) :: s4
      real(c_double) :: s5
      real(c_double) :: s6
      integer(c_int) :: status
    end subroutine QVB_GET_MODAL_STRESS

    subroutine QVB_GET_MODAL_STRAIN(mode, node, e1, e2, e3, e4, e5, e6, status) &
        bind(C, name="QVB_GET_MODAL_STRAIN")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: e1
      real(c_double) :: e2
      real(c_double) :: e3
      real(c_double) :: e4
      real(c_double) :: e5
      real(c_double) :: e6
      integer(c_int) :: status
    end subroutine QVB_GET_MODAL_STRAIN

    subroutine QVB_GET_TRANSFORM_TO_SELMOD(t, selected_modes, selected_count, status) &
        bind(C, name="QVB_GET_TRANSFORM_TO_SELMOD")
      import :: c_int, c_double, c_char
      real(c_double) :: t(*)
      integer(c_int) :: selected_modes(*)
      integer(c_int) :: selected_count
      integer(c_int) :: status
    end subroutine QVB_GET_TRANSFORM_TO_SELMOD

    subroutine QVB_SET_HEADER(title, title_len, text2, text2_len, file_type, &
        file_type_len, comment1, comment1_len, comment2, comment2_len, comment3, &
        comment3_len, status) &
        bind(C, name="QVB_SET_HEADER")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: title(*)
      integer(c_int), value :: title_len
      character(kind=c_char), intent(in) :: text2(*)
      integer(c_int), value :: text2_len
      character(kind=c_char), intent(in) :: file_type(*)
      integer(c_int), value :: file_type_len
      character(kind=c_char), intent(in) :: comment1(*)
      integer(c_int), value :: comment1_len
      character(kind=c_char), intent(in) :: comment2(*)
      integer(c_int), value :: comment2_len
      character(kind=c_char), intent(in) :: comment3(*)
      integer(c_int), value :: comment3_len
      integer(c_int) :: status
    end subroutine QVB_SET_HEADER

    subroutine QVB_SET_UNITS(mass, mass_len, length, length_len, time, time_len, force, &
        force_len, status) &
        bind(C, name="QVB_SET_UNITS")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: mass(*)
      integer(c_int), value :: mass_len
      character(kind=c_char), intent(in) :: length(*)
      integer(c_int), value :: length_len
      character(kind=c_char), intent(in) :: time(*)
      integer(c_int), value :: time_len
      character(kind=c_char), intent(in) :: force(*)
      integer(c_int), value :: force_len
      integer(c_int) :: status
    end subroutine QVB_SET_UNITS

    subroutine QVB_UNITS_SI_MULTIPLIERS(mass, length, time, force, status) &
        bind(C, name="QVB_UNITS_SI_MULTIPLIERS")
      import :: c_int, c_double, c_char
      real(c_double) :: mass
      real(c_double) :: length
      real(c_double) :: time
      real(c_double) :: force
      integer(c_int) :: status
    end subroutine QVB_UNITS_SI_MULTIPLIERS

    subroutine QVB_SET_NODE_COORDINATES(node, x, y, z, status) &
        bind(C, name="QVB_SET_NODE_COORDINATES")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      real(c_double) :: x
      real(c_double) :: y
      real(c_double) :: z
      integer(c_int) :: status
    end subroutine QVB_SET_NODE_COORDINATES

    subroutine QVB_SET_NODE_COORDINATES_VEC(node, xyz, status) &
        bind(C, name="QVB_SET_NODE_COORDINATES_VEC")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      real(c_double) :: xyz(*)
      integer(c_int) :: status
    end subroutine QVB_SET_NODE_COORDINATES_VEC

    subroutine QVB_SET_NODAL_MASS(node, mass, status) &
        bind(C, name="QVB_SET_NODAL_MASS")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      real(c_double) :: mass
      integer(c_int) :: status
    end subroutine QVB_SET_NODAL_MASS

    subroutine QVB_SET_NODAL_INERTIA(node, i11, i22, i33, i12, i13, i23, status) &
        bind(C, name="QVB_SET_NODAL_INERTIA")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      real(c_double) :: i11
      real(c_double) :: i22
      real(c_double) :: i33
      real(c_double) :: i12
      real(c_double) :: i13
      real(c_double) :: i23
      integer(c_int) :: status
    end subroutine QVB_SET_NODAL_INERTIA

    subroutine QVB_SET_NODAL_INERTIA_VEC(node, values, status) &
        bind(C, name="QVB_SET_NODAL_INERTIA_VEC")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_NODAL_INERTIA_VEC

    subroutine QVB_SET_NODAL_INERTIA_MAT(node, tensor, status) &
        bind(C, name="QVB_SET_NODAL_INERTIA_MAT")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      real(c_double) :: tensor(*)
      integer(c_int) :: status
    end subroutine QVB_SET_NODAL_INERTIA_MAT

    subroutine QVB_SET_NODAL_INERTIA_ENTRY(node, i, j, value, status) &
        bind(C, name="QVB_SET_NODAL_INERTIA_ENTRY")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_NODAL_INERTIA_ENTRY

    subroutine QVB_SET_MODE_SHAPE(mode, node, v1, v2, v3, v4, v5, v6, status) &
        bind(C, name="QVB_SET_MODE_SHAPE")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: v1
      real(c_double) :: v2
      real(c_double) :: v3
      real(c_double) :: v4
      real(c_double) :: v5
      real(c_double) :: v6
      integer(c_int) :: status
    end subroutine QVB_SET_MODE_SHAPE

    subroutine QVB_SET_MODE_SHAPE_VEC(mode, node, values, status) &
        bind(C, name="QVB_SET_MODE_SHAPE_VEC")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MODE_SHAPE_VEC

    subroutine QVB_SET_MODE_SHAPE_ENTRY(mode, node, component, value, status) &
        bind(C, name="QVB_SET_MODE_SHAPE_ENTRY")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      integer(c_int) :: component
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_MODE_SHAPE_ENTRY

    subroutine QVB_SET_MODAL_STRESS(mode, node, v1, v2, v3, v4, v5, v6, status) &
        bind(C, name="QVB_SET_MODAL_STRESS")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: v1
      real(c_double) :: v2
      real(c_double) :: v3
      real(c_double) :: v4
      real(c_double) :: v5
      real(c_double) :: v6
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_STRESS

    subroutine QVB_SET_MODAL_STRESS_VEC(mode, node, values, status) &
        bind(C, name="QVB_SET_MODAL_STRESS_VEC")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_STRESS_VEC

    subroutine QVB_SET_MODAL_STRAIN(mode, node, v1, v2, v3, v4, v5, v6, status) &
        bind(C, name="QVB_SET_MODAL_STRAIN")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: v1
      real(c_double) :: v2
      real(c_double) :: v3
      real(c_double) :: v4
      real(c_double) :: v5
      real(c_double) :: v6
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_STRAIN

    subroutine QVB_SET_MODAL_STRAIN_VEC(mode, node, values, status) &
        bind(C, name="QVB_SET_MODAL_STRAIN_VEC")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      integer(c_int) :: node
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_STRAIN_VEC

    subroutine QVB_SET_FACE(vertex_count, vertices, status) &
        bind(C, name="QVB_SET_FACE")
      import :: c_int, c_double, c_char
      integer(c_int) :: vertex_count
      integer(c_int) :: vertices(*)
      integer(c_int) :: status
    end subroutine QVB_SET_FACE

    subroutine QVB_SET_FACE_2(v1, v2, status) &
        bind(C, name="QVB_SET_FACE_2")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_2

    subroutine QVB_SET_FACE_3(v1, v2, v3, status) &
        bind(C, name="QVB_SET_FACE_3")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: v3
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_3

    subroutine QVB_SET_FACE_4(v1, v2, v3, v4, status) &
        bind(C, name="QVB_SET_FACE_4")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: v3
      integer(c_int) :: v4
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_4

    subroutine QVB_SET_FACE_5(v1, v2, v3, v4, v5, status) &
        bind(C, name="QVB_SET_FACE_5")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: v3
      integer(c_int) :: v4
      integer(c_int) :: v5
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_5

    subroutine QVB_SET_FACE_6(v1, v2, v3, v4, v5, v6, status) &
        bind(C, name="QVB_SET_FACE_6")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: v3
      integer(c_int) :: v4
      integer(c_int) :: v5
      integer(c_int) :: v6
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_6

    subroutine QVB_SET_FACE_7(v1, v2, v3, v4, v5, v6, v7, status) &
        bind(C, name="QVB_SET_FACE_7")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: v3
      integer(c_int) :: v4
      integer(c_int) :: v5
      integer(c_int) :: v6
      integer(c_int) :: v7
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_7

    subroutine QVB_SET_FACE_8(v1, v2, v3, v4, v5, v6, v7, v8, status) &
        bind(C, name="QVB_SET_FACE_8")
      import :: c_int, c_double, c_char
      integer(c_int) :: v1
      integer(c_int) :: v2
      integer(c_int) :: v3
      integer(c_int) :: v4
      integer(c_int) :: v5
      integer(c_int) :: v6
      integer(c_int) :: v7
      integer(c_int) :: v8
      integer(c_int) :: status
    end subroutine QVB_SET_FACE_8

    subroutine QVB_SET_GENERALIZED_STIFFNESS(i, j, value, status) &
        bind(C, name="QVB_SET_GENERALIZED_STIFFNESS")
      import :: c_int, c_double, c_char
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_GENERALIZED_STIFFNESS

    subroutine QVB_SET_GENERALIZED_MASS(i, j, value, status) &
        bind(C, name="QVB_SET_GENERALIZED_MASS")
      import :: c_int, c_double, c_char
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_GENERALIZED_MASS

    subroutine QVB_SET_GENERALIZED_DAMPING(i, j, value, status) &
        bind(C, name="QVB_SET_GENERALIZED_DAMPING")
      import :: c_int, c_double, c_char
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_GENERALIZED_DAMPING

    subroutine QVB_SET_GLOBAL_MASS(mass, inertia, centre, status) &
        bind(C, name="QVB_SET_GLOBAL_MASS")
      import :: c_int, c_double, c_char
      real(c_double) :: mass
      real(c_double) :: inertia(*)
      real(c_double) :: centre(*)
      integer(c_int) :: status
    end subroutine QVB_SET_GLOBAL_MASS

    subroutine QVB_SET_INTERFACE_NODE(node, status) &
        bind(C, name="QVB_SET_INTERFACE_NODE")
      import :: c_int, c_double, c_char
      integer(c_int) :: node
      integer(c_int) :: status
    end subroutine QVB_SET_INTERFACE_NODE

    subroutine QVB_SET_INVAR1(value, status) &
        bind(C, name="QVB_SET_INVAR1")
      import :: c_int, c_double, c_char
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR1

    subroutine QVB_SET_INVAR2(values, status) &
        bind(C, name="QVB_SET_INVAR2")
      import :: c_int, c_double, c_char
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR2

    subroutine QVB_SET_INVAR3(mode, values, status) &
        bind(C, name="QVB_SET_INVAR3")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR3

    subroutine QVB_SET_INVAR4(mode, values, status) &
        bind(C, name="QVB_SET_INVAR4")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR4

    subroutine QVB_SET_INVAR5(i, j, values, status) &
        bind(C, name="QVB_SET_INVAR5")
      import :: c_int, c_double, c_char
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR5

    subroutine QVB_SET_INVAR6(values, status) &
        bind(C, name="QVB_SET_INVAR6")
      import :: c_int, c_double, c_char
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR6

    subroutine QVB_SET_INVAR7(values, status) &
        bind(C, name="QVB_SET_INVAR7")
      import :: c_int, c_double, c_char
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR7

    subroutine QVB_SET_INVAR8(mode, tensor, status) &
        bind(C, name="QVB_SET_INVAR8")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      real(c_double) :: tensor(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR8

    subroutine QVB_SET_INVAR9(i, j, tensor, status) &
        bind(C, name="QVB_SET_INVAR9")
      import :: c_int, c_double, c_char
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: tensor(*)
      integer(c_int) :: status
    end subroutine QVB_SET_INVAR9

    subroutine QVB_SET_LOADCASE_LABEL(load_case, label, label_len, status) &
        bind(C, name="QVB_SET_LOADCASE_LABEL")
      import :: c_int, c_double, c_char
      integer(c_int) :: load_case
      character(kind=c_char), intent(in) :: label(*)
      integer(c_int), value :: label_len
      integer(c_int) :: status
    end subroutine QVB_SET_LOADCASE_LABEL

    subroutine QVB_SET_MODAL_LOAD(load_case, mode, value, status) &
        bind(C, name="QVB_SET_MODAL_LOAD")
      import :: c_int, c_double, c_char
      integer(c_int) :: load_case
      integer(c_int) :: mode
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_LOAD

    subroutine QVB_SET_MODAL_LOAD_NODAL(load_case, node, coordinate, value, status) &
        bind(C, name="QVB_SET_MODAL_LOAD_NODAL")
      import :: c_int, c_double, c_char
      integer(c_int) :: load_case
      integer(c_int) :: node
      integer(c_int) :: coordinate
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_LOAD_NODAL

    subroutine QVB_SET_MODAL_LOAD_PRINCIPAL(load_case, values, status) &
        bind(C, name="QVB_SET_MODAL_LOAD_PRINCIPAL")
      import :: c_int, c_double, c_char
      integer(c_int) :: load_case
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_LOAD_PRINCIPAL

    subroutine QVB_SET_MODAL_PRELOAD(mode, value, status) &
        bind(C, name="QVB_SET_MODAL_PRELOAD")
      import :: c_int, c_double, c_char
      integer(c_int) :: mode
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_PRELOAD

    subroutine QVB_SET_MODAL_PRELOAD_PRINCIPAL(values, status) &
        bind(C, name="QVB_SET_MODAL_PRELOAD_PRINCIPAL")
      import :: c_int, c_double, c_char
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MODAL_PRELOAD_PRINCIPAL

    subroutine QVB_SET_MONITOR_POINT_INFO(type, result_type, component, row_count, &
        node_ids, name, name_len, label, label_len, status) &
        bind(C, name="QVB_SET_MONITOR_POINT_INFO")
      import :: c_int, c_double, c_char
      integer(c_int) :: type
      integer(c_int) :: result_type
      integer(c_int) :: component
      integer(c_int) :: row_count
      integer(c_int) :: node_ids(*)
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: name_len
      character(kind=c_char), intent(in) :: label(*)
      integer(c_int), value :: label_len
      integer(c_int) :: status
    end subroutine QVB_SET_MONITOR_POINT_INFO

    subroutine QVB_SET_MONITOR_POINT_OPERATOR(point, kind, values, status) &
        bind(C, name="QVB_SET_MONITOR_POINT_OPERATOR")
      import :: c_int, c_double, c_char
      integer(c_int) :: point
      integer(c_int) :: kind
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MONITOR_POINT_OPERATOR

    subroutine QVB_SET_MATRIX_OPERATOR_INFO(name, name_len, labels, labels_len, &
        label_count, status) &
        bind(C, name="QVB_SET_MATRIX_OPERATOR_INFO")
      import :: c_int, c_double, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: name_len
      character(kind=c_char), intent(in) :: labels(*)
      integer(c_int), value :: labels_len
      integer(c_int) :: label_count
      integer(c_int) :: status
    end subroutine QVB_SET_MATRIX_OPERATOR_INFO

    subroutine QVB_SET_MATRIX_OPERATOR_DATA(op, name, name_len, column_count, values, &
        status) &
        bind(C, name="QVB_SET_MATRIX_OPERATOR_DATA")
      import :: c_int, c_double, c_char
      integer(c_int) :: op
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: name_len
      integer(c_int) :: column_count
      real(c_double) :: values(*)
      integer(c_int) :: status
    end subroutine QVB_SET_MATRIX_OPERATOR_DATA

    subroutine QVB_SET_ROTOR_DYNAMICS_AXIS(centre, direction, status) &
        bind(C, name="QVB_SET_ROTOR_DYNAMICS_AXIS")
      import :: c_int, c_double, c_char
      real(c_double) :: centre(*)
      real(c_double) :: direction(*)
      integer(c_int) :: status
    end subroutine QVB_SET_ROTOR_DYNAMICS_AXIS

    subroutine QVB_SET_ROTOR_DYNAMICS_MATRIX(kind, i, j, value, status) &
        bind(C, name="QVB_SET_ROTOR_DYNAMICS_MATRIX")
      import :: c_int, c_double, c_char
      integer(c_int) :: kind
      integer(c_int) :: i
      integer(c_int) :: j
      real(c_double) :: value
      integer(c_int) :: status
    end subroutine QVB_SET_ROTOR_DYNAMICS_MATRIX

    ! The library's termination entry point: ends every body and backend.
    subroutine qvb_end_library() bind(C, name="_terminate")
    end subroutine qvb_end_library

    ! Address of the binding's identification text (a C string).
    function qvb_fortran_VersionId() bind(C, name="qvb_fortran_VersionId")
      import :: c_ptr
      type(c_ptr) :: qvb_fortran_VersionId
    end function qvb_fortran_VersionId
  end interface
end module qvb_binding
