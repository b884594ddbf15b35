#include "body_builder.h"

#include <algorithm>

#include "errors.h"

namespace qvb::ccx2qvb {

BodyBuilder::BodyBuilder(int nodeCount, int modeCount) : handle_(QVB_Create(nodeCount, modeCount)) {
  if (handle_ == nullptr) throw TranslationError("cannot create a body (are the storage plug-ins installed?)");
}

BodyBuilder::~BodyBuilder() {
  if (handle_ != nullptr) QVB_Destroy(handle_);
}

void BodyBuilder::check(int status, const char *setter) const {
  if (status == 0) throw TranslationError(std::string("the body refused ") + setter);
}

void BodyBuilder::setHeader(const std::string &title, const std::string &text2, const std::string &comment1,
                            const std::string &comment2, const std::string &comment3) {
  check(QVB_SetHeader(handle_, title.c_str(), text2.c_str(), "QVB", comment1.c_str(), comment2.c_str(),
                      comment3.c_str()),
        "QVB_SetHeader");
}

void BodyBuilder::setUnits(const std::string units[4]) {
  if (QVB_SetUnits(handle_, units[0].c_str(), units[1].c_str(), units[2].c_str(), units[3].c_str()) == 0)
    throw TranslationError("unknown unit in " + units[0] + " " + units[1] + " " + units[2] + " " + units[3]);
}

void BodyBuilder::setNode(int id, const double *xyz) {
  check(QVB_SetNodeCoordinates(handle_, id, xyz[0], xyz[1], xyz[2]), "QVB_SetNodeCoordinates");
}

void BodyBuilder::setNodalMass(int id, double mass) { check(QVB_SetNodalMass(handle_, id, mass), "QVB_SetNodalMass"); }

void BodyBuilder::addFace(const std::vector<int> &nodeIds) {
  std::vector<int> ids = nodeIds;
  check(QVB_SetFaceList(handle_, static_cast<int>(ids.size()), ids.data()), "QVB_SetFaceList");
}

void BodyBuilder::setInterfaceNode(int id) { check(QVB_SetInterfaceNode(handle_, id), "QVB_SetInterfaceNode"); }

void BodyBuilder::setModeValues(int mode, int node, ModeQuantity quantity, const double *six) {
  check(QVB_SetModeVec(handle_, mode, node, static_cast<int>(quantity), const_cast<double *>(six)), "QVB_SetModeVec");
}

void BodyBuilder::setModalMatrices(const std::vector<double> &eigenvalues) {
  for (size_t j = 0; j < eigenvalues.size(); ++j) {
    const int mode = static_cast<int>(j) + 1;
    check(QVB_SetGeneralizedMass(handle_, mode, mode, 1.0), "QVB_SetGeneralizedMass");
    check(QVB_SetGeneralizedStiffness(handle_, mode, mode, eigenvalues[j]), "QVB_SetGeneralizedStiffness");
  }
  check(QVB_RebuildEigenvalues(handle_), "QVB_RebuildEigenvalues");
}

void BodyBuilder::setMassProperties(const MassProperties &p) {
  double inertia[9], centre[3];
  std::copy(p.inertia, p.inertia + 9, inertia);
  std::copy(p.centre, p.centre + 3, centre);
  check(QVB_SetGlobalMass(handle_, p.mass, inertia, centre), "QVB_SetGlobalMass");
  check(QVB_SetInvar1(handle_, p.i1), "QVB_SetInvar1");
  double i2[3] = {p.i2[0], p.i2[1], p.i2[2]};
  check(QVB_SetInvar2(handle_, i2), "QVB_SetInvar2");
  double i7[6] = {p.i7[0], p.i7[4], p.i7[8], p.i7[1], p.i7[2], p.i7[5]};
  check(QVB_SetInvar7(handle_, i7), "QVB_SetInvar7");
  const size_t nm = static_cast<size_t>(p.modeCount);
  // Invariant 6 is the generalized mass, set as exactly 1 on the diagonal.
  for (size_t j = 0; j < nm; ++j) {
    const int mj = static_cast<int>(j) + 1;
    double v[9];
    std::copy(&p.i3[3 * j], &p.i3[3 * j] + 3, v);
    check(QVB_SetInvar3(handle_, mj, v), "QVB_SetInvar3");
    std::copy(&p.i4[3 * j], &p.i4[3 * j] + 3, v);
    check(QVB_SetInvar4(handle_, mj, v), "QVB_SetInvar4");
    std::copy(&p.i8[9 * j], &p.i8[9 * j] + 9, v);
    check(QVB_SetInvar8(handle_, mj, v), "QVB_SetInvar8");
    for (size_t k = 0; k < nm; ++k) {
      const int mk = static_cast<int>(k) + 1;
      std::copy(&p.i5[(j * nm + k) * 3], &p.i5[(j * nm + k) * 3] + 3, v);
      check(QVB_SetInvar5(handle_, mj, mk, v), "QVB_SetInvar5");
      std::copy(&p.i9[(j * nm + k) * 9], &p.i9[(j * nm + k) * 9] + 9, v);
      check(QVB_SetInvar9(handle_, mj, mk, v), "QVB_SetInvar9");
    }
  }
}

void BodyBuilder::write(const std::string &path) {
  if (QVB_write_QVB(handle_, path.c_str()) == 0) throw TranslationError("cannot write the body file " + path);
}

}  // namespace qvb::ccx2qvb
