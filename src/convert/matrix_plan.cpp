#include "convert/matrix_plan.h"

namespace qvb::convert {

std::vector<int> MatrixPlan::Names() const {
  std::vector<int> names;
  for (int i = 0; i < kMatrixNameCount; ++i)
    if (i != kEdge && present[i]) names.push_back(i);
  return names;
}

MatrixPlan PlanMatrices(bool skip_invariants_5_9, bool rigid_only, const BodyOffer &offer,
                        const std::vector<int> &edge_numbers) {
  MatrixPlan plan;
  plan.present.fill(true);
  plan.present[kEdge] = false;
  if (rigid_only) {
    for (int name : {kSelMod, kGenStiff, kInvar3, kInvar4, kInvar5, kInvar6, kInvar8, kInvar9,
                     kTMode, kRMode, kPreload, kModLoad, kGenDamp, kRdAxis, kRdGyro, kRdCirc,
                     kRdDiff})
      plan.present[name] = false;
    plan.invariant_flags = "TTFFFFTFF ";
    return plan;
  }
  if (skip_invariants_5_9) {
    plan.present[kInvar5] = plan.present[kInvar9] = false;
    plan.invariant_flags = "TTTTFTTTF ";
  } else {
    plan.invariant_flags = "TTTTTTTTT ";
  }
  plan.present[kPreload] = offer.preload;
  plan.present[kModLoad] = offer.load_cases > 0;
  plan.present[kGenDamp] = offer.damping_entries != 0;
  plan.present[kRdAxis] = offer.rotor_dynamics;
  plan.present[kRdGyro] = offer.rotor_dynamics && offer.rotor_matrix[0];
  plan.present[kRdCirc] = offer.rotor_dynamics && offer.rotor_matrix[1];
  plan.present[kRdDiff] = offer.rotor_dynamics && offer.rotor_matrix[2];
  plan.edges = edge_numbers;
  return plan;
}

}  // namespace qvb::convert
