// The readable dump of one block, in the body's current units.
#include "slot_support.h"

namespace qvb::body {
namespace {

class Dump {
 public:
  Dump(const Body &b, std::FILE *out) : b_(b), out_(out) {}

  void values(const char *label, const double *v, size_t n, double factor = 1.0) {
    std::fprintf(out_, "  %s:", label);
    for (size_t k = 0; k < n; ++k) std::fprintf(out_, " %.15E", v[k] * factor);
    std::fprintf(out_, "\n");
  }
  void ints(const char *label, const std::vector<int> &v) {
    std::fprintf(out_, "  %s (%zu):", label, v.size());
    for (int x : v) std::fprintf(out_, " %d", x);
    std::fprintf(out_, "\n");
  }
  void sparse(const SparseModeMatrix &m, Dimension d) {
    std::fprintf(out_, "  %zu entries (row mode, column mode, value)\n", m.size());
    for (const auto &[key, value] : m)
      std::fprintf(out_, "  %8d %8d %.15E\n", key.first, key.second, value * toCurrent(b_, d));
  }
  void kind(int which, bool initialOnly) {
    const ModeKindData &k = b_.kinds[which];
    double f0 = toCurrent(b_, modeDimension(which, 0)), f1 = toCurrent(b_, modeDimension(which, 1));
    std::fprintf(out_, "  %d mode nodes\n", k.nodes.size());
    auto print = [&](int number, const ModeValues &values) {
      if (values.empty()) return;
      std::fprintf(out_, "  mode %d\n", number);
      for (int p = 0; p < k.nodes.size(); ++p) {
        const double *v = values.data() + static_cast<size_t>(p) * 6;
        std::fprintf(out_, "  %8d %.15E %.15E %.15E %.15E %.15E %.15E\n", k.nodes.ids()[p], v[0] * f0, v[1] * f0,
                     v[2] * f0, v[3] * f1, v[4] * f1, v[5] * f1);
      }
    };
    if (initialOnly) print(0, k.initial);
    else
      for (int i = 0; i < b_.modeCount(); ++i) print(b_.modeNumbers()[i], k.modes[i]);
  }
  void perMode(const ModeVector &v, Dimension d) {
    for (int i = 0; i < v.size(); ++i) {
      char label[32];
      std::snprintf(label, sizeof label, "mode %d", b_.modeNumbers()[i]);
      values(label, v.at(i), v.width, toCurrent(b_, d));
    }
  }
  void pairs(const ModeMatrix &m, Dimension d) {
    for (int i = 0; i < m.size; ++i)
      for (int j = 0; j < m.size; ++j) {
        char label[48];
        std::snprintf(label, sizeof label, "modes %d %d", b_.modeNumbers()[i], b_.modeNumbers()[j]);
        values(label, m.cell(i, j), m.width, toCurrent(b_, d));
      }
  }

