#include "body_plan.h"

#include "qvb.h"

#include <cmath>

namespace qvbtest {
namespace {

// A deterministic, non-degenerate value set for node `n` of mode `mode`.
Six pattern(int mode, int n, double scale) {
  Six v{};
  for (int c = 0; c < 6; ++c) v[c] = scale * std::sin(0.7 * mode + 1.3 * n + 0.9 * c + 0.1 * mode * c);
  return v;
}

}  // namespace

BodyPlan sampleBody(bool core) {
  BodyPlan plan;
  int n = 0;
  for (int x = 0; x < 2; ++x)
    for (int y = 0; y < 2; ++y)
      for (int z = 0; z < 2; ++z, ++n)
        plan.nodes.push_back({11 + n, {1.0 * x, 0.5 * y, 0.2 * z}, 0.5 + 0.1 * n,
                              {0.01, 0.02, 0.03, 0.001 * n, 0.0, 0.0}});
  const double eigenvalues[10] = {0, 0, 0, 0, 0, 0, 1.0e4, 4.0e4, 4.0e4, 9.0e4};
  for (int m = 0; m < 10; ++m) {
    ModePlan mode{m + 1, eigenvalues[m], {}, {}};
    for (int k = 0; k < n; ++k) {
      mode.shape.push_back(pattern(m, k, 1.0));
      if (m >= 6) mode.stress.push_back(pattern(m + 20, k, 1.0e6));
    }
    plan.modes.push_back(mode);
  }
  plan.totalMass = 6.8;
  plan.totalInertia = {2.0, 0.0, 0.1, 0.0, 3.0, 0.0, 0.1, 0.0, 4.0};
  plan.centreOfMass = {0.55, 0.25, 0.1};
  // The six faces of the box, node IDs 11..18 at (x, y, z) = bits of ID - 11.
  plan.faces = {4, 11, 12, 14, 13, 4, 15, 17, 18, 16, 4, 11, 15, 16, 12,
                4, 13, 14, 18, 17, 4, 11, 13, 17, 15, 4, 12, 16, 18, 14};
  plan.interfaceNodes = {11, 18};
  if (core) return plan;

  for (int k = 0; k < n; ++k) plan.preStress.push_back(pattern(40, k, 2.0e5));
  for (int m = 0; m < 10; ++m) plan.preload.push_back(m < 6 ? 0.0 : 10.0 * (m + 1));
  plan.modalLoads.push_back({});
  for (int m = 0; m < 10; ++m) plan.modalLoads[0].push_back(std::cos(0.3 * m) * 50.0);
  plan.nodalLoads.push_back({{12, 1, 100.0}, {17, 3, -40.0}});

  MonitorPointPlan point;
  point.name = "tip";
  point.label = "tip displacement";
  point.nodeIds = {17, 18};
  for (int r = 0; r < 2; ++r)
    for (int m = 0; m < 10; ++m) point.displacement.push_back(pattern(m, r + 3, 1.0)[r]);
  plan.monitorPoints.push_back(point);

  MatrixOperatorPlan op;
  op.name = "STRAIN_GAUGES";
  op.labels = {"gauge A", "gauge B"};
  op.tag = "DISP";
  op.columns = 10;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 10; ++c) op.values.push_back(0.01 * (r + 1) * (c + 1));
  plan.matrixOperators.push_back(op);

  plan.gyroscopic.assign(100, 0.0);
  for (int r = 0; r < 10; ++r)
    for (int c = r + 1; c < 10; ++c) {
      plan.gyroscopic[r * 10 + c] = 0.5 * (r + c);
      plan.gyroscopic[c * 10 + r] = -0.5 * (r + c);
    }
  return plan;
}

