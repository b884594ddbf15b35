#include "convert/file_header.h"

#include <cstdlib>

#include "convert/body_blocks.h"
#include "convert/mtx_format.h"
#include "qvb.h"

namespace qvb::convert {

BodyOffer askBodyOffer(QVB_Handle body) {
  BodyOffer offer;
  offer.dampingEntries = QVB_NumberOfGenDamp(body);
  int ignored = 0;
  double *preload = QVB_GetModalPreload(body, &ignored);
  offer.preload = preload != nullptr;
  std::free(preload);
  offer.loadCases = QVB_GetModalLoadCaseCount(body);
  offer.rotorDynamics = QVB_Exists(body, block::kRotorDynamics) != 0;
  if (offer.rotorDynamics) {
    for (int kind = 0; kind < 3; ++kind) {
      double *matrix = QVB_RotorDynamicsMatrix(body, kind);
      offer.rotorMatrix[kind] = matrix != nullptr;
      if (matrix != nullptr) QVB_FreeMemory(matrix);
    }
  }
  return offer;
}

void writeFileHeader(ConversionContext &context) {
  std::vector<int> edgeNumbers;
  for (const Edge &edge : context.edges) edgeNumbers.push_back(edge.number);
  context.plan = planMatrices(context.skipInvariants59, context.rigidOnly, askBodyOffer(context.body),
                              edgeNumbers);

  // Generous buffers: the backend writes texts of its own length into them.
  char title[1024] = "", text2[1024] = "", text3[1024] = "", fileType[1024] = "";
  char comment1[1024] = "", comment2[1024] = "", comment3[1024] = "";
  QVB_Header(context.body, title, text2, text3, fileType, comment1, comment2, comment3);

  std::FILE *out = context.output.stream();
  std::fprintf(out, "ORVIKMAT2 %s  ", title);
  for (const std::string *label : {&context.massLabel, &context.lengthLabel, &context.timeLabel,
                                   &context.forceLabel})
    std::fprintf(out, "%s  ", label->c_str());
  std::fputs(context.plan.invariantFlags.c_str(), out);
  std::fprintf(out, "[%s@%s]\n", context.nameArgument.c_str(), text2);
  context.nameArgument.clear();
  context.nameArgument.shrink_to_fit();

  std::fprintf(out, "%d\n", context.plan.count());
  writeNameList(out, context.plan.names(), context.plan.edges);
}

}  // namespace qvb::convert
