#include "kernels/gram_invariants.h"
#include "kernels/large_array.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "kernels/blas_lapack.h"
#include "platform/worker_threads.h"


namespace qvb::kernels {

namespace {

// Packed node chunks hold about this many bytes: large enough for the BLAS
// to run at full speed, small enough to stay in cache while packing.
constexpr size_t kChunkBytes = size_t{4} << 20;

// C += alpha * A^T B with A (rows x aCols) and B (rows x bCols) column-major
// and C aCols x bCols column-major. With a == b only the upper triangle of
// C is updated (the symmetric case, half the work).
void productUpdate(int rows, int aCols, int bCols, double alpha, const double *a, const double *b,
                   double *c) {
  if (rows == 0) return;
#ifdef QVB_HAVE_BLAS
  // The serial OpenBLAS takes its work buffers from one pool without a
  // lock: two products at once may be handed the same buffer and spoil
  // each other's sums (seen as invariants that differed between runs on
  // two threads). The products take turns; the packing runs in parallel.
  static std::mutex blasTurn;
  std::lock_guard<std::mutex> turn(blasTurn);
  const double one = 1.0;
  if (a == b)
    dsyrk_("U", "T", &aCols, &rows, &alpha, a, &rows, &one, c, &aCols, 1, 1);
  else
    dgemm_("T", "N", &aCols, &bCols, &rows, &alpha, a, &rows, b, &rows, &one, c, &aCols, 1, 1);
#else
  for (int j = 0; j < bCols; ++j) {
    const double *bj = b + static_cast<size_t>(j) * rows;
    const int last = a == b ? j + 1 : aCols;
    for (int i = 0; i < last; ++i) {
      const double *ai = a + static_cast<size_t>(i) * rows;
      double sum = 0.0;
      for (int q = 0; q < rows; ++q) sum += ai[q] * bj[q];
      c[i + static_cast<size_t>(j) * aCols] += alpha * sum;
    }
  }
#endif
}

// Calls onMode(j) for every j whose share of the work has started, so the
// progress output keeps pace with the node passes. Only the calling thread
// reports; the other threads' work is counted in as it is done.
class Progress {
 public:
  Progress(int modes, double totalWork, const std::function<void(int)> &onMode)
      : modes_(modes), total_(totalWork > 0 ? totalWork : 1.0), onMode_(onMode) {}
  void advance(double work) {
    done_ += work;
    const double share = std::min(1.0, done_ / total_);
    const int due = std::min(modes_, static_cast<int>(share * modes_) + 1);
    while (next_ < due) report();
  }
  void finish() {
    while (next_ < modes_) report();
  }

 private:
  void report() {
    if (onMode_) onMode_(next_);
    ++next_;
  }
  int modes_;
  double total_;
  double done_ = 0.0;
  int next_ = 0;
  const std::function<void(int)> &onMode_;
};

// Work done on other threads, handed to the calling thread's Progress.
class SharedProgress {
 public:
  explicit SharedProgress(Progress &progress) : progress_(progress) {}
  void add(unsigned thread, double work) {
    std::lock_guard<std::mutex> hold(lock_);
    pending_ += work;
    if (thread != 0) return;
    progress_.advance(pending_);
    pending_ = 0.0;
  }
  void drain() {
    progress_.advance(pending_);
    pending_ = 0.0;
  }