namespace {

// Scales an SI value of dimension mass^a length^b time^c into the body's units.
struct Scaler {
  std::array<double, 3> s;
  double operator()(int mass, int length, int time) const {
    return std::pow(s[0], mass) * std::pow(s[1], length) * std::pow(s[2], time);
  }
};

// Sets six values of a kind (0 shape, 1 stress), the first `count` of them times `factor`.
bool setSix(QVB_Handle body, int mode, int node, int kind, Six v, double factor, int count) {
  for (int c = 0; c < count; ++c) v[c] *= factor;
  return QVB_SetModeVec(body, mode, node, kind, v.data()) != 0;
}

bool writeModes(QVB_Handle body, const BodyPlan &plan, const Scaler &scale) {
  const double length = scale(0, 1, 0), stress = scale(0, -2, 0);
  const double genMass = scale(1, 2, 0), genStiffness = scale(1, 2, -2);
  for (const ModePlan &mode : plan.modes) {
    if (!QVB_SetGeneralizedMass(body, mode.number, mode.number, genMass)) return false;
    if (!QVB_SetGeneralizedStiffness(body, mode.number, mode.number, mode.eigenvalue * genStiffness)) return false;
    for (std::size_t k = 0; k < mode.shape.size(); ++k)
      if (!setSix(body, mode.number, plan.nodes[k].id, 0, mode.shape[k], length, 3)) return false;
    for (std::size_t k = 0; k < mode.stress.size(); ++k)
      if (!setSix(body, mode.number, plan.nodes[k].id, 1, mode.stress[k], stress, 6)) return false;
  }
  // The modes are their own principal modes.
  const std::size_t modes = plan.modes.size();
  std::vector<double> identity(modes * modes, 0.0);
  for (std::size_t m = 0; m < modes; ++m) identity[m * modes + m] = 1.0;
  if (modes > 0) QVB_SetTransformation(body, identity.data());
  for (std::size_t k = 0; k < plan.preStress.size(); ++k)
    if (!setSix(body, 0, plan.nodes[k].id, 1, plan.preStress[k], stress, 6)) return false;
  return true;
}

bool writeOptionalBlocks(QVB_Handle body, const BodyPlan &plan) {
  for (std::size_t m = 0; m < plan.preload.size(); ++m)
    if (!QVB_SetModalPreload(body, plan.modes[m].number, plan.preload[m])) return false;
  for (std::size_t c = 0; c < plan.modalLoads.size(); ++c) {
    for (std::size_t m = 0; m < plan.modalLoads[c].size(); ++m)
      if (!QVB_SetModalLoad(body, static_cast<int>(c), plan.modes[m].number, plan.modalLoads[c][m])) return false;
    QVB_SetModalLoadProcessed(body, static_cast<int>(c), plan.loadsProjected ? 1 : 0);
  }
  for (std::size_t c = 0; c < plan.nodalLoads.size(); ++c)
    for (const NodalLoadPlan &load : plan.nodalLoads[c])
      if (!QVB_SetModalLoadNodal(body, static_cast<int>(c), load.nodeId, load.coordinate, load.value)) return false;
  for (std::size_t p = 0; p < plan.monitorPoints.size(); ++p) {
    MonitorPointPlan point = plan.monitorPoints[p];
    // These setters answer 0 for success.
    if (QVB_SetMonitorPointInfo(body, point.type, point.resultType, point.component,
                                static_cast<int>(point.nodeIds.size()), point.nodeIds.data(), point.name.c_str(),
                                point.label.c_str()) != 0)
      return false;
    if (!point.displacement.empty() &&
        QVB_SetMonitorPointOperator(body, static_cast<int>(p), 1, point.displacement.data()) != 0)
      return false;
  }
  for (std::size_t o = 0; o < plan.matrixOperators.size(); ++o) {
    MatrixOperatorPlan op = plan.matrixOperators[o];
    std::vector<char *> labels;
    for (std::string &label : op.labels) labels.push_back(label.data());
    if (QVB_SetMatrixOperatorInfo(body, op.name.c_str(), labels.data(), static_cast<int>(labels.size())) != 0)
      return false;
    if (QVB_SetMatrixOperatorData(body, static_cast<int>(o), op.tag.c_str(), op.columns, op.values.data()) != 0)
      return false;
  }
  if (!plan.gyroscopic.empty()) {
    double centre[3] = {0.0, 0.0, 0.1}, axis[3] = {1.0, 0.0, 0.0};
    if (!QVB_SetRotorDynamicsAxis(body, centre, axis)) return false;
    const int modes = static_cast<int>(plan.modes.size());
    for (int r = 0; r < modes; ++r)
      for (int c = 0; c < modes; ++c)
        if (!QVB_SetRotorDynamicsMatrix(body, 0, r, c, plan.gyroscopic[r * modes + c])) return false;
  }
  if (plan.storeInvariant1 && !QVB_SetInvar1(body, plan.invariant1)) return false;
  return true;
}

bool fill(QVB_Handle body, const BodyPlan &plan) {
  const Scaler scale{plan.unitScale};
  if (!QVB_SetUnits(body, plan.units[0].c_str(), plan.units[1].c_str(), plan.units[2].c_str(),
                    plan.units[3].c_str()))
    return false;
  if (!QVB_SetHeader(body, plan.title.c_str(), "", plan.fileType.c_str(), "first comment", "", "")) return false;
  const double length = scale(0, 1, 0), mass = scale(1, 0, 0), inertia = scale(1, 2, 0);
  for (const NodePlan &node : plan.nodes) {
    if (!QVB_SetNodeCoordinates(body, node.id, node.xyz[0] * length, node.xyz[1] * length, node.xyz[2] * length))
      return false;
    if (!QVB_SetNodalMass(body, node.id, node.mass * mass)) return false;
    const Six &i = node.inertia;
    if (!QVB_SetNodalInertia(body, node.id, i[0] * inertia, i[1] * inertia, i[2] * inertia, i[3] * inertia,
                             i[4] * inertia, i[5] * inertia))
      return false;
  }
  std::array<double, 9> tensor = plan.totalInertia;
  for (double &value : tensor) value *= inertia;
  std::array<double, 3> centre = plan.centreOfMass;
  for (double &value : centre) value *= length;
  if (!QVB_SetGlobalMass(body, plan.totalMass * mass, tensor.data(), centre.data())) return false;
  if (!writeModes(body, plan, scale)) return false;
  std::vector<int> faces = plan.faces;
  for (std::size_t at = 0; at < faces.size(); at += 1 + static_cast<std::size_t>(faces[at]))
    if (!QVB_SetFaceList(body, faces[at], &faces[at + 1])) return false;
  for (int id : plan.interfaceNodes)
    if (!QVB_SetInterfaceNode(body, id)) return false;
  return writeOptionalBlocks(body, plan);
}

}  // namespace

bool writeBody(const BodyPlan &plan, const std::string &path) {
  QVB_Handle body = QVB_Create(0, 0);
  if (body == nullptr) return false;
  const bool ok = fill(body, plan) && QVB_write_QVB(body, path.c_str()) != 0;
  QVB_Destroy(body);
  return ok;
}

}  // namespace qvbtest
