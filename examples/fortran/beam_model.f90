! A free-free straight beam of Euler-Bernoulli frame elements along the x
! axis: section properties of a thin-walled tube, element matrices and the
! assembled mass and stiffness matrices (six degrees of freedom per node:
! ux, uy, uz, rx, ry, rz).
module beam_model
  use, intrinsic :: iso_c_binding, only: dp => c_double
  implicit none
  private

  real(dp), parameter, public :: pi = 3.14159265358979323846_dp

  type, public :: beam_t
    real(dp) :: length = 1.0_dp
    real(dp) :: outer_diameter = 0.040_dp
    real(dp) :: wall = 0.002_dp
    real(dp) :: youngs_modulus = 210.0e9_dp   ! steel, Pa
    real(dp) :: poisson = 0.3_dp
    real(dp) :: density = 7850.0_dp           ! kg/m^3
    integer :: elements = 40
    ! derived section properties
    real(dp) :: area = 0, bending_inertia = 0, polar_inertia = 0, shear_modulus = 0
  end type beam_t

  public :: beam_init, beam_node_count, beam_dof_count, beam_node_x, beam_assemble
  public :: beam_lumped_mass, beam_lumped_inertia

contains

  subroutine beam_init(beam)
    type(beam_t), intent(inout) :: beam
    real(dp) :: d, di
    d = beam%outer_diameter
    di = d - 2.0_dp * beam%wall
    beam%area = pi / 4.0_dp * (d**2 - di**2)
    beam%bending_inertia = pi / 64.0_dp * (d**4 - di**4)
    ! For a circular tube the torsion constant equals the polar moment.
    beam%polar_inertia = 2.0_dp * beam%bending_inertia
    beam%shear_modulus = beam%youngs_modulus / (2.0_dp * (1.0_dp + beam%poisson))
  end subroutine beam_init

  integer function beam_node_count(beam)
    type(beam_t), intent(in) :: beam
    beam_node_count = beam%elements + 1
  end function beam_node_count

  integer function beam_dof_count(beam)
    type(beam_t), intent(in) :: beam
    beam_dof_count = 6 * beam_node_count(beam)
  end function beam_dof_count

  real(dp) function beam_node_x(beam, node)
    type(beam_t), intent(in) :: beam
    integer, intent(in) :: node
    beam_node_x = beam%length * real(node - 1, dp) / real(beam%elements, dp)
  end function beam_node_x

  ! Element matrices in the node-major order (node a: 1..6, node b: 7..12).
  subroutine element_matrices(beam, ke, me)
    type(beam_t), intent(in) :: beam
    real(dp), intent(out) :: ke(12, 12), me(12, 12)
    real(dp) :: le, ea, gj, ei, ma, mt
    real(dp) :: kb(4, 4), mb(4, 4), sgn(4)
    integer, parameter :: xy(4) = [2, 6, 8, 12]   ! uy, rz at both nodes
    integer, parameter :: xz(4) = [3, 5, 9, 11]   ! uz, ry at both nodes
    integer :: i, j

    le = beam%length / real(beam%elements, dp)
    ea = beam%youngs_modulus * beam%area
    gj = beam%shear_modulus * beam%polar_inertia
    ei = beam%youngs_modulus * beam%bending_inertia
    ma = beam%density * beam%area * le
    mt = beam%density * beam%polar_inertia * le
    ke = 0
    me = 0

    ! Axial and torsional bars.
    call bar(1, 7, ea / le, ma / 6.0_dp)
    call bar(4, 10, gj / le, mt / 6.0_dp)

    ! Bending with cubic (Hermite) shape functions; no rotary section
    ! inertia, as Euler-Bernoulli theory has none.
    kb = reshape([12.0_dp, 6*le, -12.0_dp, 6*le, &
                  6*le, 4*le**2, -6*le, 2*le**2, &
                  -12.0_dp, -6*le, 12.0_dp, -6*le, &
                  6*le, 2*le**2, -6*le, 4*le**2], [4, 4]) * ei / le**3
    mb = reshape([156.0_dp, 22*le, 54.0_dp, -13*le, &
                  22*le, 4*le**2, 13*le, -3*le**2, &
                  54.0_dp, 13*le, 156.0_dp, -22*le, &
                  -13*le, -3*le**2, -22*le, 4*le**2], [4, 4]) * ma / 420.0_dp
    do j = 1, 4
      do i = 1, 4
        ke(xy(i), xy(j)) = kb(i, j)
        me(xy(i), xy(j)) = mb(i, j)
      end do
    end do
    ! In the x-z plane the rotation about y is -duz/dx: the couplings
    ! between displacement and rotation change sign.
    sgn = [1.0_dp, -1.0_dp, 1.0_dp, -1.0_dp]
    do j = 1, 4
      do i = 1, 4
        ke(xz(i), xz(j)) = sgn(i) * sgn(j) * kb(i, j)
        me(xz(i), xz(j)) = sgn(i) * sgn(j) * mb(i, j)
      end do
    end do

  contains

    subroutine bar(a, b, k, m6)
      integer, intent(in) :: a, b
      real(dp), intent(in) :: k, m6
      ke(a, a) = k; ke(b, b) = k; ke(a, b) = -k; ke(b, a) = -k
      me(a, a) = 2 * m6; me(b, b) = 2 * m6; me(a, b) = m6; me(b, a) = m6
    end subroutine bar
  end subroutine element_matrices

  ! Global stiffness k and consistent mass m, both n x n with n = 6 * nodes.
  subroutine beam_assemble(beam, k, m)
    type(beam_t), intent(in) :: beam
    real(dp), intent(out) :: k(:, :), m(:, :)
    real(dp) :: ke(12, 12), me(12, 12)
    integer :: e, first
    call element_matrices(beam, ke, me)
    k = 0
    m = 0
    do e = 1, beam%elements
      first = 6 * (e - 1)
      k(first + 1:first + 12, first + 1:first + 12) = &
          k(first + 1:first + 12, first + 1:first + 12) + ke
      m(first + 1:first + 12, first + 1:first + 12) = &
          m(first + 1:first + 12, first + 1:first + 12) + me
    end do
  end subroutine beam_assemble

  ! Length of beam carried by a node: half of each adjacent element.
  real(dp) function tributary_length(beam, node)
    type(beam_t), intent(in) :: beam
    integer, intent(in) :: node
    tributary_length = beam%length / real(beam%elements, dp)
    if (node == 1 .or. node == beam_node_count(beam)) &
        tributary_length = tributary_length / 2.0_dp
  end function tributary_length

  ! Lumped nodal mass: the tributary piece of tube.
  real(dp) function beam_lumped_mass(beam, node)
    type(beam_t), intent(in) :: beam
    integer, intent(in) :: node
    beam_lumped_mass = beam%density * beam%area * tributary_length(beam, node)
  end function beam_lumped_mass

  ! Inertia tensor of the tributary piece about its node (a short tube
  ! centred on the node): torsional about x, section plus length terms
  ! about y and z.
  subroutine beam_lumped_inertia(beam, node, tensor)
    type(beam_t), intent(in) :: beam
    integer, intent(in) :: node
    real(dp), intent(out) :: tensor(3, 3)
    real(dp) :: l, mass, transverse
    l = tributary_length(beam, node)
    mass = beam_lumped_mass(beam, node)
    transverse = beam%density * beam%bending_inertia * l + mass * l**2 / 12.0_dp
    tensor = 0
    tensor(1, 1) = beam%density * beam%polar_inertia * l
    tensor(2, 2) = transverse
    tensor(3, 3) = transverse
  end subroutine beam_lumped_inertia

end module beam_model
