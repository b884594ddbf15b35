#include "convert/file_header.h"

#include <cstdlib>

#include "convert/body_blocks.h"
#include "convert/mtx_format.h"
#include "qvb.h"

namespace qvb::convert {

BodyOffer AskBodyOffer(QVB_Handle body) {
  BodyOffer offer;
  offer.damping_entries = QVB_NumberOfGenDamp(body);
  int ignored = 0;
  double *preload = QVB_GetModalPreload(body, &ignored);
  offer.preload = preload != nullptr;
  std::free(preload);
  offer.load_cases = QVB_GetModalLoadCaseCount(body);
  offer.rotor_dynamics = QVB_Exists(body, block::kRotorDynamics) != 0;
  if (offer.rotor_dynamics) {
    for (int kind = 0; kind < 3; ++kind) {
      double *matrix = QVB_RotorDynamicsMatrix(body, kind);
      offer.rotor_matrix[kind] = matrix != nullptr;
      if (matrix != nullptr) QVB_FreeMemory(matrix);
    }
  }
  return offer;
}

void WriteFileHeader(ConversionContext &context) {
  std::vector<int> edge_numbers;
  for (const Edge &edge : context.edges) edge_numbers.push_back(edge.number);
  context.plan = PlanMatrices(context.skip_invariants_5_9, context.rigid_only, AskBodyOffer(context.body),
                              edge_numbers);

  // Generous buffers: the backend writes texts of its own length into them.
  char title[1024] = "", text2[1024] = "", text3[1024] = "", file_type[1024] = "";
  char comment1[1024] = "", comment2[1024] = "", comment3[1024] = "";
  QVB_Header(context.body, title, text2, text3, file_type, comment1, comment2, comment3);

  std::FILE *out = context.output.get();
  std::fprintf(out, "ORVIKMAT2 %s  ", title);
  for (const std::string *label : {&context.mass_label, &context.length_label, &context.time_label,
                                   &context.force_label})
    std::fprintf(out, "%s  ", label->c_str());
  std::fputs(context.plan.invariant_flags.c_str(), out);
  std::fprintf(out, "[%s@%s]\n", context.name_argument.c_str(), text2);
  context.name_argument.clear();
  context.name_argument.shrink_to_fit();

  std::fprintf(out, "%d\n", context.plan.Count());
  WriteNameList(out, context.plan.Names(), context.plan.edges);
}

}  // namespace qvb::convert