 private:
  const Body &b_;
  std::FILE *out_;
};

void write(const Body &b, int block, std::FILE *out) {
  Dump d(b, out);
  const Invariants &inv = b.invariants;
  std::fprintf(out, "Block %d %s:%s\n", block, blockName(block), b.exists(block) ? "" : " not present");
  if (!b.exists(block)) return;
  switch (block) {
    case kVersionBlock: std::fprintf(out, "  version %d\n", b.version); break;
    case kHeaderBlock:
      for (const std::string *s : {&b.header.title, &b.header.text2, &b.header.text3, &b.header.fileType,
                                   &b.header.comment1, &b.header.comment2, &b.header.comment3})
        std::fprintf(out, "  \"%s\"\n", s->c_str());
      break;
    case kContentSummary:
      std::fprintf(out, "  %d nodes, %d modes, coarsened %d, mass-normalise %d\n", b.nodeCount(), b.modeCount(),
                   b.coarsened, b.massNormalize);
      d.ints("mode numbers", b.modeNumbers());
      break;
    case kNodalCoords: {
      double f = toCurrent(b, dim::kLength);
      for (int p = 0; p < b.nodeCount(); ++p)
        std::fprintf(out, "  %8d %.15E %.15E %.15E\n", b.nodes.ids()[p], b.coordinates[3 * p] * f,
                     b.coordinates[3 * p + 1] * f, b.coordinates[3 * p + 2] * f);
      break;
    }
    case kElementTopology: d.ints("element topology", b.elementTopology); break;
    case kGlobalBodyProps:
      d.values("mass", &b.global.mass, 1, toCurrent(b, dim::kMass));
      d.values("inertia", b.global.inertia.data(), 9, toCurrent(b, dim::kInertia));
      d.values("centre", b.global.centre.data(), 3, toCurrent(b, dim::kLength));
      break;
    case kEigenvalues:
      for (int i = 0; i < b.modeCount(); ++i)
        std::fprintf(out, "  %8d %.15E\n", b.modeNumbers()[i], b.eigenvalue(i) * toCurrent(b, dim::kEigenvalue));
      break;
    case kModeShapes: d.kind(kShape, false); break;
    case kModalStress: d.kind(kStress, false); break;
    case kModalStrain: d.kind(kStrain, false); break;
    case kPreStress: d.kind(kStress, true); break;
    case kPreStrain: d.kind(kStrain, true); break;
    case kNodalMasses:
      for (int p = 0; p < b.nodeCount(); ++p)
        std::fprintf(out, "  %8d %.15E\n", b.nodes.ids()[p], b.nodalMass[p] * toCurrent(b, dim::kMass));
      break;
    case kNodalInertias:
      for (int p = 0; p < b.nodeCount(); ++p) {
        char label[24];
        std::snprintf(label, sizeof label, "node %d", b.nodes.ids()[p]);
        d.values(label, &b.nodalInertia[6 * static_cast<size_t>(p)], 6, toCurrent(b, dim::kInertia));
      }
      break;
    case kUnitsBlock:
      std::fprintf(out, "  stored:  %s %s %s %s\n", b.storedUnits.names[0].c_str(), b.storedUnits.names[1].c_str(),
                   b.storedUnits.names[2].c_str(), b.storedUnits.names[3].c_str());
      std::fprintf(out, "  current: %s %s %s %s\n", b.currentUnits.names[0].c_str(), b.currentUnits.names[1].c_str(),
                   b.currentUnits.names[2].c_str(), b.currentUnits.names[3].c_str());
      break;
    case kGeneralizedStiff: d.sparse(b.genStiffness, dim::kGenStiffness); break;
    case kGeneralizedMass: d.sparse(b.genMass, dim::kInertia); break;
    case kGeneralizedDamping: d.sparse(b.genDamping, dim::kGenDamping); break;
    case kElementFaces: d.ints("faces (vertex count, node IDs)", b.faces); break;
    case kModeShapeTransformation: d.pairs(b.transformation, dim::kNone); break;
    case kInterfaceNodes: d.ints("interface nodes", b.interfaceNodes); break;
    case kInvar1: d.values("invariant 1", &inv.i1, 1, toCurrent(b, dim::kMass)); break;
    case kInvar2: d.values("invariant 2", inv.i2.data(), 3, toCurrent(b, dim::kFirstMoment)); break;
    case kInvar3: d.perMode(inv.i3, dim::kFirstMoment); break;
    case kInvar4: d.perMode(inv.i4, dim::kInertia); break;
    case kInvar5: d.pairs(inv.i5, dim::kInertia); break;
    case kInvar7: d.values("invariant 7", inv.i7.data(), 9, toCurrent(b, dim::kInertia)); break;
    case kInvar8: d.perMode(inv.i8, dim::kInertia); break;
    case kInvar9: d.pairs(inv.i9, dim::kInertia); break;
    case kPreload:
      std::fprintf(out, "  processed %d\n", b.preloadProcessed);
      d.values("preload", b.preload.data(), b.preload.size(), toCurrent(b, dim::kMoment));
      break;
    case kModalLoads:
      for (size_t c = 0; c < b.modalLoads.size(); ++c) {
        std::fprintf(out, "  case %zu \"%s\" processed %d\n", c, b.modalLoads[c].label.c_str(), b.modalLoads[c].processed);
        d.values("values", b.modalLoads[c].values.data(), b.modalLoads[c].values.size(), toCurrent(b, dim::kMoment));
      }
      break;
    case kModalStatistics:
      for (int i = 0; i < b.modeCount(); ++i) {
        ModeStatistics s = b.statistics(i);
        std::fprintf(out, "  mode %d: displacement %.15E at %d, rotation %.15E at %d, stress %.15E at %d, strain %.15E at %d\n",
                     b.modeNumbers()[i], s.displacement * toCurrent(b, dim::kLength), s.displacementNode, s.rotation,
                     s.rotationNode, s.stress * toCurrent(b, dim::kStress), s.stressNode, s.strain, s.strainNode);
      }
      break;
    case kMatrixOperator:
      for (const MatrixOperator &op : b.matrixOperators) {
        std::fprintf(out, "  operator \"%s\", %zu rows\n", op.name.c_str(), op.labels.size());
        for (const std::string &label : op.labels) std::fprintf(out, "    row \"%s\"\n", label.c_str());
        for (const SubOperator &sub : op.subs) {
          std::fprintf(out, "    sub-operator \"%s\", %d columns\n", sub.tag.c_str(), sub.columns);
          d.values("  values", sub.values.data(), sub.values.size());
        }
      }
      break;
    case kModalLoadNodal:
      for (size_t c = 0; c < b.nodalLoads.size(); ++c) {
        const NodalLoadCase &lc = b.nodalLoads[c];
        std::fprintf(out, "  case %zu, %zu entries (node, coordinate, value)\n", c, lc.nodeIds.size());
        for (size_t k = 0; k < lc.nodeIds.size(); ++k)
          std::fprintf(out, "  %8d %2d %.15E\n", lc.nodeIds[k], lc.coordinates[k],
                       lc.values[k] * toCurrent(b, lc.coordinates[k] <= 3 ? dim::kForce : dim::kMoment));
      }
      break;
    case kMonitorPoint:
      for (const MonitorPoint &p : b.monitorPoints) {
        std::fprintf(out, "  point \"%s\" \"%s\": type %d, result type %d, component %d\n", p.name.c_str(),
                     p.label.c_str(), p.type, p.resultType, p.component);
        d.ints("nodes", p.nodeIds);
        for (int kind = 1; kind <= 4; ++kind)
          if (!p.operators[kind].empty()) {
            char label[24];
            std::snprintf(label, sizeof label, "operator %d", kind);
            d.values(label, p.operators[kind].data(), p.operators[kind].size());
          }
      }
      break;
    case kRotorDynamics:
      if (b.rotor.hasAxis) {
        d.values("axis centre", b.rotor.centre.data(), 3, toCurrent(b, dim::kLength));
        d.values("axis direction", b.rotor.direction.data(), 3);
      }
      for (int k = 0; k < 3; ++k)
        if (!b.rotor.matrices[k].empty()) {
          std::fprintf(out, "  matrix %d\n", k);
          d.pairs(b.rotor.matrices[k], k == 0 ? dim::kGenDamping : dim::kGenStiffness);
        }
      break;
    default: break;
  }
}

}  // namespace

void writeContents(const Body &body, int block, std::FILE *stream) { write(body, block, stream); }

}  // namespace qvb::body
