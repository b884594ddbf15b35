#include "block_codec.h"

#include <algorithm>
#include <cstring>

namespace qvb::body {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "block payloads are little-endian");

bool MemorySource::read(void *data, size_t size) {
  if (size > left_) return false;
  if (size) std::memcpy(data, p_, size);
  p_ += size;
  left_ -= size;
  return true;
}

const void *MemorySource::lend(size_t size, std::shared_ptr<const void> *keeper) {
  if (!keeper_ || size > left_) return nullptr;
  const void *lent = p_;
  p_ += size;
  left_ -= size;
  *keeper = keeper_;
  return lent;
}

namespace {

// ---- writing ---------------------------------------------------------------

class Writer {
 public:
  explicit Writer(ByteSink &sink) : sink_(sink) {}
  template <typename T> void value(T v) { sink_.write(&v, sizeof v); }
  void i32(int v) { value<int32_t>(v); }
  void f64(double v) { value<double>(v); }
  void text(const std::string &s) {
    value<uint32_t>(static_cast<uint32_t>(s.size()));
    sink_.write(s.data(), s.size());
  }
  template <typename T> void array(const std::vector<T> &v) {
    value<uint64_t>(v.size());
    if (!v.empty()) sink_.write(v.data(), v.size() * sizeof(T));
  }
  template <typename T, size_t N> void fixed(const std::array<T, N> &v) { sink_.write(v.data(), sizeof(T) * N); }
  void raw(const ModeValues &v) {
    if (!v.empty()) sink_.write(v.data(), v.size() * sizeof(double));
  }

 private:
  ByteSink &sink_;
};

// ---- reading ---------------------------------------------------------------

class Reader {
 public:
  Reader(ByteSource &source, uint64_t size, int block) : source_(source), left_(size), block_(block) {}

  [[noreturn]] void fail(const std::string &what) const {
    throw CodecError("block " + std::to_string(block_) + " (" + blockName(block_) + ") " + what);
  }
  void bytes(void *data, uint64_t size) {
    if (size > left_ || !source_.read(data, size)) fail("is truncated");
    left_ -= size;
  }
  template <typename T> T value() {
    T v;
    bytes(&v, sizeof v);
    return v;
  }
  int i32() { return value<int32_t>(); }
  double f64() { return value<double>(); }
  uint64_t count(uint64_t elementSize) {
    uint64_t n = value<uint64_t>();
    if (elementSize && n > left_ / elementSize) fail("declares more values than it holds");
    return n;
  }
  std::string text() {
    uint32_t n = value<uint32_t>();
    if (n > left_) fail("declares a longer text than it holds");
    std::string s(n, '\0');
    bytes(s.data(), n);
    return s;
  }
  template <typename T> std::vector<T> array() {
    std::vector<T> v(count(sizeof(T)));
    if (!v.empty()) bytes(v.data(), v.size() * sizeof(T));
    return v;
  }
  template <typename T, size_t N> void fixed(std::array<T, N> &v) { bytes(v.data(), sizeof(T) * N); }
  // Exactly n doubles, without a count in front: borrowed from the source
  // when it lends them on a double's alignment, else copied.
  void raw(ModeValues &v, uint64_t n) {
    if (n > left_ / sizeof(double)) fail("is truncated");
    const uint64_t size = n * sizeof(double);
    std::shared_ptr<const void> keeper;
    const void *lent = n ? source_.lend(size, &keeper) : nullptr;
    if (lent != nullptr && reinterpret_cast<uintptr_t>(lent) % alignof(double) == 0) {
      left_ -= size;
      v = ModeValues::borrowed(std::move(keeper), static_cast<const double *>(lent), n);
      return;
    }
    std::vector<double> values(n);
    if (lent != nullptr) {
      left_ -= size;
      std::memcpy(values.data(), lent, size);
    } else if (n) {
      bytes(values.data(), size);
    }
    v = ModeValues(std::move(values));
  }
  void finish() const {
    if (left_ != 0) fail("has unexpected trailing data");
  }

