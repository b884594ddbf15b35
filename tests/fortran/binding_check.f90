! Calls the binding the way a Fortran translator does, through the
! qvb_binding interface module, against the recording fake backend; reads
! what reached the backend through the probe functions. Only what a real
! Fortran compiler decides is checked here (hidden text lengths, blank
! padding, array layout); the binding's rules are tested in C++
! (setters_test, lifecycle_test).
program binding_check
  use, intrinsic :: iso_c_binding
  use qvb_binding
  implicit none

  interface
    integer(c_int) function probe_int(name, index) bind(C)
      import :: c_int, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: index
    end function
    integer(c_int) function probe_text(name, index, buffer, size) bind(C)
      import :: c_int, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: index, size
      character(kind=c_char) :: buffer(*)
    end function
    subroutine probe_set_result(name, value) bind(C)
      import :: c_int, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: value
    end subroutine
    subroutine probe_capture_doubles(name, index, count) bind(C)
      import :: c_int, c_char
      character(kind=c_char), intent(in) :: name(*)
      integer(c_int), value :: index, count
    end subroutine
    real(c_double) function probe_captured_double(k) bind(C)
      import :: c_int, c_double
      integer(c_int), value :: k
    end function
    subroutine probe_capture_labels() bind(C)
    end subroutine
    integer(c_int) function probe_label(k, buffer, size) bind(C)
      import :: c_int, c_char
      integer(c_int), value :: k, size
      character(kind=c_char) :: buffer(*)
    end function
  end interface

  integer :: failures = 0, passes = 0
  integer(c_int) :: status, count, i
  integer(c_int) :: a, b, op, columns
  real(c_double) :: operator_data(2, 3)
  character(len=16) :: mass_unit, length_unit, time_unit, force_unit
  character(len=80) :: labels(3)
  character(len=20) :: label

  a = 41; b = 20
  call QVB_CREATE(a, b, status)
  call expect_int('QVB_CREATE status', status, 0)
  call expect_int('QVB_Create first integer', probe_int(c_name('QVB_Create'), 0), 41)
  call expect_int('QVB_Create second integer', probe_int(c_name('QVB_Create'), 1), 20)

  ! Blank-padded fixed-length variables arrive without their blanks.
  mass_unit = 'kg'; length_unit = 'mm'; time_unit = 's'; force_unit = 'N'
  call QVB_SET_UNITS(mass_unit, len(mass_unit), length_unit, len(length_unit), &
      time_unit, len(time_unit), force_unit, len(force_unit), status)
  call expect_int('QVB_SET_UNITS status', status, 0)
  call expect_text('mass unit', 'QVB_SetUnits', 1, 'kg')
  call expect_text('length unit', 'QVB_SetUnits', 2, 'mm')
  call expect_text('time unit', 'QVB_SetUnits', 3, 's')
  call expect_text('force unit', 'QVB_SetUnits', 4, 'N')

  ! A text argument followed by more arguments: the length sits right
  ! behind its text, the integers after it still arrive.
  a = 3; b = 4
  call QVB_WRITE_ANSYS_QVB('exact.qvb  ', 11, a, b, status)
  call expect_int('QVB_WRITE_ANSYS_QVB status', status, 0)
  call expect_int('generalized mass a', probe_int(c_name('QVB_AnsysAddGenMass'), 1), 3)
  call expect_int('generalized mass b', probe_int(c_name('QVB_AnsysAddGenMass'), 2), 4)
  call expect_text('exact name', 'QVB_write_QVB', 1, 'exact.qvb  ')

  ! A Fortran 2-D array reaches the C setter row by row.
  operator_data = reshape([1d0, 2d0, 3d0, 4d0, 5d0, 6d0], [2, 3])
  call probe_set_result(c_name('QVB_GetMatrixOperatorNumRows'), 2)
  call probe_capture_doubles(c_name('QVB_SetMatrixOperatorData'), 4, 6)
  op = 1; columns = 3
  call QVB_SET_MATRIX_OPERATOR_DATA(op, 'LOADS', 5, columns, operator_data, status)
  call expect_int('operator data status', status, 0)
  do i = 0, 5
    call expect_real('operator data in row order', probe_captured_double(i), &
        operator_data(i / 3 + 1, mod(i, 3) + 1))
  end do

  ! An array of fixed-length texts passes as consecutive fields.
  labels = [character(len=80) :: 'Fx', 'Fy', 'Fz']
  count = 3
  call probe_capture_labels()
  call QVB_SET_MATRIX_OPERATOR_INFO('Load operator', 13, labels, len(labels), count, status)
  call expect_int('operator info status (C result)', status, 0)
  do i = 1, 3
    label = ''
    call expect_int('label length', probe_label(i - 1, label, len(label)), 2)
    call expect_same('label', label, labels(i))
  end do

  write (*, '(i0, a, i0, a)') passes, ' passed, ', failures, ' failed'
  if (failures > 0) stop 1

contains

  function c_name(name)
    character(len=*), intent(in) :: name
    character(len=len(name) + 1) :: c_name
    c_name = name // c_null_char
  end function c_name

  subroutine expect_int(what, actual, expected)
    character(len=*), intent(in) :: what
    integer(c_int), intent(in) :: actual, expected
    call expect_real(what, real(actual, c_double), real(expected, c_double))
  end subroutine expect_int

  subroutine expect_real(what, actual, expected)
    character(len=*), intent(in) :: what
    real(c_double), intent(in) :: actual, expected
    if (actual == expected) then
      passes = passes + 1
    else
      write (*, '(a, a, a, g0, a, g0)') 'FAILED: ', what, ': got ', actual, ', expected ', expected
      failures = failures + 1
    end if
  end subroutine expect_real

  subroutine expect_same(what, actual, expected)
    character(len=*), intent(in) :: what, actual, expected
    if (actual == expected) then
      passes = passes + 1
    else
      write (*, '(7a)') 'FAILED: ', what, ': got "', trim(actual), '", expected "', trim(expected), '"'
      failures = failures + 1
    end if
  end subroutine expect_same

  ! The recorded text must be exactly `expected`, trailing blanks included.
  subroutine expect_text(what, slot_name, index, expected)
    character(len=*), intent(in) :: what, slot_name, expected
    integer, intent(in) :: index
    character(len=1100) :: buffer
    integer(c_int) :: length
    length = probe_text(c_name(slot_name), index, buffer, len(buffer))
    if (length == len(expected) .and. buffer(1:max(length, 0)) == expected) then
      passes = passes + 1
    else
      write (*, '(a, a, a, i0, a, a, a)') 'FAILED: ', what, ': got ', length, ' characters "', &
          buffer(1:max(0, min(length, 80))), '"'
      failures = failures + 1
    end if
  end subroutine expect_text

end program binding_check
