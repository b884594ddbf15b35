// The nine inertia invariants of the floating-frame formulation. A stored
// invariant block wins; otherwise the invariant is summed over the nodes from
// nodal masses m_p, nodal inertias J_p, positions x_p, translational shapes
// phi_p and rotational shapes psi_p:
//   I1 = sum m                      I2 = sum m x
//   I3 = sum m phi                  I4 = sum m x × phi + J psi
//   I5(j)[:,k] = sum m phi_j × phi_k
//   I6(j,k) = sum m phi_j . phi_k + psi_j' J psi_k   (generalized mass)
//   I7 = sum m (|x|^2 1 - x x') + J                  (inertia about the origin)
//   I8(j) = sum m skew(x) skew(phi_j)
//   I9(j,k) = sum m skew(phi_j) skew(phi_k)
// using skew(a) skew(b) = b a' - (a . b) 1.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "body.h"
#include "kernels/gram_invariants.h"
#include "platform/worker_threads.h"

namespace qvb::body {
namespace {

// Shapes held at once while invariants 5 and 9 are formed; larger bodies are
// worked through in groups of modes.
constexpr size_t kShapeBudgetBytes = size_t{512} << 20;

struct Vec3 {
  double x, y, z;
};
Vec3 load(const double *v) { return {v[0], v[1], v[2]}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Adds w * skew(a) skew(b) = w (b a' - (a . b) 1) to a row-major 3x3.
void addSkewProduct(double out[9], Vec3 a, Vec3 b, double w) {
  const double av[3] = {a.x, a.y, a.z}, bv[3] = {b.x, b.y, b.z};
  double ab = dot(a, b);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) out[3 * r + c] += w * (bv[r] * av[c] - (r == c ? ab : 0.0));
}

// Full symmetric 3x3 from the six stored components xx yy zz xy xz yz.
void expandInertia(const double *six, double out[9]) {
  out[0] = six[0]; out[4] = six[1]; out[8] = six[2];
  out[1] = out[3] = six[3]; out[2] = out[6] = six[4]; out[5] = out[7] = six[5];
}

// A shape keeps six values per node: the translation, then the rotation.
constexpr size_t kShapeValuesPerNode = 6;

// True when the shapes list the nodes in node order: shape position p is
// node index p (the usual body).
bool shapePositionsAreNodeOrder(const Body &b) { return b.kinds[kShape].nodes.ids() == b.nodes.ids(); }

// Walks the nodes that carry mass with their shape values: position of node
// index p in the shape node list, or -1.
std::vector<int> shapePositions(const Body &b) {
  std::vector<int> positions(b.nodeCount(), -1);
  if (shapePositionsAreNodeOrder(b)) {  // no lookups
    for (int p = 0; p < b.nodeCount(); ++p) positions[p] = p;
    return positions;
  }
  const IdIndex &shapeNodes = b.kinds[kShape].nodes;
  for (int p = 0; p < b.nodeCount(); ++p) positions[p] = shapeNodes.find(b.nodes.ids()[p]);
  return positions;
}

const double *shapeAt(const Body &b, int mode, int position) {
  const ModeValues &values = b.kinds[kShape].modes[mode];
  if (position < 0 || values.empty()) return nullptr;
  return values.data() + static_cast<size_t>(position) * kShapeValuesPerNode;
}

double massOf(const Body &b, int p) { return b.nodalMass.empty() ? 0.0 : b.nodalMass[p]; }

}  // namespace

double Body::invariant1() const {
  if (invariants.has[1]) return invariants.i1;
  double total = 0.0;
  for (double m : nodalMass) total += m;
  return total;
}

std::array<double, 3> Body::invariant2() const {
  if (invariants.has[2]) return invariants.i2;
  std::array<double, 3> sum{};
  for (int p = 0; p < nodeCount(); ++p)
    for (int r = 0; r < 3; ++r) sum[r] += massOf(*this, p) * coordinates[3 * p + r];
  return sum;
}

std::vector<double> Body::invariant34(int which) const {
  const int modes = modeCount();
  const ModeVector &stored = which == 3 ? invariants.i3 : invariants.i4;
  if (invariants.has[which]) {
    std::vector<double> out(static_cast<size_t>(3) * modes, 0.0);
    for (int j = 0; j < modes && j < stored.size(); ++j)
      for (int r = 0; r < 3; ++r) out[static_cast<size_t>(r) * modes + j] = stored.at(j)[r];
    return out;
  }
  computeInvariants348();
  return which == 3 ? computed3_ : computed4_;
}

std::vector<double> Body::invariant5(int modeIndex) const {
  const int modes = modeCount();
  std::vector<double> out(static_cast<size_t>(3) * modes, 0.0);
  if (invariants.has[5]) {
    const ModeMatrix &m = invariants.i5;
    if (modeIndex < m.size)
      for (int k = 0; k < modes && k < m.size; ++k)
        for (int r = 0; r < 3; ++r) out[static_cast<size_t>(r) * modes + k] = m.cell(modeIndex, k)[r];
    return out;
  }
  computeInvariants59();
  std::copy_n(&computed5_[static_cast<size_t>(modeIndex) * 3 * modes], out.size(), out.begin());
  return out;
}

std::vector<double> Body::invariant6() const {
  const int modes = modeCount();
  std::vector<double> out(static_cast<size_t>(modes) * modes, 0.0);
  if (!genMass.empty()) {
    for (int j = 0; j < modes; ++j)
      for (int k = 0; k < modes; ++k)
        out[static_cast<size_t>(j) * modes + k] = sparseEntry(genMass, modeNumbers()[j], modeNumbers()[k]);
    return out;
  }
  std::vector<int> positions = shapePositions(*this);
  double jfull[9] = {};
  for (int p = 0; p < nodeCount(); ++p) {
    double m = massOf(*this, p);
    if (!nodalInertia.empty()) expandInertia(&nodalInertia[6 * p], jfull);
    for (int j = 0; j < modes; ++j) {
      const double *a = shapeAt(*this, j, positions[p]);
      if (!a) continue;
      for (int k = 0; k < modes; ++k) {
        const double *b = shapeAt(*this, k, positions[p]);
        if (!b) continue;
        double v = m * dot(load(a), load(b));
        if (!nodalInertia.empty())
          for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) v += a[3 + r] * jfull[3 * r + c] * b[3 + c];
        out[static_cast<size_t>(j) * modes + k] += v;
      }
    }
  }
  return out;
}

std::array<double, 9> Body::invariant7() const {
  if (invariants.has[7]) return invariants.i7;
  std::array<double, 9> sum{};
  double jfull[9];
  for (int p = 0; p < nodeCount(); ++p) {
    Vec3 x = load(&coordinates[3 * p]);
    addSkewProduct(sum.data(), x, x, -massOf(*this, p));
    if (!nodalInertia.empty()) {
      expandInertia(&nodalInertia[6 * p], jfull);
      for (int k = 0; k < 9; ++k) sum[k] += jfull[k];
    }
  }
  return sum;
}

std::array<double, 9> Body::invariant8(int modeIndex) const {
  std::array<double, 9> out{};
  if (invariants.has[8]) {
    if (modeIndex < invariants.i8.size()) std::copy_n(invariants.i8.at(modeIndex), 9, out.begin());
    return out;
  }
  computeInvariants348();
  if (modeIndex >= 0 && modeIndex < modeCount())
    std::copy_n(&computed8_[static_cast<size_t>(modeIndex) * 9], 9, out.begin());
  return out;
}

std::array<double, 9> Body::invariant9(int modeI, int modeJ) const {
  std::array<double, 9> sum{};
  if (invariants.has[9]) {
    const ModeMatrix &m = invariants.i9;
    if (modeI < m.size && modeJ < m.size) std::copy_n(m.cell(modeI, modeJ), 9, sum.begin());
    return sum;
  }
  computeInvariants59();
  std::copy_n(&computed9_[(static_cast<size_t>(modeI) * modeCount() + modeJ) * 9], 9, sum.begin());
  return sum;
}

// Invariants 3, 4 and 8 are each one sum over the nodes per mode; forming
// them together reads every shape once instead of once per invariant and
// mode. On threads (QVB_THREADS) the modes are shared out whole, so every
// sum runs over the nodes in the same order as on one thread: the same bits
// for any count.
void Body::computeInvariants348() const {
  if (computed348Valid_) return;
  const int modes = modeCount();
  const size_t m = static_cast<size_t>(modes);
  computed3_.assign(3 * m, 0.0);
  computed4_.assign(3 * m, 0.0);
  computed8_.assign(9 * m, 0.0);
  const std::vector<int> positions = shapePositions(*this);
  std::atomic<int> nextMode{0};
  auto work = [&](unsigned) {
    double jfull[9];
    for (int j; (j = nextMode.fetch_add(1)) < modes;) {
      // Summed here, not in the shared arrays: neighbouring modes' sums share
      // cache lines, which two threads would take from each other.
      Vec3 first{0, 0, 0}, second{0, 0, 0};
      double eighth[9] = {};
      for (int p = 0; p < nodeCount(); ++p) {
        const double *s = shapeAt(*this, j, positions[p]);
        if (!s) continue;
        const double mass = massOf(*this, p);
        const Vec3 phi = load(s), x = load(&coordinates[3 * p]);
        first = {first.x + mass * phi.x, first.y + mass * phi.y, first.z + mass * phi.z};
        const Vec3 xp = cross(x, phi);
        second = {second.x + mass * xp.x, second.y + mass * xp.y, second.z + mass * xp.z};
        if (!nodalInertia.empty()) {
          expandInertia(&nodalInertia[6 * p], jfull);
          second.x += jfull[0] * s[3] + jfull[1] * s[4] + jfull[2] * s[5];
          second.y += jfull[3] * s[3] + jfull[4] * s[4] + jfull[5] * s[5];
          second.z += jfull[6] * s[3] + jfull[7] * s[4] + jfull[8] * s[5];
        }
        addSkewProduct(eighth, x, phi, mass);
      }
      for (const auto &[sum, out] : {std::pair{first, &computed3_}, std::pair{second, &computed4_}}) {
        (*out)[j] = sum.x;
        (*out)[m + j] = sum.y;
        (*out)[2 * m + j] = sum.z;
      }
      std::copy_n(eighth, 9, &computed8_[static_cast<size_t>(j) * 9]);
    }
  };
  platform::runOnThreads(std::max(1u, std::min(platform::threadsAskedFor(), static_cast<unsigned>(modes))), work);
  computed348Valid_ = true;
}

// Both invariants of every pair come from the nine component Gram matrices
// of the mass-weighted shapes, which a level-3 kernel forms in one pass; pair
// by pair, the same numbers would cost n^2 passes over all nodes.
void Body::computeInvariants59() const {
  if (computed59Valid_) return;
  const int modes = modeCount();
  std::vector<double> masses(nodeCount());
  for (int p = 0; p < nodeCount(); ++p) masses[p] = massOf(*this, p);
  // The node passes are shared among threads; the result is the same bits
  // for any count.
  const unsigned threads = platform::threadsAskedFor();
  // Where every mode has a shape at every node, in node order (the usual
  // body), the products read the shapes where they lie: no copy of them,
  // whose fresh pages cost more than the copying.
  std::vector<const double *> inPlace;
  const std::vector<ModeValues> &shapes = kinds[kShape].modes;
  if (shapePositionsAreNodeOrder(*this))
    for (size_t j = 0; j < shapes.size() && shapes[j].size() >= static_cast<size_t>(nodeCount()) * kShapeValuesPerNode;
         ++j)
      inPlace.push_back(shapes[j].data());
  if (static_cast<int>(inPlace.size()) == modes) {
    kernels::computeInvariants5And9Where(masses, inPlace, kShapeValuesPerNode, computed5_, computed9_, {}, threads);
  } else {
    const std::vector<int> positions = shapePositions(*this);
    auto fetch = [&](int j, double *shape) {
      for (size_t p = 0; p < positions.size(); ++p) {
        const double *s = shapeAt(*this, j, positions[p]);
        for (int r = 0; r < 3; ++r) shape[3 * p + r] = s ? s[r] : 0.0;
      }
      return true;
    };
    kernels::computeInvariants5And9Streamed(masses, modes, fetch, kShapeBudgetBytes, computed5_, computed9_, {},
                                            threads);
  }
  computed59Valid_ = true;
}

void Body::totalMassInertia(double *mass, double inertia[9], double centre[3]) const {
  if (global.present) {
    *mass = global.mass;
    std::copy(global.inertia.begin(), global.inertia.end(), inertia);
    std::copy(global.centre.begin(), global.centre.end(), centre);
    return;
  }
  double m = invariant1();
  std::array<double, 3> first = invariant2();
  std::array<double, 9> origin = invariant7();
  Vec3 c{0, 0, 0};
  if (m != 0.0) c = {first[0] / m, first[1] / m, first[2] / m};
  // Parallel-axis shift from the origin to the centre of mass.
  double shifted[9] = {};
  addSkewProduct(shifted, c, c, m);
  for (int k = 0; k < 9; ++k) inertia[k] = origin[k] + shifted[k];
  *mass = m;
  centre[0] = c.x; centre[1] = c.y; centre[2] = c.z;
}

}  // namespace qvb::body