 private:
  Progress &progress_;
  std::mutex lock_;
  double pending_ = 0.0;
};

// The nodes of a chunk that enter one product, with their weights.
struct Rows {
  std::vector<size_t> node;
  std::vector<double> weight;
  void clear() {
    node.clear();
    weight.clear();
  }
  void add(size_t p, double w) {
    node.push_back(p);
    weight.push_back(w);
  }
  int count() const { return static_cast<int>(node.size()); }
};

// What one thread packs chunks into.
struct Workspace {
  Rows plus, minus;
  std::vector<double> packedA, packedB;
};

// The node chunks are summed in slabs: each slab's chunks in order into a
// slab sum of its own, then the slab sums in order. The slabs depend on the
// sizes only, never on the thread count, so every thread count adds the
// same numbers in the same order and the invariants are the same bits.
constexpr size_t kMostSlabs = 12;                // shares evenly among 2, 3, 4 or 6 threads
constexpr size_t kSlabBytes = size_t{96} << 20;  // all slab sums together

size_t slabCount(size_t chunks, size_t outValues) {
  const size_t byBudget = std::max<size_t>(1, kSlabBytes / (outValues * sizeof(double)));
  return std::max<size_t>(1, std::min({kMostSlabs, chunks, byBudget}));
}

// out (outValues) = the sum over the node chunks of update(workspace,
// first node, node count, sum), on up to `threads` threads.
template <typename ChunkUpdate>
void sumOverChunks(size_t nodes, size_t chunk, size_t outValues, double workPerNode, unsigned threads,
                   Progress &progress, const ChunkUpdate &update, std::vector<double> &out) {
  const size_t chunks = (nodes + chunk - 1) / chunk;
  const size_t slabs = slabCount(chunks, outValues);
  std::vector<std::vector<double>> sums(slabs);
  std::atomic<size_t> nextSlab{0};
  SharedProgress shared(progress);
  auto work = [&](unsigned thread) {
    Workspace space;
    for (size_t s; (s = nextSlab.fetch_add(1)) < slabs;) {
      std::vector<double> &sum = sums[s];
      sum.assign(outValues, 0.0);
      for (size_t c = s * chunks / slabs; c < (s + 1) * chunks / slabs; ++c) {
        const size_t first = c * chunk, count = std::min(chunk, nodes - first);
        update(space, first, count, sum.data());
        shared.add(thread, static_cast<double>(count) * workPerNode);
      }
    }
  };
  const unsigned used = static_cast<unsigned>(std::min<size_t>(std::max(threads, 1u), slabs));
  if (used <= 1) work(0);
  else platform::runOnThreads(used, work);
  shared.drain();
  out = std::move(sums[0]);
  if (out.empty()) out.assign(outValues, 0.0);
  for (size_t s = 1; s < slabs; ++s)
    for (size_t i = 0; i < outValues; ++i) out[i] += sums[s][i];
}

// Where a group of modes' shapes lie: mode j's values at node p start at
// modes[j] + p * stride, translational components first (stride 3 in the
// converter's arrays, more where a body keeps rotations beside them).
struct ShapeGroup {
  std::vector<const double *> modes;
  size_t stride = 3;
  int size() const { return static_cast<int>(modes.size()); }
};

// count modes held one after another in the converter's layout (mode-major,
// node, component).
ShapeGroup heldShapes(const double *shapes, int count, size_t nodes) {
  ShapeGroup group;
  for (int j = 0; j < count; ++j) group.modes.push_back(shapes + static_cast<size_t>(j) * nodes * 3);
  return group;
}

// The component Gram matrices of one or two groups of modes. The packed form
// of a group of g modes puts the q-th kept node of a chunk in row q and
// component r of mode j in column r*g + j, each value times a square root of
// the node's mass.
class GramBuilder {
 public:
  GramBuilder(size_t nodes, unsigned threads) : nodes_(nodes), threads_(threads) {}

  // out (3g x 3g, column-major, full) = sum_p m_p y(p) y(p)^T. Negative
  // masses go through a second update with alpha = -1, so a mixed-sign
  // body keeps the symmetric (half-cost) update.
  void symmetric(const std::vector<double> &masses, const ShapeGroup &shapes, std::vector<double> &out,
                 Progress &progress) {
    const int cols = 3 * shapes.size();
    auto update = [&](Workspace &space, size_t first, size_t count, double *sum) {
      space.plus.clear();
      space.minus.clear();
      for (size_t p = first; p < first + count; ++p) {
        const double m = masses[p];
        if (m == 0.0) continue;  // adds nothing; NaN stays in, as it should
        if (m < 0.0) space.minus.add(p, std::sqrt(-m));
        else space.plus.add(p, std::sqrt(m));
      }
      pack(shapes, space.plus, space.packedA);
      productUpdate(space.plus.count(), cols, cols, 1.0, space.packedA.data(), space.packedA.data(), sum);
      if (space.minus.count() > 0) {
        pack(shapes, space.minus, space.packedB);
        productUpdate(space.minus.count(), cols, cols, -1.0, space.packedB.data(), space.packedB.data(), sum);
      }
    };
    sumOverChunks(nodes_, chunkNodes(cols), static_cast<size_t>(cols) * cols,
                  static_cast<double>(cols) * cols / 2, threads_, progress, update, out);
    for (int j = 0; j < cols; ++j)
      for (int i = j + 1; i < cols; ++i)
        out[i + static_cast<size_t>(j) * cols] = out[j + static_cast<size_t>(i) * cols];
  }

