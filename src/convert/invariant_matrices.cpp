// INVAR1 to INVAR9: the inertia invariants, every value times the mass scale.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "convert/body_blocks.h"
#include "convert/matrix_writers.h"
#include "convert/text_output.h"
#include "kernels/gram_invariants.h"
#include "kernels/large_array.h"
#include "qvb.h"

namespace qvb::convert {

namespace {

// An array the body hands out, returned to it when the writer is done.
struct BodyArray {
  double *data;
  explicit BodyArray(double *p) : data(p) {}
  ~BodyArray() {
    if (data != nullptr) QVB_FreeMemory(data);
  }
  BodyArray(const BodyArray &) = delete;
  BodyArray &operator=(const BodyArray &) = delete;
};

std::vector<double> scaledValues(const double *values, size_t count, double scale) {
  std::vector<double> out(values, values + count);
  for (double &v : out) v *= scale;
  return out;
}

// Invariants 3 and 4: 3 x M component-major arrays, read at the selected modes.
bool writeModalVectorInvariant(ConversionContext &context, MtxWriter &mtx, int name,
                               double *(*fetch)(QVB_Handle)) {
  if (!context.plan.has(name)) return true;
  BodyArray values(fetch(context.body));
  if (values.data == nullptr) return false;
  const int modeCount = QVB_ModeCount(context.body);
  const std::vector<int> idx = selectedModeIndices(context);
  const int n = static_cast<int>(idx.size());
  std::vector<double> dense(3 * static_cast<size_t>(n));
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < n; ++k)
      dense[static_cast<size_t>(r) * n + k] =
          values.data[static_cast<size_t>(r) * modeCount + idx[k]] * context.massScale;
  return mtx.sparse(name, 3, n, dense);
}

// Shapes held at once while computing invariants 5 and 9. Selections above
// it are fetched in groups (a group more than once), trading a little
// fetching for a bounded footprint on bodies of millions of nodes.
constexpr size_t kShapeBudgetBytes = size_t{4} << 30;

// The translational shape of one selected mode at every node, in node-index
// order. A body may hold shapes for fewer nodes than it has; those are
// placed by node ID and the others stay zero (they then add nothing).
class SelectedShapes {
 public:
  SelectedShapes(const ConversionContext &context, int nodeCount) : context_(context), nodeCount_(nodeCount) {
    const int shapeNodes = QVB_ModeNodeCount(context.body, 0);
    if (shapeNodes > 0 && shapeNodes != nodeCount) {
      for (int i = 0; i < shapeNodes; ++i)
        position_.push_back(QVB_NodeIndex(context.body, QVB_ModeNodeID(context.body, 0, i)));
      buffer_.resize(static_cast<size_t>(shapeNodes) * 3);
    }
  }

  void fetch(int j, double *target) {
    const size_t values = static_cast<size_t>(nodeCount_) * 3;
    std::fill(target, target + values, 0.0);
    if (position_.empty()) {
      QVB_Mode(context_.body, context_.modes[j], 0, target, 0);
      return;
    }
    std::fill(buffer_.begin(), buffer_.end(), 0.0);
    QVB_Mode(context_.body, context_.modes[j], 0, buffer_.data(), 0);
    for (size_t i = 0; i < position_.size(); ++i) {
      const int p = position_[i];
      if (p >= 0 && p < nodeCount_) std::copy_n(&buffer_[i * 3], 3, target + static_cast<size_t>(p) * 3);
    }
  }

