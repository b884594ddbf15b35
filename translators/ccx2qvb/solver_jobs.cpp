#include "solver_jobs.h"

#include <algorithm>
#include <atomic>

#include "analysis_decks.h"
#include "errors.h"
#include "interruption.h"
#include "modal_results.h"
#include "platform/os.h"
#include "platform/worker_threads.h"
#include "solver_run.h"
#include "stage_timer.h"
#include "tied_matrices.h"

namespace qvb::ccx2qvb {
SolverJobs::SolverJobs(const PreparedModel &prepared, const Options &options, const WorkFolder &work, Timing *timing)
    : prepared_(prepared), work_(work), timing_(timing) {
  const bool freeFree = prepared.interfaces.empty();
  modesAsked_ = freeFree ? options.modes + 6 : options.modes;
  // Interfaces alone we tie ourselves; with the deck's constraints too, the
  // solver eliminates them all in its tied run.
  modelJob_ = !freeFree ? (prepared.constrained() ? "tied" : "") : prepared.constrained() ? "free" : "mass";
}

double SolverJobs::run(const std::string &job, double *processor, bool beside) {
  stopIfInterrupted();
  try {
    return runSolver(prepared_.solver, work_.path(), job, processor, beside);
  } catch (const SolverError &e) {
    stopIfInterrupted();
    // A failed run's output is gone with a temporary folder: say how to keep it.
    if (!work_.temporary()) throw SolverError(std::string(e.what()) + " (its files are in " + work_.path() + ")");
    throw SolverError(std::string(e.what()) + " (run again with --keep DIR to keep the solver's files)");
  }
}

void SolverJobs::writeAndRun() {
  const std::vector<Interface> &interfaces = prepared_.interfaces;
  const std::vector<Interface> none;
  writeModelDeck(prepared_.model, interfaces, work_.file("model.inp"));
  // The mass properties need every node's three directions: the bare mesh.
  if (prepared_.constrained()) writeModelDeck(prepared_.model, interfaces, work_.file("mesh.inp"), false);
  writeMatrixDeck(none, work_.file("mass.inp"), prepared_.constrained() ? "mesh.inp" : "model.inp");
  run("mass");
  if (modelJob_ == "free") {
    writeMatrixDeck(none, work_.file("free.inp"));
    run("free");
  }
  if (modelJob_ == "tied") {
    writeMatrixDeck(interfaces, work_.file("tied.inp"));
    run("tied");
  }
  stopIfInterrupted();
}

std::vector<PrescribedPart> SolverJobs::runPrescribed(const std::string &name, const std::vector<Dof> &dofs,
                                                      const std::vector<double> &fields, int count) {
  const size_t parts = count >= 2 ? 2 : 1, n = dofs.size(), m = static_cast<size_t>(count);
  std::vector<PrescribedPart> out;
  std::vector<std::string> jobs;
  for (size_t p = 0; p < parts; ++p) {
    const size_t first = m * p / parts, last = m * (p + 1) / parts, width = last - first;
    std::vector<double> slice(n * width);
    for (size_t e = 0; e < n; ++e) std::copy_n(&fields[e * m + first], width, &slice[e * width]);
    jobs.push_back(p == 0 ? name : name + std::to_string(p + 1));
    writeDisplacementDeck(prepared_.interfaces, dofs, slice, static_cast<int>(width), work_.file(jobs.back() + ".inp"));
    out.push_back({work_.file(jobs.back() + ".frd"), static_cast<int>(first), static_cast<int>(width)});
  }
  std::vector<double> processor(jobs.size(), 0.0);
  std::atomic<size_t> next{0};
  const double start = platform::wallClock();
  // A thread the system refuses leaves its share to the other: the jobs are
  // taken one by one.
  platform::runOnThreads(static_cast<unsigned>(jobs.size()), [&](unsigned) {
    for (size_t p; (p = next++) < jobs.size();) run(jobs[p], &processor[p], jobs.size() > 1);
  });
  timing_->solver += platform::wallClock() - start;
  for (double seconds : processor) timing_->solverProcessor += seconds;
  stopIfInterrupted();
  return out;
}

std::function<void(const ModalResultSink &)> prescribedResults(const PreparedModel &prepared,
                                                               std::vector<PrescribedPart> parts) {
  return [&prepared, parts = std::move(parts)](const ModalResultSink &take) {
    for (const PrescribedPart &part : parts)
      readModalResults(
          part.frd, prepared.model, prepared.elementNode, {part.count, prepared.elementNodes},
          [&](FrdResult kind, int set, size_t node, const double *six) { take(kind, part.first + set, node, six); });
  };
}

StoredMatrices SolverJobs::read(const std::string &job, bool withStiffness) {
  StageTimer timer(&timing_->parse);
  StoredMatrices m;
  m.dofs = readDofs(work_.file(job + ".dof"));
  m.mass = readSymmetric(work_.file(job + ".mas"), m.dofs.size());
  if (withStiffness) m.stiffness = readSymmetric(work_.file(job + ".sti"), m.dofs.size());
  m.offDiagonals = offDiagonalCount(m.mass);
  if (withStiffness && offDiagonalCount(m.stiffness) != m.offDiagonals)
    throw ResultFileError(work_.file(job + ".sti") + " and " + job + ".mas do not have the same entries");
  return m;
}

const StoredMatrices &SolverJobs::meshMatrices() {
  if (modelJob_ == "mass") return modelMatrices();
  if (!mesh_) mesh_ = read("mass", modelJob_.empty());
  return *mesh_;
}

const StoredMatrices &SolverJobs::modelMatrices() {
  if (model_) return *model_;
  if (!modelJob_.empty()) {
    model_ = read(modelJob_, true);
    return *model_;
  }
  const StoredMatrices &mesh = meshMatrices();
  StageTimer timer(&timing_->reduction);
  TiedMatrices tied = tieInterfaces(prepared_.model, prepared_.interfaces, mesh.dofs, mesh.stiffness, mesh.mass);
  model_ = StoredMatrices{std::move(tied.dofs), std::move(tied.stiffness), std::move(tied.mass), 0};
  model_->offDiagonals = offDiagonalCount(model_->mass);
  mesh_->stiffness = SymmetricTriplets();  // the mass properties need the mesh's mass alone
  return *model_;
}

}  // namespace qvb::ccx2qvb
