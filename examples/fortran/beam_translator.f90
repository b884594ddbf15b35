! beam_translator: builds a flexible body of a free-free steel tube and
! writes it to beam.qvb in the current directory.
!
!   beam_translator [elements [modes]]
!   beam_translator -h | --help | --version
!
! The beam (1 m long, 40 mm outer diameter, 2 mm wall, along x) is meshed
! with Euler-Bernoulli frame elements, six degrees of freedom per node. The
! generalized eigenproblem K x = omega^2 M x is solved with LAPACK; the
! eigenvectors come back mass-normalised, so the body's generalized mass is
! the identity and its generalized stiffness holds omega^2 on the diagonal
! (the body derives its eigenvalues from these two diagonals). The six
! lowest modes are the rigid-body motions of the free beam.
!
! Besides the axis nodes (IDs 1 .. elements+1, carrying the mass), the body
! holds a ring of massless surface nodes around each axis node, moving with
! the cross-section, and quadrilateral faces between the rings, so that a
! viewer shows a tube. The two end nodes are interface nodes.
program beam_translator
  use, intrinsic :: iso_c_binding, only: dp => c_double, c_int, c_char, c_null_char
  use, intrinsic :: iso_fortran_env, only: error_unit
  use qvb_binding
  use beam_model
  implicit none

  interface
    ! Points the library at the plug-ins installed beside this program when
    ! the environment does not say where they are.
    subroutine default_plugin_dir() bind(C, name="qvb_tool_default_plugin_dir")
    end subroutine default_plugin_dir
    ! Prints "<command> <version>", the version every command reports.
    subroutine print_version(command) bind(C, name="qvb_tool_print_version")
      import :: c_char
      character(kind=c_char), intent(in) :: command(*)
    end subroutine print_version
  end interface
  character(len=*), parameter :: usage = &
      'usage: beam_translator [elements >= 2 [modes >= 1]]' // new_line('a') // &
      new_line('a') // &
      'Builds a free-free steel tube (1 m, 40 mm x 2 mm, default 40 elements) with' // &
      new_line('a') // &
      'its lowest modes (default 20) and writes it to beam.qvb in the current folder.' // &
      new_line('a') // new_line('a') // &
      '  -h, --help   this text' // new_line('a') // &
      '  --version    the version' // new_line('a') // new_line('a') // &
      'Exit status: 0 written, 1 the body could not be computed or written,' // &
      new_line('a') // '2 a usage error.'

  integer, parameter :: ring = 8                ! surface nodes per station
  integer, parameter :: surface_base = 10000    ! surface node IDs start above it
  integer, parameter :: rigid_modes_expected = 6
  real(dp), parameter :: rigid_limit_omega2 = (2.0_dp * pi)**2   ! 1 Hz
  character(len=*), parameter :: output_file = 'beam.qvb'

  type(beam_t) :: beam
  real(dp), allocatable :: k(:, :), m(:, :), omega2(:), work(:)
  integer, allocatable :: iwork(:)
  integer :: n, nodes, modes, info, lwork, liwork, j, rigid
  real(dp) :: query(1)
  integer :: iquery(1)

  call default_plugin_dir()
  call answer_requests()
  call read_arguments(beam%elements, modes)
  call beam_init(beam)
  nodes = beam_node_count(beam)
  n = beam_dof_count(beam)
  modes = min(modes, n)

  allocate (k(n, n), m(n, n), omega2(n))
  call beam_assemble(beam, k, m)

  ! K is only positive semi-definite (free body) but M is positive definite,
  ! which is what the symmetric-definite driver needs. On return k holds the
  ! eigenvectors X with X^T M X = I, in ascending order of omega^2.
  call dsygvd(1, 'V', 'U', n, k, n, m, n, omega2, query, -1, iquery, -1, info)
  lwork = int(query(1))
  liwork = iquery(1)
  allocate (work(lwork), iwork(liwork))
  call dsygvd(1, 'V', 'U', n, k, n, m, n, omega2, work, lwork, iwork, liwork, info)
  if (info /= 0) then
    write (error_unit, '(a, i0)') 'beam_translator: eigenvalue solution failed, info = ', info
    call exit(1)
  end if

  ! Rigid-body modes come out with omega^2 at round-off level, of either
  ! sign; they are exactly zero for the body. A metre of steel tube has no
  ! flexible mode anywhere near 1 Hz, so that is the dividing line.
  rigid = 0
  do j = 1, modes
    if (abs(omega2(j)) < rigid_limit_omega2) then
      omega2(j) = 0
      rigid = rigid + 1
    end if
  end do
  if (rigid /= rigid_modes_expected) then
    write (*, '(a, i0, a)') 'beam_translator: warning: ', rigid, &
        ' rigid-body modes found, 6 expected'
  end if
  do j = 1, modes
    call fix_sign(k(:, j))
  end do

  call print_summary(beam, omega2(1:modes), rigid)
  call write_body(beam, k(:, 1:modes), omega2(1:modes))
  write (*, '(a, a)') 'beam_translator: wrote ', output_file
  deallocate (k, m, omega2, work, iwork)

