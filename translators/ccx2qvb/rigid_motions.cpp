#include "rigid_motions.h"

namespace qvb::ccx2qvb {

std::vector<double> rigidMotions(const std::vector<Dof> &dofs, const std::function<NodeRole(int node)> &roleOf,
                                 const double centre[3], double length) {
  std::vector<double> r(dofs.size() * 6, 0.0);
  int lastNode = 0;
  NodeRole role;
  for (size_t p = 0; p < dofs.size(); ++p) {
    if (p == 0 || dofs[p].node != lastNode) role = roleOf(lastNode = dofs[p].node);
    const int d = dofs[p].direction - 1;
    double *row = &r[p * 6];
    if (role.rotation) {  // a rotation node's unknowns are the rotations themselves (angle 1 / length)
      row[3 + d] = 1.0 / length;
      continue;
    }
    row[d] = 1.0;
    const double x[3] = {(role.position[0] - centre[0]) / length, (role.position[1] - centre[1]) / length,
                         (role.position[2] - centre[2]) / length};
    // Component d of (e_a x x) for a rotation about axis a: +x[prev] about
    // the next axis, -x[next] about the previous one.
    const int next = (d + 1) % 3, prev = (d + 2) % 3;
    row[3 + next] = x[prev];
    row[3 + prev] = -x[next];
  }
  return r;
}

}  // namespace qvb::ccx2qvb