 private:
  ByteSource &source_;
  uint64_t left_;
  int block_;
};

// ---- pieces shared by several blocks -----------------------------------------

void writeModeVector(Writer &w, const ModeVector &v) {
  w.i32(v.width);
  w.array(v.values);
}
void readModeVector(Reader &r, ModeVector &v, int modes) {
  int width = r.i32();
  std::vector<double> values = r.array<double>();
  if (width != v.width || values.size() != static_cast<size_t>(modes) * width) r.fail("does not match the mode count");
  v.values = std::move(values);
}

void writeModeMatrix(Writer &w, const ModeMatrix &m) {
  w.i32(m.size);
  w.i32(m.width);
  w.array(m.values);
}
void readModeMatrix(Reader &r, ModeMatrix &m, int modes) {
  int size = r.i32(), width = r.i32();
  std::vector<double> values = r.array<double>();
  if (values.empty() && size == 0) {
    m.clear();
    return;
  }
  if (size != modes || width != m.width || values.size() != static_cast<size_t>(size) * size * width)
    r.fail("does not match the mode count");
  m.size = size;
  m.values = std::move(values);
}

void writeSparse(Writer &w, const SparseModeMatrix &m) {
  std::vector<int> rows, columns;
  std::vector<double> values;
  for (const auto &[key, value] : m) {
    rows.push_back(key.first);
    columns.push_back(key.second);
    values.push_back(value);
  }
  w.array(rows);
  w.array(columns);
  w.array(values);
}
void readSparse(Reader &r, SparseModeMatrix &m) {
  std::vector<int> rows = r.array<int32_t>(), columns = r.array<int32_t>();
  std::vector<double> values = r.array<double>();
  if (rows.size() != columns.size() || rows.size() != values.size()) r.fail("has lists of different lengths");
  m.clear();
  for (size_t i = 0; i < rows.size(); ++i) m[{rows[i], columns[i]}] = values[i];
}

// Mode values of one result kind: node IDs, then for each mode a presence
// byte, then the six values per node of every present mode.
void writeKindModes(Writer &w, const ModeKindData &kind) {
  w.i32(kind.doublePrecision);
  w.array(kind.nodes.ids());
  std::vector<uint8_t> present;
  for (const auto &m : kind.modes) present.push_back(m.empty() ? 0 : 1);
  w.array(present);
  for (const auto &m : kind.modes) w.raw(m);
}

void adoptNodes(Reader &r, ModeKindData &kind, std::vector<int> ids) {
  if (kind.nodes.size() == 0) kind.nodes.mutableIds() = std::move(ids);
  else if (kind.nodes.ids() != ids) r.fail("lists other mode nodes than the block before it");
}

void readKindModes(Reader &r, ModeKindData &kind, int modes) {
  kind.doublePrecision = r.i32();
  adoptNodes(r, kind, r.array<int32_t>());
  std::vector<uint8_t> present = r.array<uint8_t>();
  if (present.size() != static_cast<size_t>(modes)) r.fail("does not match the mode count");
  const uint64_t perMode = static_cast<uint64_t>(kind.nodes.size()) * 6;
  kind.modes.assign(modes, {});
  for (int i = 0; i < modes; ++i)
    if (present[i]) r.raw(kind.modes[i], perMode);
}

void writeInitial(Writer &w, const ModeKindData &kind) {
  w.array(kind.nodes.ids());
  w.raw(kind.initial);
}
void readInitial(Reader &r, ModeKindData &kind) {
  adoptNodes(r, kind, r.array<int32_t>());
  r.raw(kind.initial, static_cast<uint64_t>(kind.nodes.size()) * 6);
}

void requireSize(Reader &r, size_t actual, size_t expected) {
  if (actual != expected) r.fail("does not match the node or mode count");
}

// ---- the blocks --------------------------------------------------------------

void encode(const Body &b, int block, Writer &w) {
  const Invariants &inv = b.invariants;
  switch (block) {
    case kVersionBlock: w.i32(b.version); break;
    case kHeaderBlock:
      for (const std::string *s : {&b.header.title, &b.header.text2, &b.header.text3, &b.header.fileType,
                                   &b.header.comment1, &b.header.comment2, &b.header.comment3})
        w.text(*s);
      break;
    case kContentSummary:
      w.i32(b.coarsened);
      w.i32(b.massNormalize);
      w.value<uint64_t>(b.nodeCount());
      w.array(b.modeNumbers());
      break;
    case kNodalCoords: w.array(b.nodes.ids()); w.array(b.coordinates); break;
    case kElementTopology: w.array(b.elementTopology); break;
    case kGlobalBodyProps: w.f64(b.global.mass); w.fixed(b.global.inertia); w.fixed(b.global.centre); break;
    case kEigenvalues: {
      std::vector<double> values(b.modeCount());
      for (int i = 0; i < b.modeCount(); ++i) values[i] = b.eigenvalue(i);
      w.array(values);
      break;
    }
    case kModeShapes: writeKindModes(w, b.kinds[kShape]); break;
    case kModalStress: writeKindModes(w, b.kinds[kStress]); break;
    case kModalStrain: writeKindModes(w, b.kinds[kStrain]); break;
    case kPreStress: writeInitial(w, b.kinds[kStress]); break;
    case kPreStrain: writeInitial(w, b.kinds[kStrain]); break;
    case kNodalMasses: w.array(b.nodalMass); break;
    case kNodalInertias: w.array(b.nodalInertia); break;
    case kUnitsBlock:
      for (const std::string &name : b.storedUnits.names) w.text(name);
      w.fixed(b.storedUnits.si);
      break;
    case kGeneralizedStiff: writeSparse(w, b.genStiffness); break;
    case kGeneralizedMass: writeSparse(w, b.genMass); break;
    case kGeneralizedDamping: writeSparse(w, b.genDamping); break;
    case kElementFaces: w.array(b.faces); break;
    case kModeShapeTransformation: writeModeMatrix(w, b.transformation); break;
    case kInterfaceNodes: w.array(b.interfaceNodes); break;
    case kInvar1: w.f64(inv.i1); break;
    case kInvar2: w.fixed(inv.i2); break;
    case kInvar3: writeModeVector(w, inv.i3); break;
    case kInvar4: writeModeVector(w, inv.i4); break;
    case kInvar5: writeModeMatrix(w, inv.i5); break;
    case kInvar7: w.fixed(inv.i7); break;
    case kInvar8: writeModeVector(w, inv.i8); break;
    case kInvar9: writeModeMatrix(w, inv.i9); break;
    case kPreload: w.i32(b.preloadProcessed); w.array(b.preload); break;
    case kModalLoads:
      w.value<uint32_t>(static_cast<uint32_t>(b.modalLoads.size()));
      for (const ModalLoadCase &c : b.modalLoads) {
        w.text(c.label);
        w.i32(c.processed);
        w.array(c.values);
      }
      break;
    case kModalStatistics:
      w.value<uint32_t>(static_cast<uint32_t>(b.modalStatistics.size()));
      for (const ModeStatistics &s : b.modalStatistics) {
        for (double v : {s.displacement, s.rotation, s.stress, s.strain}) w.f64(v);
        for (int v : {s.displacementNode, s.rotationNode, s.stressNode, s.strainNode}) w.i32(v);
      }
      break;
    case kMatrixOperator:
      w.value<uint32_t>(static_cast<uint32_t>(b.matrixOperators.size()));
      for (const MatrixOperator &op : b.matrixOperators) {
        w.text(op.name);
        w.value<uint32_t>(static_cast<uint32_t>(op.labels.size()));
        for (const std::string &label : op.labels) w.text(label);
        w.value<uint32_t>(static_cast<uint32_t>(op.subs.size()));
        for (const SubOperator &sub : op.subs) {
          w.text(sub.tag);
          w.i32(sub.columns);
          w.array(sub.values);
        }
      }
      break;
    case kModalLoadNodal:
      w.value<uint32_t>(static_cast<uint32_t>(b.nodalLoads.size()));
      for (const NodalLoadCase &c : b.nodalLoads) {
        w.array(c.nodeIds);
        w.array(c.coordinates);
        w.array(c.values);
      }
      break;
    case kMonitorPoint:
      w.value<uint32_t>(static_cast<uint32_t>(b.monitorPoints.size()));
      for (const MonitorPoint &p : b.monitorPoints) {
        w.i32(p.type);
        w.i32(p.resultType);
        w.i32(p.component);
        w.array(p.nodeIds);
        w.text(p.name);
        w.text(p.label);
        for (int kind = 1; kind <= 4; ++kind) {
          w.i32(p.columns[kind]);
          w.array(p.operators[kind]);
        }
      }
      break;
    case kRotorDynamics:
      w.i32(b.rotor.hasAxis ? 1 : 0);
      w.fixed(b.rotor.centre);
      w.fixed(b.rotor.direction);
      for (const ModeMatrix &m : b.rotor.matrices) writeModeMatrix(w, m);
      break;
    default: break;
  }
}

void decode(Body &b, int block, Reader &r) {
  Invariants &inv = b.invariants;
  const int modes = b.modeCount();
  switch (block) {
    case kVersionBlock: b.version = r.i32(); break;
    case kHeaderBlock:
      for (std::string *s : {&b.header.title, &b.header.text2, &b.header.text3, &b.header.fileType,
                             &b.header.comment1, &b.header.comment2, &b.header.comment3})
        *s = r.text();
      break;
    case kContentSummary: {
      b.coarsened = r.i32();
      b.massNormalize = r.i32();
      r.value<uint64_t>();  // node count, informative
      std::vector<int> numbers = r.array<int32_t>();
      std::vector<int> sorted = numbers;
      std::sort(sorted.begin(), sorted.end());
      if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) r.fail("lists a mode number twice");
      b.setModeNumbers(std::move(numbers));
      break;
    }
    case kNodalCoords: {
      std::vector<int> ids = r.array<int32_t>();
      std::vector<double> xyz = r.array<double>();
      requireSize(r, xyz.size(), ids.size() * 3);
      b.nodes.mutableIds() = std::move(ids);
      b.coordinates = std::move(xyz);
      break;
    }
    case kElementTopology: b.elementTopology = r.array<int32_t>(); break;
    case kGlobalBodyProps:
      b.global.mass = r.f64();
      r.fixed(b.global.inertia);
      r.fixed(b.global.centre);
      b.global.present = true;
      break;
    case kEigenvalues:
      b.eigenvalues = r.array<double>();
      requireSize(r, b.eigenvalues.size(), modes);
      if (modes == 0) b.eigenvalues.clear();
      break;
    case kModeShapes: readKindModes(r, b.kinds[kShape], modes); break;
    case kModalStress: readKindModes(r, b.kinds[kStress], modes); break;
    case kModalStrain: readKindModes(r, b.kinds[kStrain], modes); break;
    case kPreStress: readInitial(r, b.kinds[kStress]); break;
    case kPreStrain: readInitial(r, b.kinds[kStrain]); break;
    case kNodalMasses:
      b.nodalMass = r.array<double>();
      requireSize(r, b.nodalMass.size(), b.nodeCount());
      break;
    case kNodalInertias:
      b.nodalInertia = r.array<double>();
      requireSize(r, b.nodalInertia.size(), static_cast<size_t>(b.nodeCount()) * 6);
      break;
    case kUnitsBlock:
      for (std::string &name : b.storedUnits.names) name = r.text();
      r.fixed(b.storedUnits.si);
      for (double si : b.storedUnits.si)
        if (!(si > 0.0)) r.fail("holds a unit size that is not positive");
      b.currentUnits = b.storedUnits;
      break;
    case kGeneralizedStiff: readSparse(r, b.genStiffness); break;
    case kGeneralizedMass: readSparse(r, b.genMass); break;
    case kGeneralizedDamping: readSparse(r, b.genDamping); break;
    case kElementFaces: b.faces = r.array<int32_t>(); break;
    case kModeShapeTransformation: readModeMatrix(r, b.transformation, modes); break;
    case kInterfaceNodes: b.interfaceNodes = r.array<int32_t>(); break;
    case kInvar1: inv.i1 = r.f64(); inv.has[1] = true; break;
    case kInvar2: r.fixed(inv.i2); inv.has[2] = true; break;
    case kInvar3: readModeVector(r, inv.i3, modes); inv.has[3] = true; break;
    case kInvar4: readModeVector(r, inv.i4, modes); inv.has[4] = true; break;
    case kInvar5: readModeMatrix(r, inv.i5, modes); inv.has[5] = true; break;
    case kInvar7: r.fixed(inv.i7); inv.has[7] = true; break;
    case kInvar8: readModeVector(r, inv.i8, modes); inv.has[8] = true; break;
    case kInvar9: readModeMatrix(r, inv.i9, modes); inv.has[9] = true; break;
    case kPreload:
      b.preloadProcessed = r.i32();
      b.preload = r.array<double>();
      requireSize(r, b.preload.size(), modes);
      b.hasPreload = true;
      break;
    case kModalLoads: {
      uint32_t cases = r.value<uint32_t>();
      b.modalLoads.clear();
      for (uint32_t c = 0; c < cases; ++c) {
        ModalLoadCase load;
        load.label = r.text();
        load.processed = r.i32();
        load.values = r.array<double>();
        requireSize(r, load.values.size(), modes);
        b.modalLoads.push_back(std::move(load));
      }
      break;
    }
    case kModalStatistics: {
      uint32_t count = r.value<uint32_t>();
      requireSize(r, count, modes);
      b.modalStatistics.assign(count, {});
      for (ModeStatistics &s : b.modalStatistics) {
        for (double *v : {&s.displacement, &s.rotation, &s.stress, &s.strain}) *v = r.f64();
        for (int *v : {&s.displacementNode, &s.rotationNode, &s.stressNode, &s.strainNode}) *v = r.i32();
      }
      break;
    }
    case kMatrixOperator: {
      uint32_t count = r.value<uint32_t>();
      b.matrixOperators.clear();
      for (uint32_t k = 0; k < count; ++k) {
        MatrixOperator op;
        op.name = r.text();
        uint32_t labels = r.value<uint32_t>();
        for (uint32_t l = 0; l < labels; ++l) op.labels.push_back(r.text());
        uint32_t subs = r.value<uint32_t>();
        for (uint32_t s = 0; s < subs; ++s) {
          SubOperator sub;
          sub.tag = r.text();
          sub.columns = r.i32();
          sub.values = r.array<double>();
          if (sub.columns < 0) r.fail("holds a negative column count");
          requireSize(r, sub.values.size(), op.labels.size() * static_cast<size_t>(sub.columns));
          op.subs.push_back(std::move(sub));
        }
        b.matrixOperators.push_back(std::move(op));
      }
      break;
    }
    case kModalLoadNodal: {
      uint32_t cases = r.value<uint32_t>();
      b.nodalLoads.clear();
      for (uint32_t c = 0; c < cases; ++c) {
        NodalLoadCase load;
        load.nodeIds = r.array<int32_t>();
        load.coordinates = r.array<int32_t>();
        load.values = r.array<double>();
        requireSize(r, load.coordinates.size(), load.nodeIds.size());
        requireSize(r, load.values.size(), load.nodeIds.size());
        b.nodalLoads.push_back(std::move(load));
      }
      break;
    }
    case kMonitorPoint: {
      uint32_t count = r.value<uint32_t>();
      b.monitorPoints.clear();
      for (uint32_t k = 0; k < count; ++k) {
        MonitorPoint p;
        p.type = r.i32();
        p.resultType = r.i32();
        p.component = r.i32();
        p.nodeIds = r.array<int32_t>();
        p.name = r.text();
        p.label = r.text();
        for (int kind = 1; kind <= 4; ++kind) {
          p.columns[kind] = r.i32();
          p.operators[kind] = r.array<double>();
          if (p.columns[kind] < 0) r.fail("holds a negative column count");
          if (!p.operators[kind].empty())
            requireSize(r, p.operators[kind].size(), p.nodeIds.size() * static_cast<size_t>(p.columns[kind]));
        }
        b.monitorPoints.push_back(std::move(p));
      }
      break;
    }
    case kRotorDynamics:
      b.rotor.hasAxis = r.i32() != 0;
      r.fixed(b.rotor.centre);
      r.fixed(b.rotor.direction);
      for (ModeMatrix &m : b.rotor.matrices) readModeMatrix(r, m, modes);
      break;
    default: r.fail("is not a block this library knows");
  }
}

}  // namespace