  // out (3ga x 3gb, column-major) = sum_p m_p y_a(p) y_b(p)^T: the mass's
  // sign rides on the first factor, so one general product serves all signs.
  void cross(const std::vector<double> &masses, const ShapeGroup &shapesA, const ShapeGroup &shapesB,
             std::vector<double> &out, Progress &progress) {
    const int colsA = 3 * shapesA.size(), colsB = 3 * shapesB.size();
    auto update = [&](Workspace &space, size_t first, size_t count, double *sum) {
      space.plus.clear();
      space.minus.clear();
      for (size_t p = first; p < first + count; ++p) {
        const double m = masses[p];
        if (m == 0.0) continue;
        const double root = std::sqrt(std::fabs(m));
        space.plus.add(p, m < 0.0 ? -root : root);
        space.minus.add(p, root);
      }
      pack(shapesA, space.plus, space.packedA);
      pack(shapesB, space.minus, space.packedB);
      productUpdate(space.plus.count(), colsA, colsB, 1.0, space.packedA.data(), space.packedB.data(), sum);
    };
    sumOverChunks(nodes_, chunkNodes(std::max(colsA, colsB)), static_cast<size_t>(colsA) * colsB,
                  static_cast<double>(colsA) * colsB, threads_, progress, update, out);
  }

 private:
  size_t chunkNodes(int cols) const {
    const size_t byBudget = kChunkBytes / (sizeof(double) * static_cast<size_t>(cols));
    return std::max<size_t>(64, std::min(byBudget, std::max<size_t>(nodes_, 1)));
  }

  // Mode by mode, so the shapes are read in order and each packed column is
  // written in order: scattering node by node across the columns would
  // touch a different page with every value.
  void pack(const ShapeGroup &shapes, const Rows &rows, std::vector<double> &packed) const {
    const size_t count = rows.node.size();
    const int g = shapes.size();
    if (packed.size() < count * 3 * g) packed.resize(count * 3 * g);  // grows once, then reused
    for (int j = 0; j < g; ++j) {
      const double *mode = shapes.modes[j];
      double *c0 = packed.data() + static_cast<size_t>(j) * count;
      double *c1 = c0 + static_cast<size_t>(g) * count;
      double *c2 = c1 + static_cast<size_t>(g) * count;
      for (size_t q = 0; q < count; ++q) {
        const double *v = mode + rows.node[q] * shapes.stride;
        const double w = rows.weight[q];
        c0[q] = w * v[0];
        c1[q] = w * v[1];
        c2[q] = w * v[2];
      }
    }
  }

  size_t nodes_;
  unsigned threads_;
};

// Copies a group-pair Gram block into the full 3n x 3n Gram matrix (row
// index r*n + j), and its transpose into the mirrored place.
void placeBlock(const std::vector<double> &block, int firstA, int ga, int firstB, int gb, int n,
                std::vector<double> &gram) {
  const size_t full = 3 * static_cast<size_t>(n);
  for (int rb = 0; rb < 3; ++rb)
    for (int jb = 0; jb < gb; ++jb)
      for (int ra = 0; ra < 3; ++ra)
        for (int ja = 0; ja < ga; ++ja) {
          const double v = block[(ra * ga + ja) + static_cast<size_t>(rb * gb + jb) * 3 * ga];
          const size_t row = static_cast<size_t>(ra) * n + firstA + ja;
          const size_t col = static_cast<size_t>(rb) * n + firstB + jb;
          gram[row + col * full] = v;
          gram[col + row * full] = v;
        }
}

// I5 and I9 from the full Gram matrix. Entries of mirrored pairs read the
// same (exactly symmetric) Gram entries, so antisymmetry, transposition and
// the zero diagonal of I5 hold exactly.
void fillInvariants(const std::vector<double> &gram, size_t n, std::vector<double> &i5,
                    std::vector<double> &i9) {
  const size_t full = 3 * n;
  auto g = [&](int r, size_t j, int c, size_t k) { return gram[(r * n + j) + (c * n + k) * full]; };
  i5.assign(n * 3 * n, 0.0);
  i9.assign(n * n * 9, 0.0);
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k < n; ++k) {
      i5[(j * 3 + 0) * n + k] = g(1, j, 2, k) - g(2, j, 1, k);
      i5[(j * 3 + 1) * n + k] = g(2, j, 0, k) - g(0, j, 2, k);
      i5[(j * 3 + 2) * n + k] = g(0, j, 1, k) - g(1, j, 0, k);
      double *block = i9.data() + (j * n + k) * 9;
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) block[3 * r + c] = g(c, j, r, k);
      // The diagonal minus the dot product is minus the other two
      // components' products: summing those avoids a cancellation.
      for (int r = 0; r < 3; ++r)
        block[4 * r] = -(g((r + 1) % 3, j, (r + 1) % 3, k) + g((r + 2) % 3, j, (r + 2) % 3, k));
    }
}

