// Filling a flexible body through the library's public interface.
//
// A thin wrapper over the QVB_* setters that turns a refused call into an
// exception naming the setter, so the translator stops at the first failure
// and never writes a half-filled body.
#pragma once

#include <string>
#include <vector>

#include "mass_properties.h"
#include "qvb.h"

namespace qvb::ccx2qvb {

class BodyBuilder {
 public:
  BodyBuilder(int nodeCount, int modeCount);
  ~BodyBuilder();
  BodyBuilder(const BodyBuilder &) = delete;
  BodyBuilder &operator=(const BodyBuilder &) = delete;

  void setHeader(const std::string &title, const std::string &text2, const std::string &comment1,
                 const std::string &comment2, const std::string &comment3);
  // Mass, length, time, force unit names of the deck.
  void setUnits(const std::string units[4]);
  void setNode(int id, const double *xyz);
  void setNodalMass(int id, double mass);
  void addFace(const std::vector<int> &nodeIds);
  void setInterfaceNode(int id);
  // Six values of a mode at a node: a shape (ux uy uz rx ry rz), or a
  // stress or strain (xx yy zz xy yz zx).
  enum class ModeQuantity { kShape = 0, kStress = 1, kStrain = 2 };
  void setModeValues(int mode, int node, ModeQuantity quantity, const double *six);
  // Unit generalized mass, diagonal generalized stiffness = eigenvalues; the
  // body's eigenvalue block is rebuilt from them.
  void setModalMatrices(const std::vector<double> &eigenvalues);
  // Global mass and every invariant, so nothing is recomputed from the
  // lumped nodal masses.
  void setMassProperties(const MassProperties &p);
  // Writes the body file (atomically: the name appears only when complete).
  void write(const std::string &path);
  QVB_Handle handle() const { return handle_; }

 private:
  void check(int status, const char *setter) const;
  QVB_Handle handle_;
};

}  // namespace qvb::ccx2qvb