std::vector<int> storedBlocks(const Body &body) {
  std::vector<int> blocks;
  for (int block = 1; block <= kLastBlock; ++block)
    if (body.exists(block)) blocks.push_back(block);
  return blocks;
}

void encodeBlock(const Body &body, int block, ByteSink &sink) {
  Writer w(sink);
  encode(body, block, w);
}

void decodeBlock(Body &body, int block, ByteSource &source, uint64_t size) {
  Reader r(source, size, block);
  decode(body, block, r);
  r.finish();
  body.invalidateDerived();
}

EncodedBlocks encodeBody(const Body &body) {
  EncodedBlocks blocks;
  for (int block : storedBlocks(body)) {
    std::vector<uint8_t> bytes;
    VectorSink sink(bytes);
    encodeBlock(body, block, sink);
    blocks.emplace_back(block, std::move(bytes));
  }
  return blocks;
}

std::unique_ptr<Body> decodeBody(const EncodedBlocks &blocks) {
  auto body = std::make_unique<Body>();
  int previous = 0;
  for (const auto &[block, bytes] : blocks) {
    if (block <= previous) throw CodecError("blocks are not in ascending order");
    previous = block;
    MemorySource source(bytes.data(), bytes.size());
    decodeBlock(*body, block, source, bytes.size());
  }
  return body;
}

uint64_t modeValuesOffset(const Body &body, int block) {
  auto ids = [](const ModeKindData &kind) { return sizeof(uint64_t) + sizeof(int32_t) * kind.nodes.ids().size(); };
  switch (block) {
    case kModeShapes:
    case kModalStress:
    case kModalStrain: {
      // precision flag, node IDs, presence bytes (see writeKindModes)
      const ModeKindData &kind = body.kinds[block == kModeShapes ? kShape : block == kModalStress ? kStress : kStrain];
      return sizeof(int32_t) + ids(kind) + sizeof(uint64_t) + kind.modes.size();
    }
    case kPreStress: return ids(body.kinds[kStress]);
    case kPreStrain: return ids(body.kinds[kStrain]);
    default: return 0;
  }
}

bool isSurfaceMeshBlock(int block) {
  switch (block) {
    case kVersionBlock: case kHeaderBlock: case kNodalCoords: case kUnitsBlock: case kElementFaces: case kInterfaceNodes: return true;
    default: return false;
  }
}

}  // namespace qvb::body
