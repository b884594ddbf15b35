! Builds a two-node body through the installed interface module, writes it to
! the file named first on the command line, and reads it back.
program translator
  use, intrinsic :: iso_c_binding, only: c_int, c_double
  use qvb_binding
  implicit none
  character(len=1024) :: file_name
  integer(c_int) :: status, modes, zero, one, n10, n11

  call get_command_argument(1, file_name)
  if (len_trim(file_name) == 0) stop 'usage: translator BODY-FILE'
  zero = 0
  one = 1
  n10 = 10
  n11 = 11
  call QVB_CREATE(zero, zero, status)
  call check('create')
  call QVB_SET_NODE_COORDINATES(n10, 1.0_c_double, 2.0_c_double, 3.0_c_double, status)
  call check('node 10')
  call QVB_SET_NODE_COORDINATES(n11, 4.0_c_double, 5.0_c_double, 6.0_c_double, status)
  call check('node 11')
  call QVB_SET_NODAL_MASS(n10, 1.5_c_double, status)
  call QVB_SET_NODAL_MASS(n11, 2.5_c_double, status)
  call QVB_SET_MODE_SHAPE(one, n10, 0.0_c_double, 0.0_c_double, 1.0_c_double, &
                          0.0_c_double, 0.0_c_double, 0.0_c_double, status)
  call check('mode at node 10')
  call QVB_SET_MODE_SHAPE(one, n11, 0.0_c_double, 0.0_c_double, -1.0_c_double, &
                          0.0_c_double, 0.0_c_double, 0.0_c_double, status)
  call QVB_SET_GENERALIZED_MASS(one, one, 1.0_c_double, status)
  call QVB_SET_GENERALIZED_STIFFNESS(one, one, 400.0_c_double, status)
  call check('generalized stiffness')
  call QVB_WRITE_QVB(file_name, len_trim(file_name), status)
  call check('write')

  call QVB_CREATE_FROM_QVB(file_name, len_trim(file_name), status)
  call check('read back')
  call QVB_GET_MODE_COUNT(modes, status)
  if (modes /= 1) stop 'the body read back has no mode'
  call QVB_TERMINATE(status)
  print '(a,a)', 'translator: wrote and read ', trim(file_name)

contains

  subroutine check(what)
    character(len=*), intent(in) :: what
    if (status /= 0) then
      print '(a,a)', 'translator failed: ', what
      error stop 1
    end if
  end subroutine check

end program translator
