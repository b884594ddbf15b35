#include "convert/matrix_plan.h"

namespace qvb::convert {

std::vector<int> MatrixPlan::names() const {
  std::vector<int> names;
  for (int i = 0; i < kMatrixNameCount; ++i)
    if (i != kEdge && present[i]) names.push_back(i);
  return names;
}

MatrixPlan planMatrices(bool skipInvariants59, bool rigidOnly, const BodyOffer &offer,
                        const std::vector<int> &edgeNumbers) {
  MatrixPlan plan;
  plan.present.fill(true);
  plan.present[kEdge] = false;
  if (rigidOnly) {
    for (int name : {kSelMod, kGenStiff, kInvar3, kInvar4, kInvar5, kInvar6, kInvar8, kInvar9,
                     kTMode, kRMode, kPreload, kModLoad, kGenDamp, kRdAxis, kRdGyro, kRdCirc,
                     kRdDiff})
      plan.present[name] = false;
    plan.invariantFlags = "TTFFFFTFF ";
    return plan;
  }
  if (skipInvariants59) {
    plan.present[kInvar5] = plan.present[kInvar9] = false;
    plan.invariantFlags = "TTTTFTTTF ";
  } else {
    plan.invariantFlags = "TTTTTTTTT ";
  }
  plan.present[kPreload] = offer.preload;
  plan.present[kModLoad] = offer.loadCases > 0;
  plan.present[kGenDamp] = offer.dampingEntries != 0;
  plan.present[kRdAxis] = offer.rotorDynamics;
  plan.present[kRdGyro] = offer.rotorDynamics && offer.rotorMatrix[0];
  plan.present[kRdCirc] = offer.rotorDynamics && offer.rotorMatrix[1];
  plan.present[kRdDiff] = offer.rotorDynamics && offer.rotorMatrix[2];
  plan.edges = edgeNumbers;
  return plan;
}

}  // namespace qvb::convert
