// The solver's jobs of one translation: their decks, their runs, and their
// matrices read back strictly.
//
// | job        | when                          | gives                                               |
// |------------|-------------------------------|-----------------------------------------------------|
// | mass       | always                        | the mesh's own K and M, no constraints (.sti .mas)  |
// | free       | free-free with constraints    | K and M on the constrained model's equations        |
// | tied       | with interfaces and constraints | K and M with the interfaces and constraints tied  |
// | stresses, stresses2 | always, after our own eigen-solution, side by side | the modes' stresses (prescribed steps) |
//
// Without the deck's own constraints the tied matrices are built from the
// mesh's (tied_matrices.h). The modes are our own (free_free.h,
// interface_reduction.h), checked against the matrices of the same model ("model
// matrices": mass when nothing is constrained, else free or tied); the mass
// properties use the mesh's own mass matrix, where every node has its three
// translations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "matrix_files.h"
#include "modal_basis.h"
#include "model_preparation.h"
#include "translate.h"
#include "work_folder.h"

namespace qvb::ccx2qvb {

struct StoredMatrices {
  std::vector<Dof> dofs;
  SymmetricTriplets stiffness, mass;
  std::size_t offDiagonals = 0;  // entries above the diagonal, the same in both (the .eig file's nzs)
};

// One solver job's share of prescribed fields: its result file holds fields
// first .. first + count - 1.
struct PrescribedPart {
  std::string frd;
  int first = 0;
  int count = 0;
};

// The stresses and strains of the fields of all parts, in field order.
std::function<void(const ModalResultSink &)> prescribedResults(const PreparedModel &prepared,
                                                               std::vector<PrescribedPart> parts);

class SolverJobs {
 public:
  SolverJobs(const PreparedModel &prepared, const Options &options, const WorkFolder &work, Timing *timing);

  // Writes the matrix jobs' decks, then runs them in order; throws SolverError
  // (or TranslationError when interrupted) at the first that fails.
  void writeAndRun();

  // The mesh's matrices (no constraints): read once, on first use.
  const StoredMatrices &meshMatrices();
  // The matrices on the equations of the modes.
  const StoredMatrices &modelMatrices();
  // Runs static steps prescribing each field (row-major on the model
  // matrices' equations, `count` columns): the stresses of the modes we
  // solved for ourselves. Each step stands alone, so the fields are split
  // over two jobs, `name` and `name`2, run side by side: on two cores the
  // longest job takes half the wall time.
  std::vector<PrescribedPart> runPrescribed(const std::string &name, const std::vector<Dof> &dofs,
                                            const std::vector<double> &fields, int count);
  // The modes to find: MODES + 6 free-free, MODES fixed-interface ones.
  int modesAsked() const { return modesAsked_; }
  std::string file(const std::string &name) const { return work_.file(name); }
  Timing *timing() const { return timing_; }

 private:
  // Returns the job's wall seconds; adds its processor seconds to *processor.
  double run(const std::string &job, double *processor, bool beside);
  void run(const char *job) { timing_->solver += run(job, &timing_->solverProcessor, false); }
  StoredMatrices read(const std::string &job, bool withStiffness);

  const PreparedModel &prepared_;
  const WorkFolder &work_;
  Timing *timing_;
  int modesAsked_;
  std::string modelJob_;  // whose matrices the modes live on ("" when we tie the mesh's ourselves)
  std::optional<StoredMatrices> mesh_, model_;
};

}  // namespace qvb::ccx2qvb
