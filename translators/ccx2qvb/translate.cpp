#include "translate.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <unordered_set>

#include "analysis_decks.h"
#include "body_builder.h"
#include "deck_parser.h"
#include "eig_file.h"
#include "frd_results.h"
#include "interfaces.h"
#include "mass_properties.h"
#include "matrix_files.h"
#include "platform/child_process.h"
#include "platform/os.h"
#include "skin.h"
#include "solver_run.h"
#if __has_include("craig_bampton.h")
#include "craig_bampton.h"
#define CCX2QVB_HAS_CRAIG_BAMPTON 1
#endif

namespace ccx2qvb {
namespace {

double now() { return qvb::platform::wallClock(); }

double fileSize(const std::string &path) {
  std::error_code ignored;
  const auto size = std::filesystem::file_size(path, ignored);
  return ignored ? 0.0 : static_cast<double>(size);
}

// The folder the solver works in: the one asked for, kept, or a temporary
// one removed when the translation ends (also on failure).
class WorkFolder {
 public:
  explicit WorkFolder(const std::string &keep) {
    if (!keep.empty()) {
      std::error_code error;
      std::filesystem::create_directories(keep, error);
      if (error || !std::filesystem::is_directory(keep))
        throw std::runtime_error("cannot make the work folder " + keep + ": " + error.message());
      path_ = std::filesystem::absolute(keep).string();
      return;
    }
    std::string error;
    path_ = qvb::platform::makeTemporaryFolder("ccx2qvb-", &error);
    if (path_.empty()) throw std::runtime_error(error);
    temporary_ = true;
  }
  ~WorkFolder() {
    if (temporary_) qvb::platform::removeFolder(path_);
  }
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  bool temporary_ = false;
};

std::string baseName(const std::string &path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The body's modes at the equations of a run, spread onto nodes: 6 values
// (translations, rotations) per body node and mode.
struct NodalModes {
  int modeCount = 0;
  std::vector<double> eigenvalues;
  std::vector<double> values;  // modeCount x bodyNodes x 6
};

// Translations of a run's equations, node-major per model node (the layout
// computeMassProperties takes): modeCount x nodes x 3.
std::vector<double> translations(const Model &model, const NodalModes &modes) {
  const size_t nodes = model.nodeIds.size();
  std::vector<double> out(static_cast<size_t>(modes.modeCount) * nodes * 3);
  const size_t bodyNodes = modes.values.size() / (6 * static_cast<size_t>(std::max(modes.modeCount, 1)));
  for (size_t j = 0; j < static_cast<size_t>(modes.modeCount); ++j)
    for (size_t a = 0; a < nodes; ++a)
      for (int c = 0; c < 3; ++c)
        out[(j * nodes + a) * 3 + static_cast<size_t>(c)] = modes.values[(j * bodyNodes + a) * 6 + static_cast<size_t>(c)];
  return out;
}

// Free-free: the solver's modes, equations mapped to nodes through the
// matrix run's .dof (the same model, so the same numbering).
NodalModes freeModes(const Model &model, const EigenSolution &eig, const std::vector<Dof> &dofs) {
  NodalModes m;
  m.modeCount = eig.modeCount;
  m.eigenvalues = eig.eigenvalues;
  const size_t nodes = model.nodeIds.size();
  m.values.assign(static_cast<size_t>(m.modeCount) * nodes * 6, 0.0);
  for (size_t p = 0; p < dofs.size(); ++p) {
    const size_t a = static_cast<size_t>(model.nodeIndex.at(dofs[p].node));
    for (size_t j = 0; j < static_cast<size_t>(m.modeCount); ++j)
      m.values[(j * nodes + a) * 6 + static_cast<size_t>(dofs[p].direction - 1)] =
          eig.modes[j * static_cast<size_t>(eig.equations) + p];
  }
  return m;
}

void checkEquationCount(const std::vector<Dof> &dofs, const EigenSolution &eig, const std::string &what) {
  if (static_cast<int64_t>(dofs.size()) != eig.equations)
    throw std::runtime_error(what + ": equation counts differ between the runs");
}

}  // namespace

Timing translate(const Options &options, std::vector<std::string> *warnings) {
  Timing timing;
  const double start = now();
  if (options.modes < 1) throw std::runtime_error("the mode count must be at least 1");
  Model model = readDeck(options.deck);
  *warnings = model.warnings;
  const std::vector<Interface> interfaces = defineInterfaces(model, options.interfaces);
#ifndef CCX2QVB_HAS_CRAIG_BAMPTON
  if (!interfaces.empty())
    throw std::runtime_error("interfaces (-i) need the Craig-Bampton reduction, which this build does not have");
#endif
  const std::string solver = findSolver();
  timing.parse += now() - start;

  WorkFolder work(options.keep);
  writeModelDeck(model, interfaces, work.file("model.inp"));
  // The mesh's own mass matrix (no ties) for the exact mass properties.
  writeMatrixDeck({}, work.file("mass.inp"));
  timing.solver += runSolver(solver, work.path(), "mass");
  const bool freeFree = interfaces.empty();
  const int solverModes = freeFree ? options.modes + 6 : options.modes;
  writeModesDeck(interfaces, solverModes, freeFree, work.file("modes.inp"));
  timing.solver += runSolver(solver, work.path(), "modes");

  double t = now();
  const std::vector<Dof> massDofs = readDofs(work.file("mass.dof"));
  const SymmetricSparse mass = readSymmetric(work.file("mass.mas"), static_cast<int64_t>(massDofs.size()));
  timing.bytesRead += fileSize(work.file("mass.mas"));
  NodalModes modes;
  std::vector<int> bodyExtraIds;
  std::vector<double> bodyExtraXyz;
  if (freeFree) {
    const EigenSolution eig = readEigenSolution(work.file("modes.eig"), static_cast<int64_t>(massDofs.size()));
    timing.bytesRead += fileSize(work.file("modes.eig"));
    checkEquationCount(massDofs, eig, "modes");
    modes = freeModes(model, eig, massDofs);
  } else {
#ifdef CCX2QVB_HAS_CRAIG_BAMPTON
    // reduction: see the tied matrices below
#endif
  }
  timing.parse += now() - t;
  if (modes.modeCount == 0) throw std::runtime_error("no modes");

  const MassProperties properties = computeMassProperties(model, mass, massDofs, translations(model, modes), modes.modeCount);

  // The body.
  const size_t nodes = model.nodeIds.size();
  BodyBuilder body(static_cast<int>(nodes + bodyExtraIds.size()), modes.modeCount);
  const std::string deckName = baseName(options.deck);
  body.setHeader("ccx2qvb: " + deckName,
                 freeFree ? "free-free normal modes" : "Craig-Bampton modes",
                 "from solver deck " + deckName,
                 std::to_string(nodes) + " nodes, " + std::to_string(model.elementIds.size()) + " elements, " +
                     std::to_string(modes.modeCount) + " modes",
                 "written by ccx2qvb");
  body.setUnits(options.units);
  for (size_t a = 0; a < nodes; ++a) body.setNode(model.nodeIds[a], &model.coordinates[3 * a]);
  for (size_t k = 0; k < bodyExtraIds.size(); ++k) body.setNode(bodyExtraIds[k], &bodyExtraXyz[3 * k]);
  for (size_t a = 0; a < nodes; ++a)
    if (properties.nodalMass[a] > 0) body.setNodalMass(model.nodeIds[a], properties.nodalMass[a]);
  for (const std::vector<int> &face : skinFaces(model)) body.addFace(face);
  for (int id : bodyExtraIds) body.setInterfaceNode(id);

  const size_t bodyNodes = nodes + bodyExtraIds.size();
  for (int j = 0; j < modes.modeCount; ++j)
    for (size_t a = 0; a < bodyNodes; ++a) {
      const int id = a < nodes ? model.nodeIds[a] : bodyExtraIds[a - nodes];
      body.setModeValues(j + 1, id, 0, &modes.values[(static_cast<size_t>(j) * bodyNodes + a) * 6]);
    }
  body.setModalMatrices(modes.eigenvalues);
  body.setMassProperties(properties);

  if (freeFree) {
    // Modal stresses and strains at the nodes; the solver's strain shears are
    // tensor components, the body's are engineering shears (twice as large).
    t = now();
    readFrdResults(work.file("modes.frd"), [&](FrdResult kind, int mode, int node, const double *v) {
      if (mode < 1 || mode > modes.modeCount) return;
      double six[6] = {v[0], v[1], v[2], v[3], v[4], v[5]};
      if (kind == FrdResult::Strain)
        for (int c = 3; c < 6; ++c) six[c] *= 2.0;
      body.setModeValues(mode, node, kind == FrdResult::Stress ? 1 : 2, six);
    });
    timing.bytesRead += fileSize(work.file("modes.frd"));
    timing.parse += now() - t;
  }
  body.write(options.output);
  timing.own = now() - start - timing.solver;
  return timing;
}

}  // namespace ccx2qvb