 private:
  const ConversionContext &context_;
  int nodeCount_;
  std::vector<int> position_;  // node index of each shape node, when not in node order
  std::vector<double> buffer_;
};

std::vector<double> nodalMasses(QVB_Handle body, int nodeCount) {
  std::vector<double> masses(static_cast<size_t>(std::max(nodeCount, 0)));
  for (int p = 0; p < nodeCount; ++p) masses[p] = QVB_NodalMass(body, p);
  return masses;
}

// The header lines of INVAR5 (3n rows of n values) and INVAR9 (3n^2 rows of
// 3), whose values are then written n and 3 to a line.
bool invariants5And9Headers(const MtxWriter &mtx, int n, std::string &header5, std::string &header9) {
  return mtx.headerText(header5, kInvar5, -1, "FULL", "RORDER", 3 * n, 0, n, 0) &&
         mtx.headerText(header9, kInvar9, -1, "FULL", "RORDER", 3 * n * n, 0, 3, 0);
}

void scaleAll(std::vector<double> &values, double scale) {
  for (double &v : values) v *= scale;
}

// INVAR5 and INVAR9 after their header lines, through the stream or in place.
void writeInvariants5And9Text(MtxWriter &mtx, int n, const std::string &header5, const std::vector<double> &i5,
                              const std::string &header9, const std::vector<double> &i9) {
  mtx.text(header5);
  mtx.realLines(i5, n, true);
  mtx.text(header9);
  mtx.realLines(i9, 3, true);
}

// Fills i5 and i9 from the body's nodal masses; false on a body without nodes.
bool buildInvariants5And9(ConversionContext &context, std::vector<double> &i5, std::vector<double> &i9) {
  QVB_Handle body = context.body;
  const int nodeCount = QVB_NodeCount(body);
  if (nodeCount <= 0) {
    QVB_Error("Failed to allocate memory for Invars 5 and 9 at line %d in file %s.\n", __LINE__, kSourceName);
    return false;
  }
  const int n = static_cast<int>(context.modes.size());
  QVB_TimeMonitor(n);
  const std::vector<double> masses = nodalMasses(body, nodeCount);
  SelectedShapes shapes(context, nodeCount);
  const bool progress = runState().progress;
  return kernels::computeInvariants5And9Streamed(
      masses, n,
      [&shapes](int j, double *target) {
        shapes.fetch(j, target);
        return true;
      },
      kShapeBudgetBytes, i5, i9,
      [progress](int) {
        if (progress) QVB_TimeMonitorStamp();
      },
      context.threads);
}

// Invariants 5 and 9 formed beside the later matrices. On threads, their
// products (BLAS, which runs on one thread at a time) would leave the other
// threads idle; their text is of a known length, so its place in the file
// is kept for it, the shapes are fetched here (the body is read on this
// thread only), and the products and the text are made on a thread of their
// own while this one goes on. Not where the body's shapes exceed the budget
// (they are fetched in turns with the products) or the text one window of
// the file, nor with -L, whose stamps follow the products on this thread.
// True when begun; false to form them here instead.
bool beginInvariants5And9Beside(ConversionContext &context, MtxWriter &mtx) {
  QVB_Handle body = context.body;
  const int nodeCount = QVB_NodeCount(body), n = static_cast<int>(context.modes.size());
  const size_t nn = static_cast<size_t>(n), nodes = static_cast<size_t>(std::max(nodeCount, 0));
  if (context.threads <= 1 || runState().progress || nodeCount <= 0) return false;
  if (nn * nodes * 3 * sizeof(double) > kShapeBudgetBytes) return false;
  std::string header5, header9;
  if (!invariants5And9Headers(mtx, n, header5, header9)) return false;
  const size_t total = header5.size() + mtx.realLinesBytes(nn * 3 * nn, n) + header9.size() +
                       mtx.realLinesBytes(nn * nn * 9, 3);
  if (total > platform::InPlaceRun::kWindowBytes) return false;
  std::unique_ptr<platform::InPlaceRun> run = context.output.appendInPlace(total);
  if (context.output.failed()) return true;  // the disk refused the bytes: closing says so
  if (!run) return false;
  // Shared, as the work is copied into its thread; mapped here, so that a
  // failure is recorded (and reported on closing) before the next step looks.
  auto place = std::make_shared<InPlaceOutput>(std::move(run));
  if (!place->mapNow()) return true;

  std::vector<double> masses = nodalMasses(body, nodeCount);
  auto shapes = std::make_shared<kernels::LargeArray>();
  shapes->resize(nn * nodes * 3, context.threads);
  SelectedShapes fetcher(context, nodeCount);
  for (int j = 0; j < n; ++j) fetcher.fetch(j, shapes->data() + static_cast<size_t>(j) * nodes * 3);

  const double scale = context.massScale;
  const bool doublePrecision = mtx.doublePrecision();
  context.textInTheMaking.push_back(std::make_unique<platform::BackgroundWork>(
      [=, masses = std::move(masses), shapes = std::move(shapes)]() mutable {
        std::vector<double> i5, i9;
        kernels::computeInvariants5And9Fast(masses, shapes->data(), n, i5, i9);
        shapes.reset();  // the largest array of the conversion: gone before the shapes' text grows
        scaleAll(i5, scale);
        scaleAll(i9, scale);
        MtxWriter placed(*place, doublePrecision);
        writeInvariants5And9Text(placed, n, header5, i5, header9, i9);
        if (!place->complete()) throw std::logic_error("invariants 5 and 9 shorter than their place");
      }));
  return true;
}

}  // namespace

bool writeInvariant1(ConversionContext &context, MtxWriter &mtx) {
  const double value = QVB_Invar1(context.body) * context.massScale;
  if (!mtx.matrixHeader(kInvar1, -1, "FULL", "RORDER", 1, 0, 1, 0)) return false;
  mtx.zeroed(value);
  mtx.blank();
  mtx.endLine();
  return true;
}

