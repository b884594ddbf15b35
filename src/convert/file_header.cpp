#include "convert/file_header.h"

#include <cstdlib>
#include <string>

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

void writeFileHeader(ConversionContext &context, TextOutput &out) {
  std::vector<int> edgeNumbers;
  for (const Edge &edge : context.edges) edgeNumbers.push_back(edge.number);
  context.plan = planMatrices(context.skipInvariants59, context.rigidOnly, askBodyOffer(context.body),
                              edgeNumbers);

  // Generous buffers: the backend writes texts of its own length into them.
  char title[1024] = "", text2[1024] = "", text3[1024] = "", fileType[1024] = "";
  char comment1[1024] = "", comment2[1024] = "", comment3[1024] = "";
  QVB_Header(context.body, title, text2, text3, fileType, comment1, comment2, comment3);

  std::string text = std::string("ORVIKMAT2 ") + title + "  ";
  for (const std::string *label : {&context.massLabel, &context.lengthLabel, &context.timeLabel,
                                   &context.forceLabel})
    text.append(label->c_str()).append("  ");  // as printf's %s: up to a NUL
  text.append(context.plan.invariantFlags.c_str()).append("[").append(context.nameArgument.c_str());
  text.append("@").append(text2).append("]\n");
  context.nameArgument.clear();
  context.nameArgument.shrink_to_fit();

  text += std::to_string(context.plan.count()) + "\n";
  out.write(text.data(), text.size());
  writeNameList(out, context.plan.names(), context.plan.edges);
}

}  // namespace qvb::convert
