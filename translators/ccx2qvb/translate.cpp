#include "translate.h"

#include <ctime>

#include "body_assembly.h"
#include "free_free.h"
#include "interface_reduction.h"
#include "memory_estimate.h"
#include "model_preparation.h"
#include "platform/os.h"
#include "solver_jobs.h"
#include "stage_timer.h"
#include "work_folder.h"

namespace qvb::ccx2qvb {

// The stages, in order: read the deck (and everything decided from it alone),
// write and run the solver's jobs, read and check their results (reducing
// them first for a Craig-Bampton body), then build and write the body. Each
// stage's time is kept under its name; the solver's time under "ccx".
Timing translate(const Options &options, std::vector<std::string> *warnings) {
  Timing timing;
  const double start = platform::wallClock();
  const std::clock_t processorStart = std::clock();

  PreparedModel prepared = [&] {
    StageTimer timer(&timing.parse);
    return prepareModel(options, warnings);
  }();
  {
    StageTimer timer(&timing.parse);
    timing.memoryNeed = requireMemory(prepared);
  }
  WorkFolder work(options.keep);
  SolverJobs jobs(prepared, options, work, &timing);
  jobs.writeAndRun();

  ModalBasis basis = prepared.interfaces.empty() ? freeFreeBasis(prepared, jobs, &timing, warnings)
                                                 : craigBamptonBasis(prepared, jobs, &timing);
  const MassProperties properties = [&] {
    StageTimer timer(&timing.mass);
    return bodyMassProperties(prepared, jobs, basis);
  }();
  {
    StageTimer timer(&timing.body);
    writeBody(prepared, options, basis, properties, &timing);
  }
  timing.own = platform::wallClock() - start - timing.solver;
  timing.ownProcessor = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
  return timing;
}

}  // namespace qvb::ccx2qvb