bool writeInvariant2(ConversionContext &context, MtxWriter &mtx) {
  BodyArray values(QVB_Invar2(context.body));
  if (values.data == nullptr) return false;
  if (!mtx.matrixHeader(kInvar2, -1, "FULL", "RORDER", 1, 0, 3, 0)) return false;
  mtx.realLines(scaledValues(values.data, 3, context.massScale), 3, true);
  return true;
}

bool writeInvariant3(ConversionContext &context, MtxWriter &mtx) {
  return writeModalVectorInvariant(context, mtx, kInvar3, &QVB_Invar3);
}

bool writeInvariant4(ConversionContext &context, MtxWriter &mtx) {
  return writeModalVectorInvariant(context, mtx, kInvar4, &QVB_Invar4);
}

bool writeInvariants5And9(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kInvar5)) return true;
  QVB_Handle body = context.body;
  const int n = static_cast<int>(context.modes.size());
  if (n == 0) {
    QVB_Error("Failed to allocate memory for INVAR5 at line %d in file %s.\n", __LINE__, kSourceName);
    return false;
  }
  const bool stored = QVB_Exists(body, block::kInvariant5) && QVB_Exists(body, block::kInvariant9);
  const bool fromMasses = !stored && QVB_Exists(body, block::kNodalMasses);
  if (fromMasses && beginInvariants5And9Beside(context, mtx)) return true;
  const size_t nn = static_cast<size_t>(n);
  std::vector<double> i5(nn * 3 * nn, 0.0), i9(nn * nn * 9, 0.0);
  if (stored) {
    const int modeCount = QVB_ModeCount(body);
    const std::vector<int> idx = selectedModeIndices(context);
    for (size_t j = 0; j < nn; ++j) {
      BodyArray row(QVB_Invar5(body, idx[j]));
      for (size_t k = 0; k < nn; ++k) {
        BodyArray block(QVB_Invar9(body, idx[j], idx[k]));
        if (row.data == nullptr || block.data == nullptr) return announcedMatrixMissing(kInvar5);
        for (int r = 0; r < 3; ++r)
          i5[(j * 3 + r) * nn + k] = row.data[static_cast<size_t>(r) * modeCount + idx[k]];
        for (int e = 0; e < 9; ++e) i9[(j * nn + k) * 9 + e] = block.data[e];
      }
    }
  } else if (fromMasses) {
    if (!buildInvariants5And9(context, i5, i9)) return false;
  } else {
    QVB_Warning("Attempting to build Invars 5 and 9 from a node-stripped QVB ");
  }
  scaleAll(i5, context.massScale);
  scaleAll(i9, context.massScale);
  std::string header5, header9;
  if (!invariants5And9Headers(mtx, n, header5, header9)) return false;
  writeInvariants5And9Text(mtx, n, header5, i5, header9, i9);
  return true;
}

bool writeInvariant6(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kInvar6)) return true;
  BodyArray values(QVB_Invar6(context.body));
  if (values.data == nullptr) return false;
  const size_t modeCount = static_cast<size_t>(QVB_ModeCount(context.body));
  const std::vector<int> idx = selectedModeIndices(context);
  const int n = static_cast<int>(idx.size());
  std::vector<double> dense(static_cast<size_t>(n) * n);
  for (int j = 0; j < n; ++j)
    for (int k = 0; k < n; ++k)
      dense[static_cast<size_t>(j) * n + k] = values.data[idx[j] * modeCount + idx[k]] * context.massScale;
  return mtx.sparse(kInvar6, n, n, dense);
}

bool writeInvariant7(ConversionContext &context, MtxWriter &mtx) {
  BodyArray values(QVB_Invar7(context.body));
  if (values.data == nullptr) return false;
  if (!mtx.matrixHeader(kInvar7, -1, "FULL", "RORDER", 3, 0, 3, 0)) return false;
  mtx.realLines(scaledValues(values.data, 9, context.massScale), 3, true);
  return true;
}

bool writeInvariant8(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kInvar8)) return true;
  const std::vector<int> idx = selectedModeIndices(context);
  std::vector<double> all;
  for (int index : idx) {
    BodyArray values(QVB_Invar8(context.body, index));
    if (values.data == nullptr) return false;
    const std::vector<double> scaled = scaledValues(values.data, 9, context.massScale);
    all.insert(all.end(), scaled.begin(), scaled.end());
  }
  const int n = static_cast<int>(idx.size());
  if (!mtx.matrixHeader(kInvar8, -1, "FULL", "RORDER", n, 0, 9, 0)) return false;
  // Nine values per mode, written as a 3 x 3 block.
  mtx.realLines(all, 3, true);
  return true;
}

}  // namespace qvb::convert
