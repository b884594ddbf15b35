#include "solver_jobs.h"

#include "analysis_decks.h"
#include "errors.h"
#include "interruption.h"
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

void SolverJobs::run(const char *job) {
  stopIfInterrupted();
  try {
    timing_->solver += runSolver(prepared_.solver, work_.path(), job, &timing_->solverProcessor);
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

void SolverJobs::runPrescribed(const std::string &name, const std::vector<Dof> &dofs, const std::vector<double> &fields,
                               int count) {
  writeDisplacementDeck(prepared_.interfaces, dofs, fields, count, work_.file(name + ".inp"));
  run(name.c_str());
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
