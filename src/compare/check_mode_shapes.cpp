// Mode-shape check: every base mode is projected on the span of the new
// body's modes in its eigenvalue cluster, and what is left over is the error.
// A mode whose sign flipped, or a repeated eigenvalue whose vectors the solver
// picked differently, therefore still passes.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>

namespace qvb::compare {
namespace {

// A run of consecutive modes whose base eigenvalues are within the tolerance
// of each other.
struct Cluster {
  int first;
  int members;
};

std::vector<Cluster> findClusters(const std::vector<double> &eigenvalues, int modes, int reference) {
  std::vector<Cluster> clusters{{0, 1}};
  const double referenceValue = eigenvalues[static_cast<std::size_t>(reference)];
  for (int i = 1; i < modes; ++i) {
    const double gap = std::fabs((eigenvalues[i - 1] - eigenvalues[i]) / (eigenvalues[i] + referenceValue));
    if (gap > tolerance()) clusters.push_back({i, 1});
    else ++clusters.back().members;
  }
  return clusters;
}

double dot(const std::vector<double> &a, const std::vector<double> &b) {
  double sum = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
  return sum;
}

// Working storage of one pass, sized once for the largest cluster.
class ShapeProjector {
 public:
  ShapeProjector(QVB_Handle newer, QVB_Handle base, int largestCluster)
      : newer_(newer), base_(base), map_(nodeMaps().modeNodes[kShapeKind]),
        baseNodes_(static_cast<std::size_t>(countOrZero(QVB_ModeNodeCount(base, kShapeKind)))),
        basis_(static_cast<std::size_t>(largestCluster), std::vector<double>(3 * map_.size(), 0.0)),
        baseShape_(zeroBuffer<double>(3LL * static_cast<long long>(baseNodes_))),
        residual_(zeroBuffer<double>(3LL * static_cast<long long>(baseNodes_))) {}

  // Orthogonalises the new body's shapes of the cluster's modes (Gram-Schmidt
  // in mode order). The base body's mode numbers address both bodies.
  void buildBasis(const Cluster &cluster, int component) {
    for (int k = 0; k < cluster.members; ++k) {
      std::vector<double> &u = basis_[static_cast<std::size_t>(k)];
      std::fill(u.begin(), u.end(), 0.0);
      const int number = QVB_ModeNumber(base_, cluster.first + k);
      if (!u.empty()) QVB_Mode(newer_, number, kShapeKind, u.data(), component);
      for (int j = 0; j < k; ++j) {
        const std::vector<double> &previous = basis_[static_cast<std::size_t>(j)];
        const double norm = dot(previous, previous);
        if (norm == 0.0) continue;
        const double coefficient = dot(u, previous) / norm;
        for (std::size_t v = 0; v < u.size(); ++v) u[v] -= coefficient * previous[v];
      }
    }
    members_ = cluster.members;
  }

  // Relative size of what the basis cannot represent of base mode `mode`;
  // a base shape of zero length has nothing to compare and gives 0.
  double residual(int mode, int component, bool &baseIsNull) {
    std::fill(baseShape_.begin(), baseShape_.end(), 0.0);
    QVB_Mode(base_, QVB_ModeNumber(base_, mode), kShapeKind, baseShape_.data(), component);
    for (std::size_t p = 0; p < map_.size(); ++p) {
      if (!mapped(p)) continue;
      const std::size_t s = static_cast<std::size_t>(map_[p]);
      for (int c = 0; c < 3; ++c) residual_[3 * s + c] = baseShape_[3 * s + c];
    }
    for (int j = 0; j < members_; ++j) {
      const std::vector<double> &u = basis_[static_cast<std::size_t>(j)];
      const double norm = dot(u, u);
      if (norm == 0.0) continue;
      double projection = 0.0;
      forEachMapped([&](std::size_t p, std::size_t s) {
        for (int c = 0; c < 3; ++c) projection += u[3 * p + c] * residual_[3 * s + c];
      });
      const double coefficient = projection / norm;
      forEachMapped([&](std::size_t p, std::size_t s) {
        for (int c = 0; c < 3; ++c) residual_[3 * s + c] -= coefficient * u[3 * p + c];
      });
    }
    double residualSquared = 0.0, baseSquared = 0.0;
    forEachMapped([&](std::size_t, std::size_t s) {
      for (int c = 0; c < 3; ++c) {
        residualSquared += residual_[3 * s + c] * residual_[3 * s + c];
        baseSquared += baseShape_[3 * s + c] * baseShape_[3 * s + c];
      }
    });
    baseIsNull = baseSquared == 0.0;
    return baseIsNull ? 0.0 : std::sqrt(residualSquared / baseSquared);
  }

 private:
  // A map entry always names a base shape node; the bound check only guards
  // against a backend that reports fewer nodes than it resolves.
  bool mapped(std::size_t p) const { return map_[p] >= 0 && static_cast<std::size_t>(map_[p]) < baseNodes_; }

  template <typename Visit>
  void forEachMapped(Visit visit) const {
    for (std::size_t p = 0; p < map_.size(); ++p)
      if (mapped(p)) visit(p, static_cast<std::size_t>(map_[p]));
  }

  QVB_Handle newer_;
  QVB_Handle base_;
  const std::vector<int> &map_;
  std::size_t baseNodes_;
  std::vector<std::vector<double>> basis_;
  std::vector<double> baseShape_;
  std::vector<double> residual_;
  int members_ = 0;
};

}  // namespace

int checkModeShapes(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues,
                    std::vector<int> &isolatedModes) {
  const int baseModes = countOrZero(QVB_ModeCount(base));
  const int modes = std::min(countOrZero(QVB_ModeCount(newer)), baseModes);
  if (modes == 0) return 0;

  const std::vector<Cluster> clusters = findClusters(baseEigenvalues, modes, referenceModeIndex(baseModes, modes));
  int largestCluster = 0;
  for (const Cluster &cluster : clusters) {
    for (int k = 0; k < cluster.members; ++k)
      isolatedModes[static_cast<std::size_t>(cluster.first + k)] = cluster.members == 1 ? 1 : 0;
    largestCluster = std::max(largestCluster, cluster.members);
  }

  struct Pass {
    int component;
    const char *word;
    int nullThreshold;
    const char *nullNote;
  };
  static const Pass kPasses[] = {
      {0, "translational", kFailLine, "->Note base EigenVectorTanslational=0\n"},
      {1, "rotational", kNoteLine, "->Note base EigenVectorRotational=0\n"},
  };
  ShapeProjector projector(newer, base, largestCluster);
  int failures = 0;
  for (const Pass &pass : kPasses) {
    for (const Cluster &cluster : clusters) {
      projector.buildBasis(cluster, pass.component);
      for (int mode = cluster.first; mode < cluster.first + cluster.members; ++mode) {
        bool baseIsNull = false;
        const double delta = projector.residual(mode, pass.component, baseIsNull);
        if (baseIsNull) report(pass.nullThreshold, "%s", pass.nullNote);
        const int number = QVB_ModeNumber(base, mode);
        if (delta > tolerance()) {
          report(kPassLine, "->Fail EigenVector %s: #%d", pass.word, number);
          ++failures;
        } else {
          report(kPassLine, "  Pass EigenVector %s: #%d", pass.word, number);
        }
        reportDelta(kPassLine, delta);
      }
    }
  }
  if (failures > 0) report(kFailLine, "->Fail ModeShape, %d times\n", failures);
  return -failures;
}

}  // namespace qvb::compare