void invariantsOfOneGroup(const std::vector<double> &masses, const ShapeGroup &shapes, std::vector<double> &i5,
                          std::vector<double> &i9, const std::function<void(int)> &onMode, unsigned threads) {
  const int n = shapes.size();
  const size_t nodes = masses.size();
  Progress progress(n, static_cast<double>(nodes) * 9.0 * n * n / 2, onMode);
  std::vector<double> gram;
  if (n > 0) {
    GramBuilder builder(nodes, threads);
    builder.symmetric(masses, shapes, gram, progress);
  }
  progress.finish();
  fillInvariants(gram, static_cast<size_t>(n), i5, i9);
}

}  // namespace

void computeInvariants5And9Fast(const std::vector<double> &masses, const double *shapes, int modeCount,
                                std::vector<double> &i5, std::vector<double> &i9,
                                const std::function<void(int)> &onMode, unsigned threads) {
  invariantsOfOneGroup(masses, heldShapes(shapes, std::max(modeCount, 0), masses.size()), i5, i9, onMode, threads);
}

void computeInvariants5And9Where(const std::vector<double> &masses, const std::vector<const double *> &modes,
                                 size_t stride, std::vector<double> &i5, std::vector<double> &i9,
                                 const std::function<void(int)> &onMode, unsigned threads) {
  invariantsOfOneGroup(masses, ShapeGroup{modes, stride}, i5, i9, onMode, threads);
}

bool computeInvariants5And9Streamed(const std::vector<double> &masses, int modeCount,
                                    const ModeShapeFetcher &fetch, size_t budgetBytes,
                                    std::vector<double> &i5, std::vector<double> &i9,
                                    const std::function<void(int)> &onMode, unsigned threads) {
  const int n = std::max(modeCount, 0);
  const size_t nodes = masses.size();
  const size_t modeBytes = std::max<size_t>(nodes, 1) * 3 * sizeof(double);
  // One group when everything fits; otherwise two groups (row and column)
  // share the budget.
  int group = n;
  if (static_cast<size_t>(n) * modeBytes > budgetBytes)
    group = static_cast<int>(std::max<size_t>(1, budgetBytes / (2 * modeBytes)));
  group = std::max(1, std::min(group, n));

  Progress progress(n, static_cast<double>(nodes) * 9.0 * n * n / 2, onMode);
  // The shapes held are the largest arrays of a conversion: in large pages,
  // and not zeroed, since every value is fetched into them (on threads
  // their pages are first touched on all of them, which clears them).
  LargeArray rowShapes, columnShapes;
  std::vector<double> block;
  std::vector<double> gram(9 * static_cast<size_t>(n) * n, 0.0);
  GramBuilder builder(nodes, threads);
  auto load = [&](int first, int count, LargeArray &into) {
    into.resize(static_cast<size_t>(count) * nodes * 3, threads);
    for (int j = 0; j < count; ++j)
      if (!fetch(first + j, into.data() + static_cast<size_t>(j) * nodes * 3)) return false;
    return true;
  };
  for (int a = 0; a < n; a += group) {
    const int ga = std::min(group, n - a);
    if (!load(a, ga, rowShapes)) return false;
    const ShapeGroup rows = heldShapes(rowShapes.data(), ga, nodes);
    builder.symmetric(masses, rows, block, progress);
    placeBlock(block, a, ga, a, ga, n, gram);
    for (int b = a + ga; b < n; b += group) {
      const int gb = std::min(group, n - b);
      if (!load(b, gb, columnShapes)) return false;
      builder.cross(masses, rows, heldShapes(columnShapes.data(), gb, nodes), block, progress);
      placeBlock(block, a, ga, b, gb, n, gram);
    }
  }
  progress.finish();
  fillInvariants(gram, static_cast<size_t>(n), i5, i9);
  return true;
}

}  // namespace qvb::kernels