contains

  ! -h, --help and --version answer and end the program with status 0.
  subroutine answer_requests()
    character(len=32) :: text
    if (command_argument_count() < 1) return
    call get_command_argument(1, text)
    if (text == '-h' .or. text == '--help') then
      write (*, '(a)') usage
      stop
    else if (text == '--version') then
      call print_version('beam_translator' // c_null_char)
      stop
    end if
  end subroutine answer_requests

  subroutine read_arguments(elements, modes)
    integer, intent(inout) :: elements
    integer, intent(out) :: modes
    modes = 20
    call integer_argument(1, 2, elements)
    call integer_argument(2, 1, modes)
  end subroutine read_arguments

  ! Reads command argument `position` into value when it is given.
  subroutine integer_argument(position, minimum, value)
    integer, intent(in) :: position, minimum
    integer, intent(inout) :: value
    character(len=32) :: text
    integer :: io
    if (command_argument_count() < position) return
    call get_command_argument(position, text)
    read (text, *, iostat=io) value
    if (io /= 0 .or. value < minimum .or. command_argument_count() > 2) then
      write (error_unit, '(a)') 'beam_translator: ' // trim(text) // ' is not a valid argument', &
          'usage: beam_translator [elements >= 2 [modes >= 1]]', &
          "Try 'beam_translator --help' for more information."
      ! A usage error is status 2, without the STOP line "stop 2" would add.
      call exit(2)
    end if
  end subroutine integer_argument

  ! Eigenvectors have no sign of their own; make the largest entry positive
  ! so that every run writes the same body.
  subroutine fix_sign(x)
    real(dp), intent(inout) :: x(:)
    if (x(maxloc(abs(x), 1)) < 0) x = -x
  end subroutine fix_sign

  subroutine check(status, what)
    integer(c_int), intent(in) :: status
    character(len=*), intent(in) :: what
    if (status /= 0) then
      write (error_unit, '(a, a, a, i0)') 'beam_translator: ', what, ' failed, status ', status
      call exit(1)
    end if
  end subroutine check

  integer function surface_node(station, position)
    integer, intent(in) :: station, position
    surface_node = surface_base + (station - 1) * ring + modulo(position - 1, ring) + 1
  end function surface_node

  ! Offset of a surface node from its axis node, in the section plane.
  subroutine ring_offset(position, offset)
    integer, intent(in) :: position
    real(dp), intent(out) :: offset(3)
    real(dp) :: angle
    angle = 2.0_dp * pi * real(position - 1, dp) / real(ring, dp)
    offset = [0.0_dp, cos(angle), sin(angle)] * beam%outer_diameter / 2.0_dp
  end subroutine ring_offset

  subroutine write_body(beam, shapes, omega2)
    type(beam_t), intent(in) :: beam
    real(dp), intent(in) :: shapes(:, :), omega2(:)
    integer(c_int) :: status, node_count, mode_count, node, mode, i, p, last
    integer(c_int) :: cap(ring)
    real(dp) :: xyz(3), offset(3), tensor(3, 3), u(6), surface(6), mass, one, zero
    character(len=80) :: comment

    node_count = nodes * (1 + ring)
    mode_count = size(omega2)
    call QVB_CREATE(node_count, mode_count, status)
    call check(status, 'QVB_CREATE')

    write (comment, '(i0, a, i0, a)') beam%elements, ' frame elements, ', mode_count, &
        ' modes, mass-normalised'
    call QVB_SET_HEADER('Free-free steel tube', len('Free-free steel tube'), &
        'Euler-Bernoulli beam, 1 m, D 40 mm x 2 mm', &
        len('Euler-Bernoulli beam, 1 m, D 40 mm x 2 mm'), 'QVB', len('QVB'), &
        comment, len(comment), 'written by beam_translator', len('written by beam_translator'), &
        ' ', 0, status)
    call check(status, 'QVB_SET_HEADER')
    call QVB_SET_UNITS('kg', 2, 'm', 1, 's', 1, 'N', 1, status)
    call check(status, 'QVB_SET_UNITS')

    do i = 1, nodes
      node = i
      xyz = [beam_node_x(beam, i), 0.0_dp, 0.0_dp]
      call QVB_SET_NODE_COORDINATES_VEC(node, xyz, status)
      call check(status, 'QVB_SET_NODE_COORDINATES_VEC')
      mass = beam_lumped_mass(beam, i)
      call QVB_SET_NODAL_MASS(node, mass, status)
      call check(status, 'QVB_SET_NODAL_MASS')
      call beam_lumped_inertia(beam, i, tensor)
      call QVB_SET_NODAL_INERTIA_MAT(node, tensor, status)
      call check(status, 'QVB_SET_NODAL_INERTIA_MAT')
      do p = 1, ring
        call ring_offset(p, offset)
        node = surface_node(i, p)
        call QVB_SET_NODE_COORDINATES(node, xyz(1) + offset(1), xyz(2) + offset(2), &
            xyz(3) + offset(3), status)
        call check(status, 'QVB_SET_NODE_COORDINATES')
      end do
    end do

    ! Mode shapes: translations and rotations of the axis nodes; a surface
    ! node moves with its rigid cross-section, u + theta x r.
    do mode = 1, mode_count
      do i = 1, nodes
        u = shapes(6 * (i - 1) + 1:6 * i, mode)
        node = i
        call QVB_SET_MODE_SHAPE(mode, node, u(1), u(2), u(3), u(4), u(5), u(6), status)
        call check(status, 'QVB_SET_MODE_SHAPE')
        do p = 1, ring
          call ring_offset(p, offset)
          surface(1:3) = u(1:3) + cross(u(4:6), offset)
          surface(4:6) = u(4:6)
          node = surface_node(i, p)
          call QVB_SET_MODE_SHAPE_VEC(mode, node, surface, status)
          call check(status, 'QVB_SET_MODE_SHAPE_VEC')
        end do
      end do
    end do

    one = 1
    do mode = 1, mode_count
      call QVB_SET_GENERALIZED_MASS(mode, mode, one, status)
      call check(status, 'QVB_SET_GENERALIZED_MASS')
      zero = omega2(mode)
      call QVB_SET_GENERALIZED_STIFFNESS(mode, mode, zero, status)
      call check(status, 'QVB_SET_GENERALIZED_STIFFNESS')
    end do

    ! The tube wall between neighbouring rings, and a cap at each end.
    do i = 1, nodes - 1
      do p = 1, ring
        call QVB_SET_FACE_4(surface_node(i, p), surface_node(i, p + 1), &
            surface_node(i + 1, p + 1), surface_node(i + 1, p), status)
        call check(status, 'QVB_SET_FACE_4')
      end do
    end do
    do p = 1, ring
      cap(p) = surface_node(1, ring + 2 - p)
    end do
    last = ring
    call QVB_SET_FACE(last, cap, status)
    call check(status, 'QVB_SET_FACE')
    do p = 1, ring
      cap(p) = surface_node(nodes, p)
    end do
    call QVB_SET_FACE(last, cap, status)
    call check(status, 'QVB_SET_FACE')

    node = 1
    call QVB_SET_INTERFACE_NODE(node, status)
    call check(status, 'QVB_SET_INTERFACE_NODE')
    node = nodes
    call QVB_SET_INTERFACE_NODE(node, status)
    call check(status, 'QVB_SET_INTERFACE_NODE')

    call QVB_WRITE_QVB(output_file, len(output_file), status)
    call check(status, 'QVB_WRITE_QVB')
    call QVB_TERMINATE(status)
  end subroutine write_body

  function cross(a, b)
    real(dp), intent(in) :: a(3), b(3)
    real(dp) :: cross(3)
    cross = [a(2) * b(3) - a(3) * b(2), a(3) * b(1) - a(1) * b(3), a(1) * b(2) - a(2) * b(1)]
  end function cross

  ! Flexible frequencies next to the Euler-Bernoulli values of a free-free
  ! beam, f = (beta L)^2 / (2 pi L^2) sqrt(E I / (rho A)).
  subroutine print_summary(beam, omega2, rigid)
    type(beam_t), intent(in) :: beam
    real(dp), intent(in) :: omega2(:)
    integer, intent(in) :: rigid
    real(dp), parameter :: beta_l(4) = [4.7300407_dp, 7.8532046_dp, 10.9956078_dp, 14.1371655_dp]
    real(dp) :: c, f
    integer :: j
    c = sqrt(beam%youngs_modulus * beam%bending_inertia / (beam%density * beam%area)) / &
        (2.0_dp * pi * beam%length**2)
    write (*, '(a, i0, a, i0, a, f8.5, a)') 'beam_translator: ', beam%elements, ' elements, ', size(omega2), &
        ' modes, mass ', beam%density * beam%area * beam%length, ' kg'
    write (*, '(a, i0)') '  rigid-body modes: ', rigid
    write (*, '(a)') '  mode   frequency [Hz]'
    do j = 1, size(omega2)
      f = sqrt(max(omega2(j), 0.0_dp)) / (2.0_dp * pi)
      write (*, '(2x, i4, f16.4)') j, f
    end do
    write (*, '(a)') '  free-free bending, theory [Hz]:'
    do j = 1, size(beta_l)
      write (*, '(2x, i4, f16.4)') j, beta_l(j)**2 * c
    end do
  end subroutine print_summary

end program beam_translator
