// Every block of a flexible body: name, presence, payload layout and dump.
//
// A payload layout is one generic function over (io, body): with a
// BlockWriter and a const Body it encodes, with a BlockReader and a Body it
// decodes, so the two directions cannot disagree about the bytes. Payloads
// are little-endian; arrays are a 64-bit count and the raw values, so that
// decoding copies them straight into the body's arrays; lists of records are
// a 32-bit count and the records. Values are in the body's stored units
// (block 11 names them).
#include "block_table.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "block_dump.h"
#include "block_io.h"
#include "slot_support.h"

namespace qvb::body {
namespace {

// ---- fields shared by several blocks -------------------------------------------

const std::vector<int> &idsOf(const IdIndex &index) { return index.ids(); }
std::vector<int> &idsOf(IdIndex &index) { return index.mutableIds(); }

template <typename H> auto headerTexts(H &h) {
  return std::array{&h.title, &h.text2, &h.text3, &h.fileType, &h.comment1, &h.comment2, &h.comment3};
}

// A 32-bit count, then each record; `expected`, when given, is the count
// that decoding accepts.
template <typename Io, typename List, typename Record>
void list(Io &io, List &items, Record record, const size_t *expected = nullptr) {
  uint32_t count = static_cast<uint32_t>(items.size());
  io.u32(count);
  if (expected != nullptr) io.expectSize(count, *expected);
  if constexpr (kDecoding<Io>) {
    items.clear();
    for (uint32_t k = 0; k < count; ++k) record(io, items.emplace_back());
  } else {
    for (const auto &item : items) record(io, item);
  }
}

template <typename Io, typename BodyType> void modeNumbers(Io &io, BodyType &b) {
  if constexpr (kDecoding<Io>) {
    std::vector<int> numbers;
    io.array(numbers);
    std::vector<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    io.require(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(), "lists a mode number twice");
    b.setModeNumbers(std::move(numbers));
  } else {
    io.array(b.modeNumbers());
  }
}

// Stored eigenvalues, or those derived from the generalized diagonals.
template <typename Io, typename BodyType> void eigenvalues(Io &io, BodyType &b) {
  const int modes = b.modeCount();
  if constexpr (kDecoding<Io>) {
    io.array(b.eigenvalues);
    io.expectSize(b.eigenvalues.size(), modes);
    if (modes == 0) b.eigenvalues.clear();
  } else {
    std::vector<double> values(modes);
    for (int i = 0; i < modes; ++i) values[i] = b.eigenvalue(i);
    io.array(values);
  }
}

template <typename Io, typename Vector> void modeVector(Io &io, Vector &v, int modes) {
  int width = v.width;
  io.i32(width);
  io.array(v.values);
  io.require(width == v.width && v.values.size() == static_cast<size_t>(modes) * v.width,
             "does not match the mode count");
}

// Empty, or `modes` x `modes` cells of `width` values.
template <typename Io, typename Matrix> void modeMatrix(Io &io, Matrix &m, int modes) {
  int size = m.size, width = m.width;
  io.i32(size);
  io.i32(width);
  io.array(m.values);
  if constexpr (kDecoding<Io>) {
    if (m.values.empty() && size == 0) {
      m.clear();
      return;
    }
    io.require(size == modes && width == m.width &&
                   m.values.size() == static_cast<size_t>(size) * size * width,
               "does not match the mode count");
    m.size = size;
  }
}

// Three parallel arrays: row mode numbers, column mode numbers, values.
template <typename Io, typename Sparse> void sparse(Io &io, Sparse &m) {
  std::vector<int> rows, columns;
  std::vector<double> values;
  if constexpr (!kDecoding<Io>) {
    for (const auto &[key, value] : m) {
      rows.push_back(key.first);
      columns.push_back(key.second);
      values.push_back(value);
    }
  }
  io.array(rows);
  io.array(columns);
  io.array(values);
  if constexpr (kDecoding<Io>) {
    io.require(rows.size() == columns.size() && rows.size() == values.size(), "has lists of different lengths");
    m.clear();
    for (size_t i = 0; i < rows.size(); ++i) m[{rows[i], columns[i]}] = values[i];
  }
}

// The node IDs of one result kind; every block of the kind lists the same.
template <typename Io, typename Kind> void modeNodes(Io &io, Kind &kind) {
  if constexpr (kDecoding<Io>) {
    std::vector<int> ids;
    io.array(ids);
    if (kind.nodes.size() == 0) kind.nodes.mutableIds() = std::move(ids);
    else io.require(kind.nodes.ids() == ids, "lists other mode nodes than the block before it");
  } else {
    io.array(kind.nodes.ids());
  }
}

// Mode values of one result kind: precision flag, node IDs, a presence byte
// per mode, then the six values per node of every present mode.
template <typename Io, typename Kind> void kindModes(Io &io, Kind &kind, int modes) {
  io.i32(kind.doublePrecision);
  modeNodes(io, kind);
  std::vector<uint8_t> present;
  if constexpr (!kDecoding<Io>)
    for (const ModeValues &m : kind.modes) present.push_back(m.empty() ? 0 : 1);
  io.array(present);
  if constexpr (kDecoding<Io>) {
    io.require(present.size() == static_cast<size_t>(modes), "does not match the mode count");
    kind.modes.assign(modes, {});
  }
  io.markModeValues();
  const uint64_t perMode = static_cast<uint64_t>(kind.nodes.size()) * 6;
  for (size_t i = 0; i < present.size(); ++i)
    if (present[i]) io.modeValues(kind.modes[i], perMode);
}

// Pre-stress or pre-strain: node IDs, then six values per node.
template <typename Io, typename Kind> void initialValues(Io &io, Kind &kind) {
  modeNodes(io, kind);
  io.markModeValues();
  io.modeValues(kind.initial, static_cast<uint64_t>(kind.nodes.size()) * 6);
}

template <typename Io, typename BodyType> void modalStatistics(Io &io, BodyType &b) {
  const size_t modes = b.modeCount();
  list(io, b.modalStatistics, [](auto &io, auto &s) {
    for (auto *v : {&s.displacement, &s.rotation, &s.stress, &s.strain}) io.f64(*v);
    for (auto *v : {&s.displacementNode, &s.rotationNode, &s.stressNode, &s.strainNode}) io.i32(*v);
  }, &modes);
}

template <typename Io, typename BodyType> void matrixOperators(Io &io, BodyType &b) {
  list(io, b.matrixOperators, [](auto &io, auto &op) {
    io.text(op.name);
    list(io, op.labels, [](auto &io, auto &label) { io.text(label); });
    list(io, op.subs, [&op](auto &io, auto &sub) {
      io.text(sub.tag);
      io.i32(sub.columns);
      io.array(sub.values);
      io.require(sub.columns >= 0, "holds a negative column count");
      io.expectSize(sub.values.size(), op.labels.size() * static_cast<size_t>(sub.columns));
    });
  });
}

template <typename Io, typename BodyType> void monitorPoints(Io &io, BodyType &b) {
  list(io, b.monitorPoints, [](auto &io, auto &p) {
    io.i32(p.type);
    io.i32(p.resultType);
    io.i32(p.component);
    io.array(p.nodeIds);
    io.text(p.name);
    io.text(p.label);
    for (int kind = 1; kind <= 4; ++kind) {  // displacement, velocity, acceleration, load
      io.i32(p.columns[kind]);
      io.array(p.operators[kind]);
      io.require(p.columns[kind] >= 0, "holds a negative column count");
      if (!p.operators[kind].empty())
        io.expectSize(p.operators[kind].size(), p.nodeIds.size() * static_cast<size_t>(p.columns[kind]));
    }
  });
}

// ---- dumps shared by several blocks -----------------------------------------------

void dumpUnits(std::FILE *out, const char *label, const UnitSystem &u) {
  std::fprintf(out, "  %s %s %s %s %s\n", label, u.names[0].c_str(), u.names[1].c_str(), u.names[2].c_str(),
               u.names[3].c_str());
}

// ---- the table ------------------------------------------------------------------------

using Present = bool (*)(const Body &);
using Dump = void (*)(BlockDump &, const Body &);

// One entry; `layout` is the generic (io, body) function of the payload.
template <typename Layout>
constexpr BlockLayout block(int number, const char *name, unsigned traits, Present present, Layout layout,
                            Dump dump) {
  return {number, name, traits, present, layout, layout, dump};
}

constexpr bool always(const Body &) { return true; }

}  // namespace

constexpr std::array<BlockLayout, 36> kBlockTable = {{
    block(kVersionBlock, "version_code", kSurfaceMesh | kUnitFree, always,
          [](auto &io, auto &b) { io.i32(b.version); },
          [](BlockDump &d, const Body &b) { std::fprintf(d.out(), "  version %d\n", b.version); }),
    block(kHeaderBlock, "header", kSurfaceMesh | kUnitFree, always,
          [](auto &io, auto &b) {
            for (auto *text : headerTexts(b.header)) io.text(*text);
          },
          [](BlockDump &d, const Body &b) {
            for (const std::string *text : headerTexts(b.header)) std::fprintf(d.out(), "  \"%s\"\n", text->c_str());
          }),
    block(kContentSummary, "content_summary", kUnitFree,
          [](const Body &b) { return b.nodeCount() > 0 || b.modeCount() > 0; },
          [](auto &io, auto &b) {
            io.i32(b.coarsened);
            io.i32(b.massNormalize);
            uint64_t nodes = b.nodeCount();  // informative: decoding counts the node block
            io.u64(nodes);
            modeNumbers(io, b);
          },
          [](BlockDump &d, const Body &b) {
            std::fprintf(d.out(), "  %d nodes, %d modes, coarsened %d, mass-normalise %d\n", b.nodeCount(),
                         b.modeCount(), b.coarsened, b.massNormalize);
            d.ints("mode numbers", b.modeNumbers());
          }),
    block(kNodalCoords, "nodal_coords", kSurfaceMesh, [](const Body &b) { return b.nodeCount() > 0; },
          [](auto &io, auto &b) {
            io.array(idsOf(b.nodes));
            io.array(b.coordinates);
            io.expectSize(b.coordinates.size(), b.nodes.ids().size() * 3);
          },
          [](BlockDump &d, const Body &b) {
            const double f = toCurrent(b, dim::kLength);
            for (int p = 0; p < b.nodeCount(); ++p)
              std::fprintf(d.out(), "  %8d %.15E %.15E %.15E\n", b.nodes.ids()[p], b.coordinates[3 * p] * f,
                           b.coordinates[3 * p + 1] * f, b.coordinates[3 * p + 2] * f);
          }),
    block(kElementTopology, "element_topology", kUnitFree, [](const Body &b) { return !b.elementTopology.empty(); },
          [](auto &io, auto &b) { io.array(b.elementTopology); },
          [](BlockDump &d, const Body &b) { d.ints("element topology", b.elementTopology); }),
    block(kGlobalBodyProps, "global_body_props", kNoTraits, [](const Body &b) { return b.global.present; },
          [](auto &io, auto &b) {
            io.f64(b.global.mass);
            io.fixed(b.global.inertia);
            io.fixed(b.global.centre);
            io.set(b.global.present, true);
          },
          [](BlockDump &d, const Body &b) {
            d.values("mass", &b.global.mass, 1, toCurrent(b, dim::kMass));
            d.values("inertia", b.global.inertia.data(), 9, toCurrent(b, dim::kInertia));
            d.values("centre", b.global.centre.data(), 3, toCurrent(b, dim::kLength));
          }),
    block(kEigenvalues, "eigenvalues", kNoTraits, [](const Body &b) { return b.hasEigenvalues(); },
          [](auto &io, auto &b) { eigenvalues(io, b); },
          [](BlockDump &d, const Body &b) {
            for (int i = 0; i < b.modeCount(); ++i)
              std::fprintf(d.out(), "  %8d %.15E\n", b.modeNumbers()[i],
                           b.eigenvalue(i) * toCurrent(b, dim::kEigenvalue));
          }),
    block(kModeShapes, "mode_shapes", kNoTraits,
          [](const Body &b) { return b.kinds[kShape].nodes.size() > 0 && b.kinds[kShape].hasModeValues(); },
          [](auto &io, auto &b) { kindModes(io, b.kinds[kShape], b.modeCount()); },
          [](BlockDump &d, const Body &) { d.kind(kShape, false); }),
    block(kNodalMasses, "nodal_masses", kNoTraits, [](const Body &b) { return !b.nodalMass.empty(); },
          [](auto &io, auto &b) {
            io.array(b.nodalMass);
            io.expectSize(b.nodalMass.size(), b.nodeCount());
          },
          [](BlockDump &d, const Body &b) {
            for (int p = 0; p < b.nodeCount(); ++p)
              std::fprintf(d.out(), "  %8d %.15E\n", b.nodes.ids()[p], b.nodalMass[p] * toCurrent(b, dim::kMass));
          }),
    block(kNodalInertias, "nodal_inertias", kNoTraits, [](const Body &b) { return !b.nodalInertia.empty(); },
          [](auto &io, auto &b) {
            io.array(b.nodalInertia);
            io.expectSize(b.nodalInertia.size(), static_cast<size_t>(b.nodeCount()) * 6);
          },
          [](BlockDump &d, const Body &b) {
            for (int p = 0; p < b.nodeCount(); ++p) {
              char label[24];
              std::snprintf(label, sizeof label, "node %d", b.nodes.ids()[p]);
              d.values(label, &b.nodalInertia[6 * static_cast<size_t>(p)], 6, toCurrent(b, dim::kInertia));
            }
          }),
    block(kUnitsBlock, "units", kSurfaceMesh | kUnitFree, always,
          [](auto &io, auto &b) {
            for (auto &name : b.storedUnits.names) io.text(name);
            io.fixed(b.storedUnits.si);
            for (double si : b.storedUnits.si) io.require(si > 0.0, "holds a unit size that is not positive");
            io.set(b.currentUnits, b.storedUnits);
          },
          [](BlockDump &d, const Body &b) {
            dumpUnits(d.out(), "stored: ", b.storedUnits);
            dumpUnits(d.out(), "current:", b.currentUnits);
          }),
    block(kGeneralizedStiff, "generalized_stiff", kNoTraits, [](const Body &b) { return !b.genStiffness.empty(); },
          [](auto &io, auto &b) { sparse(io, b.genStiffness); },
          [](BlockDump &d, const Body &b) { d.sparse(b.genStiffness, dim::kGenStiffness); }),
    block(kGeneralizedMass, "generalized_mass", kNoTraits, [](const Body &b) { return !b.genMass.empty(); },
          [](auto &io, auto &b) { sparse(io, b.genMass); },
          [](BlockDump &d, const Body &b) { d.sparse(b.genMass, dim::kInertia); }),
    block(kElementFaces, "element_faces", kSurfaceMesh | kUnitFree, [](const Body &b) { return !b.faces.empty(); },
          [](auto &io, auto &b) { io.array(b.faces); },
          [](BlockDump &d, const Body &b) { d.ints("faces (vertex count, node IDs)", b.faces); }),
    block(kGeneralizedDamping, "generalized_damping", kNoTraits,
          [](const Body &b) { return !b.genDamping.empty(); },
          [](auto &io, auto &b) { sparse(io, b.genDamping); },
          [](BlockDump &d, const Body &b) { d.sparse(b.genDamping, dim::kGenDamping); }),
    block(kModeShapeTransformation, "mode_shape_transformation", kUnitFree,
          [](const Body &b) { return !b.transformation.empty(); },
          [](auto &io, auto &b) { modeMatrix(io, b.transformation, b.modeCount()); },
          [](BlockDump &d, const Body &b) { d.pairs(b.transformation, dim::kNone); }),
    block(kInterfaceNodes, "interface_nodes", kSurfaceMesh | kUnitFree,
          [](const Body &b) { return !b.interfaceNodes.empty(); },
          [](auto &io, auto &b) { io.array(b.interfaceNodes); },
          [](BlockDump &d, const Body &b) { d.ints("interface nodes", b.interfaceNodes); }),
    block(kModalStress, "modal_stress", kNoTraits, [](const Body &b) { return b.kinds[kStress].hasModeValues(); },
          [](auto &io, auto &b) { kindModes(io, b.kinds[kStress], b.modeCount()); },
          [](BlockDump &d, const Body &) { d.kind(kStress, false); }),
    block(kInvar1, "invar1", kNoTraits, [](const Body &b) { return b.invariants.has[1]; },
          [](auto &io, auto &b) {
            io.f64(b.invariants.i1);
            io.set(b.invariants.has[1], true);
          },
          [](BlockDump &d, const Body &b) { d.values("invariant 1", &b.invariants.i1, 1, toCurrent(b, dim::kMass)); }),
    block(kInvar2, "invar2", kNoTraits, [](const Body &b) { return b.invariants.has[2]; },
          [](auto &io, auto &b) {
            io.fixed(b.invariants.i2);
            io.set(b.invariants.has[2], true);
          },
          [](BlockDump &d, const Body &b) {
            d.values("invariant 2", b.invariants.i2.data(), 3, toCurrent(b, dim::kFirstMoment));
          }),
    block(kInvar3, "invar3", kNoTraits, [](const Body &b) { return b.invariants.has[3]; },
          [](auto &io, auto &b) {
            modeVector(io, b.invariants.i3, b.modeCount());
            io.set(b.invariants.has[3], true);
          },
          [](BlockDump &d, const Body &b) { d.perMode(b.invariants.i3, dim::kFirstMoment); }),
    block(kInvar4, "invar4", kNoTraits, [](const Body &b) { return b.invariants.has[4]; },
          [](auto &io, auto &b) {
            modeVector(io, b.invariants.i4, b.modeCount());
            io.set(b.invariants.has[4], true);
          },
          [](BlockDump &d, const Body &b) { d.perMode(b.invariants.i4, dim::kInertia); }),
    block(kInvar5, "invar5", kNoTraits, [](const Body &b) { return b.invariants.has[5]; },
          [](auto &io, auto &b) {
            modeMatrix(io, b.invariants.i5, b.modeCount());
            io.set(b.invariants.has[5], true);
          },
          [](BlockDump &d, const Body &b) { d.pairs(b.invariants.i5, dim::kInertia); }),
    block(kInvar7, "invar7", kNoTraits, [](const Body &b) { return b.invariants.has[7]; },
          [](auto &io, auto &b) {
            io.fixed(b.invariants.i7);
            io.set(b.invariants.has[7], true);
          },
          [](BlockDump &d, const Body &b) {
            d.values("invariant 7", b.invariants.i7.data(), 9, toCurrent(b, dim::kInertia));
          }),
    block(kInvar8, "invar8", kNoTraits, [](const Body &b) { return b.invariants.has[8]; },
          [](auto &io, auto &b) {
            modeVector(io, b.invariants.i8, b.modeCount());
            io.set(b.invariants.has[8], true);
          },
          [](BlockDump &d, const Body &b) { d.perMode(b.invariants.i8, dim::kInertia); }),
    block(kInvar9, "invar9", kNoTraits, [](const Body &b) { return b.invariants.has[9]; },
          [](auto &io, auto &b) {
            modeMatrix(io, b.invariants.i9, b.modeCount());
            io.set(b.invariants.has[9], true);
          },
          [](BlockDump &d, const Body &b) { d.pairs(b.invariants.i9, dim::kInertia); }),
    block(kPreload, "preload", kNoTraits, [](const Body &b) { return b.hasPreload; },
          [](auto &io, auto &b) {
            io.i32(b.preloadProcessed);
            io.array(b.preload);
            io.expectSize(b.preload.size(), b.modeCount());
            io.set(b.hasPreload, true);
          },
          [](BlockDump &d, const Body &b) {
            std::fprintf(d.out(), "  processed %d\n", b.preloadProcessed);
            d.values("preload", b.preload.data(), b.preload.size(), toCurrent(b, dim::kMoment));
          }),
    block(kModalLoads, "modal_loads", kNoTraits, [](const Body &b) { return !b.modalLoads.empty(); },
          [](auto &io, auto &b) {
            const size_t modes = b.modeCount();
            list(io, b.modalLoads, [modes](auto &io, auto &load) {
              io.text(load.label);
              io.i32(load.processed);
              io.array(load.values);
              io.expectSize(load.values.size(), modes);
            });
          },
          [](BlockDump &d, const Body &b) {
            for (size_t c = 0; c < b.modalLoads.size(); ++c) {
              const ModalLoadCase &load = b.modalLoads[c];
              std::fprintf(d.out(), "  case %zu \"%s\" processed %d\n", c, load.label.c_str(), load.processed);
              d.values("values", load.values.data(), load.values.size(), toCurrent(b, dim::kMoment));
            }
          }),
    block(kModalStrain, "modal_strain", kNoTraits, [](const Body &b) { return b.kinds[kStrain].hasModeValues(); },
          [](auto &io, auto &b) { kindModes(io, b.kinds[kStrain], b.modeCount()); },
          [](BlockDump &d, const Body &) { d.kind(kStrain, false); }),
    block(kModalStatistics, "modal_statistics", kNoTraits, [](const Body &b) { return !b.modalStatistics.empty(); },
          [](auto &io, auto &b) { modalStatistics(io, b); },
          [](BlockDump &d, const Body &b) {
            for (int i = 0; i < b.modeCount(); ++i) {
              ModeStatistics s = b.statistics(i);
              std::fprintf(d.out(),
                           "  mode %d: displacement %.15E at %d, rotation %.15E at %d, stress %.15E at %d, strain "
                           "%.15E at %d\n",
                           b.modeNumbers()[i], s.displacement * toCurrent(b, dim::kLength), s.displacementNode,
                           s.rotation, s.rotationNode, s.stress * toCurrent(b, dim::kStress), s.stressNode, s.strain,
                           s.strainNode);
            }
          }),
    block(kPreStress, "pre_stress", kNoTraits, [](const Body &b) { return !b.kinds[kStress].initial.empty(); },
          [](auto &io, auto &b) { initialValues(io, b.kinds[kStress]); },
          [](BlockDump &d, const Body &) { d.kind(kStress, true); }),
    block(kPreStrain, "pre_strain", kNoTraits, [](const Body &b) { return !b.kinds[kStrain].initial.empty(); },
          [](auto &io, auto &b) { initialValues(io, b.kinds[kStrain]); },
          [](BlockDump &d, const Body &) { d.kind(kStrain, true); }),
    block(kMatrixOperator, "matrix_operator", kNoTraits, [](const Body &b) { return !b.matrixOperators.empty(); },
          [](auto &io, auto &b) { matrixOperators(io, b); },
          [](BlockDump &d, const Body &b) {
            std::FILE *out = d.out();
            for (const MatrixOperator &op : b.matrixOperators) {
              std::fprintf(out, "  operator \"%s\", %zu rows\n", op.name.c_str(), op.labels.size());
              for (const std::string &label : op.labels) std::fprintf(out, "    row \"%s\"\n", label.c_str());
              for (const SubOperator &sub : op.subs) {
                std::fprintf(out, "    sub-operator \"%s\", %d columns\n", sub.tag.c_str(), sub.columns);
                d.values("  values", sub.values.data(), sub.values.size());
              }
            }
          }),
    block(kModalLoadNodal, "modal_load_nodal", kNoTraits, [](const Body &b) { return !b.nodalLoads.empty(); },
          [](auto &io, auto &b) {
            list(io, b.nodalLoads, [](auto &io, auto &load) {
              io.array(load.nodeIds);
              io.array(load.coordinates);
              io.array(load.values);
              io.expectSize(load.coordinates.size(), load.nodeIds.size());
              io.expectSize(load.values.size(), load.nodeIds.size());
            });
          },
          [](BlockDump &d, const Body &b) {
            for (size_t c = 0; c < b.nodalLoads.size(); ++c) {
              const NodalLoadCase &load = b.nodalLoads[c];
              std::fprintf(d.out(), "  case %zu, %zu entries (node, coordinate, value)\n", c, load.nodeIds.size());
              for (size_t k = 0; k < load.nodeIds.size(); ++k)
                std::fprintf(d.out(), "  %8d %2d %.15E\n", load.nodeIds[k], load.coordinates[k],
                             load.values[k] * toCurrent(b, load.coordinates[k] <= 3 ? dim::kForce : dim::kMoment));
            }
          }),
    block(kMonitorPoint, "monitor_point", kNoTraits, [](const Body &b) { return !b.monitorPoints.empty(); },
          [](auto &io, auto &b) { monitorPoints(io, b); },
          [](BlockDump &d, const Body &b) {
            for (const MonitorPoint &p : b.monitorPoints) {
              std::fprintf(d.out(), "  point \"%s\" \"%s\": type %d, result type %d, component %d\n",
                           p.name.c_str(), p.label.c_str(), p.type, p.resultType, p.component);
              d.ints("nodes", p.nodeIds);
              for (int kind = 1; kind <= 4; ++kind)
                if (!p.operators[kind].empty()) {
                  char label[24];
                  std::snprintf(label, sizeof label, "operator %d", kind);
                  d.values(label, p.operators[kind].data(), p.operators[kind].size());
                }
            }
          }),
    block(kRotorDynamics, "rotor_dynamics", kNoTraits, [](const Body &b) { return b.rotor.present(); },
          [](auto &io, auto &b) {
            int hasAxis = b.rotor.hasAxis ? 1 : 0;
            io.i32(hasAxis);
            io.set(b.rotor.hasAxis, hasAxis != 0);
            io.fixed(b.rotor.centre);
            io.fixed(b.rotor.direction);
            for (auto &m : b.rotor.matrices) modeMatrix(io, m, b.modeCount());
          },
          [](BlockDump &d, const Body &b) {
            if (b.rotor.hasAxis) {
              d.values("axis centre", b.rotor.centre.data(), 3, toCurrent(b, dim::kLength));
              d.values("axis direction", b.rotor.direction.data(), 3);
            }
            for (int k = 0; k < 3; ++k)  // gyroscopic, circulation, differential stiffness
              if (!b.rotor.matrices[k].empty()) {
                std::fprintf(d.out(), "  matrix %d\n", k);
                d.pairs(b.rotor.matrices[k], k == 0 ? dim::kGenDamping : dim::kGenStiffness);
              }
          }),
}};

static_assert([] {
  for (size_t k = 1; k < kBlockTable.size(); ++k)
    if (kBlockTable[k].number <= kBlockTable[k - 1].number) return false;
  return kBlockTable.front().number == 1 && kBlockTable.back().number == kLastBlock;
}(), "the table lists every block once, in ascending order");

const BlockLayout *findBlock(int number) {
  static const std::array<const BlockLayout *, kLastBlock + 1> byNumber = [] {
    std::array<const BlockLayout *, kLastBlock + 1> index{};
    for (const BlockLayout &layout : kBlockTable) index[layout.number] = &layout;
    return index;
  }();
  return number >= 1 && number <= kLastBlock ? byNumber[number] : nullptr;
}

const char *blockName(int block) {
  const BlockLayout *layout = findBlock(block);
  return layout != nullptr ? layout->name : "";
}

}  // namespace qvb::body
