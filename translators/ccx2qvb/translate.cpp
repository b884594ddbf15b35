#include "translate.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <unordered_map>

#include "analysis_decks.h"
#include "body_builder.h"
#include "craig_bampton.h"
#include "deck_parser.h"
#include "eig_file.h"
#include "frd_results.h"
#include "interfaces.h"
#include "mass_properties.h"
#include "matrix_files.h"
#include "nodal_modes.h"
#include "platform/child_process.h"
#include "platform/os.h"
#include "skin.h"
#include "solver_run.h"

namespace qvb::ccx2qvb {
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
    qvb::platform::removeStaleWorkFolders("ccx2qvb-");  // left by runs that were killed outright
    path_ = qvb::platform::makeTemporaryFolder("ccx2qvb-", &error);
    if (path_.empty()) throw std::runtime_error(error);
    temporary_ = true;
  }
  ~WorkFolder() {
    if (temporary_) qvb::platform::removeFolder(path_);
  }
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  bool temporary() const { return temporary_; }

 private:
  std::string path_;
  bool temporary_ = false;
};

// An interrupt stops the translation between steps, so that the work
// folder is removed on the way out (the caller then ends by the signal).
void stopIfInterrupted() {
  if (const int signal = qvb::platform::InterruptionScope::received())
    throw std::runtime_error("interrupted by signal " + std::to_string(signal));
}

std::string baseName(const std::string &path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads the tied model's matrices and the held run's modes and reduces them.
CraigBamptonBasis reduce(const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                         const WorkFolder &work, Timing *timing) {
  double t = now();
  const SymmetricTriplets stiffness = readSymmetric(work.file("tied.sti"), dofs.size());
  const SymmetricTriplets mass = readSymmetric(work.file("tied.mas"), dofs.size());
  timing->bytesRead += fileSize(work.file("tied.sti")) + fileSize(work.file("tied.mas"));
  std::unordered_map<int64_t, size_t> equation;
  for (size_t p = 0; p < dofs.size(); ++p) equation[static_cast<int64_t>(dofs[p].node) * 4 + dofs[p].direction] = p;
  std::vector<size_t> boundary;
  std::vector<bool> isBoundary(dofs.size(), false);
  for (const Dof &d : interfaceEquations(interfaces)) {
    auto it = equation.find(static_cast<int64_t>(d.node) * 4 + d.direction);
    if (it == equation.end())
      throw std::runtime_error("the tied model has no equation for node " + std::to_string(d.node) + " direction " +
                               std::to_string(d.direction) + " of an interface");
    boundary.push_back(it->second);
    isBoundary[it->second] = true;
  }
  // The held run numbers the remaining equations in the same order; its
  // stiffness diagonal must match the tied matrix's there, or the modes would
  // land on the wrong equations.
  const EigenSolution held = readEigenSolution(work.file("modes.eig"), static_cast<int64_t>(dofs.size() - boundary.size()));
  timing->bytesRead += fileSize(work.file("modes.eig"));
  std::vector<double> diagonal(dofs.size(), 0.0);
  for (size_t k = 0; k < stiffness.value.size(); ++k)
    if (stiffness.row[k] == stiffness.col[k]) diagonal[stiffness.row[k]] += stiffness.value[k];
  for (size_t p = 0, i = 0; p < dofs.size(); ++p) {
    if (isBoundary[p]) continue;
    const double a = diagonal[p], b = held.stiffnessDiagonal[i++];
    if (std::fabs(a - b) > 1e-8 * std::max(std::fabs(a), std::fabs(b)))
      throw std::runtime_error("the held run's equations do not line up with the tied matrices (equation " +
                               std::to_string(p + 1) + ")");
  }
  timing->parse += now() - t;
  t = now();
  CraigBamptonBasis basis = craigBampton(stiffness, mass, boundary, FixedInterfaceModes{held.eigenvalues, held.modes});
  timing->reduction += now() - t;
  return basis;
}

// Modal stresses and strains at the model's nodes, modeCount x nodes x 6.
// The solver's strain shears are tensor components, the body's are
// engineering shears (twice as large).
struct ModalResults {
  size_t nodes = 0;
  std::vector<double> stress, strain;
  ModalResults(int modeCount, size_t nodeCount)
      : nodes(nodeCount), stress(static_cast<size_t>(modeCount) * nodeCount * 6, 0.0), strain(stress.size(), 0.0) {}
  double *at(FrdResult kind, int mode, size_t node) {
    return &(kind == FrdResult::Stress ? stress : strain)[(static_cast<size_t>(mode) * nodes + node) * 6];
  }
};

// Reads one result file's blocks for result sets 1..sets; take(kind, set - 1,
// node index, six values in the body's convention) for the model's nodes.
template <typename Take>
void readModalResults(const std::string &path, const Model &model, int sets, Timing *timing, Take take) {
  readFrdResults(path, [&](FrdResult kind, int set, int node, const double *v) {
    const auto it = model.nodeIndex.find(node);
    if (set < 1 || set > sets || it == model.nodeIndex.end()) return;
    double six[6] = {v[0], v[1], v[2], v[3], v[4], v[5]};
    if (kind == FrdResult::Strain)
      for (int c = 3; c < 6; ++c) six[c] *= 2.0;
    take(kind, set - 1, static_cast<size_t>(it->second), six);
  });
  timing->bytesRead += fileSize(path);
}

// The Craig-Bampton body's stresses: the constraint run's static steps and
// the held run's modes are the basis vectors; each body mode combines their
// stresses with its own coefficients, as it combines their displacements.
ModalResults interfaceResults(const Model &model, const CraigBamptonBasis &basis, size_t boundaryCount,
                              const WorkFolder &work, Timing *timing) {
  const int m = static_cast<int>(basis.lambda.size());
  ModalResults results(m, model.nodeIds.size());
  // Result set s of a file is basis vector first + s.
  auto readBasis = [&](const char *file, size_t first, int sets) {
    readModalResults(work.file(file), model, sets, timing, [&](FrdResult kind, int set, size_t node, const double *six) {
      const size_t k = first + static_cast<size_t>(set);
      for (int c = 0; c < m; ++c) {
        const double weight = basis.coefficients[k + static_cast<size_t>(c) * static_cast<size_t>(m)];
        double *out = results.at(kind, c, node);
        for (int q = 0; q < 6; ++q) out[q] += weight * six[q];
      }
    });
  };
  readBasis("constraint.frd", 0, static_cast<int>(boundaryCount));
  readBasis("modes.frd", boundaryCount, m - static_cast<int>(boundaryCount));
  return results;
}

}  // namespace

Timing translate(const Options &options, std::vector<std::string> *warnings) {
  Timing timing;
  const double start = now();
  const std::clock_t processorStart = std::clock();
  if (options.modes < 1) throw std::runtime_error("the mode count must be at least 1");
  Model model = readDeck(options.deck);
  *warnings = model.warnings;
  const std::vector<Interface> interfaces = defineInterfaces(model, options.interfaces);
  const std::string solver = findSolver();
  // The body first: its units are checked before any solver time is spent.
  BodyBuilder body(static_cast<int>(model.nodeIds.size() + interfaces.size()), options.modes + 6 * std::max<int>(1, static_cast<int>(interfaces.size())));
  body.setUnits(options.units);
  const std::string deckName = baseName(options.deck);
  body.setHeader("ccx2qvb: " + deckName, interfaces.empty() ? "free-free normal modes" : "Craig-Bampton modes",
                 "from solver deck " + deckName,
                 std::to_string(model.nodeIds.size()) + " nodes, " + std::to_string(model.elementIds.size()) +
                     " elements",
                 "written by ccx2qvb");
  timing.parse += now() - start;

  // Solver runs: the mesh's own mass matrix (no ties) for the exact mass
  // properties; with interfaces the tied matrices; the modes (free, or with
  // the interfaces held).
  WorkFolder work(options.keep);
  const bool freeFree = interfaces.empty();
  // A failed run's output is gone with a temporary folder: say how to keep it.
  auto solve = [&](const char *job) {
    stopIfInterrupted();
    try {
      timing.solver += runSolver(solver, work.path(), job, &timing.solverProcessor);
    } catch (const std::runtime_error &e) {
      stopIfInterrupted();
      if (!work.temporary()) throw;
      std::string message = e.what();
      const size_t at = message.find("; its output is in ");
      if (at != std::string::npos) message.erase(at);
      throw std::runtime_error(message + " (run again with --keep DIR to keep the solver's files)");
    }
  };
  writeModelDeck(model, interfaces, work.file("model.inp"));
  writeMatrixDeck({}, work.file("mass.inp"));
  solve("mass");
  if (!freeFree) {
    writeMatrixDeck(interfaces, work.file("tied.inp"));
    solve("tied");
    writeConstraintDeck(interfaces, work.file("constraint.inp"));
    solve("constraint");
  }
  writeModesDeck(interfaces, freeFree ? options.modes + 6 : options.modes, true, work.file("modes.inp"));
  solve("modes");

  stopIfInterrupted();
  double t = now();
  const std::vector<Dof> massDofs = readDofs(work.file("mass.dof"));
  const SymmetricTriplets mass = readSymmetric(work.file("mass.mas"), massDofs.size());
  timing.bytesRead += fileSize(work.file("mass.mas"));
  timing.parse += now() - t;
  NodalModes modes;
  std::optional<ModalResults> interfaceResultsOfModes;
  if (freeFree) {
    t = now();
    const EigenSolution eig = readEigenSolution(work.file("modes.eig"), static_cast<int64_t>(massDofs.size()));
    timing.bytesRead += fileSize(work.file("modes.eig"));
    modes = freeModes(model, eig, massDofs);
    timing.parse += now() - t;
  } else {
    const std::vector<Dof> tiedDofs = readDofs(work.file("tied.dof"));
    const CraigBamptonBasis basis = reduce(interfaces, tiedDofs, work, &timing);
    if (basis.orthonormalityError > 1e-6)
      warnings->push_back("the reduced modes are orthonormal only to " + std::to_string(basis.orthonormalityError));
    // A free part held nowhere must keep exactly the six rigid motions, and
    // they must be a null space of K; anything else is a mechanism or a bad tie.
    if (basis.rigidCount != 6 || basis.rigidResidual > 1e-6) {
      char text[160];
      std::snprintf(text, sizeof text, "the reduced basis has %zu rigid-body modes (expected 6), null-space residual %.2g",
                    basis.rigidCount, basis.rigidResidual);
      warnings->push_back(text);
    }
    modes = interfaceModes(model, interfaces, tiedDofs, basis);
    t = now();
    interfaceResultsOfModes = interfaceResults(model, basis, 6 * interfaces.size(), work, &timing);
    timing.results += now() - t;
  }

  t = now();
  const MassProperties properties =
      computeMassProperties(model, mass, massDofs, modelTranslations(model, modes), modes.modeCount);
  timing.mass += now() - t;

  // The body.
  t = now();
  const size_t nodes = model.nodeIds.size();
  std::vector<int> ids = model.nodeIds;
  for (const Interface &i : interfaces) ids.push_back(i.refNode);
  for (size_t a = 0; a < nodes; ++a) body.setNode(ids[a], &model.coordinates[3 * a]);
  for (size_t k = 0; k < interfaces.size(); ++k) body.setNode(interfaces[k].refNode, interfaces[k].centre);
  for (size_t a = 0; a < nodes; ++a)
    if (properties.nodalMass[a] > 0) body.setNodalMass(ids[a], properties.nodalMass[a]);
  for (const std::vector<int> &face : skinFaces(model)) body.addFace(face);
  for (const Interface &i : interfaces) body.setInterfaceNode(i.refNode);
  for (int j = 0; j < modes.modeCount; ++j)
    for (size_t a = 0; a < modes.bodyNodes; ++a) body.setModeValues(j + 1, ids[a], 0, modes.at(j, a));
  body.setModalMatrices(modes.eigenvalues);
  body.setMassProperties(properties);
  timing.body += now() - t;

  // Modal stresses and strains at the model's nodes.
  t = now();
  auto setResults = [&](FrdResult kind, int mode, size_t node, const double *six) {
    body.setModeValues(mode + 1, ids[node], kind == FrdResult::Stress ? 1 : 2, six);
  };
  if (freeFree) {
    readModalResults(work.file("modes.frd"), model, modes.modeCount, &timing, setResults);
  } else {
    for (int j = 0; j < modes.modeCount; ++j)
      for (size_t a = 0; a < nodes; ++a)
        for (FrdResult kind : {FrdResult::Stress, FrdResult::Strain})
          setResults(kind, j, a, interfaceResultsOfModes->at(kind, j, a));
  }
  timing.results += now() - t;
  // Past this point the body is written whole or not at all; an interrupt
  // that came during our own steps stops before it.
  stopIfInterrupted();
  t = now();
  body.write(options.output);
  timing.body += now() - t;
  timing.own = now() - start - timing.solver;
  timing.ownProcessor = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
  return timing;
}

}  // namespace qvb::ccx2qvb
