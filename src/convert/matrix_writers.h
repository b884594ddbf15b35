// One writer per matrix (or pair of matrices written together), each
// writing its header line and records when the plan holds the matrix.
// A writer returns false when the conversion must stop.
#pragma once

#include "convert/conversion_context.h"
#include "convert/mtx_format.h"

namespace qvb::convert {

bool writeSelectedNodes(ConversionContext &context, MtxWriter &mtx);
bool writeSelectedModes(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant1(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant2(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant3(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant4(ConversionContext &context, MtxWriter &mtx);
bool writeInvariants5And9(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant6(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant7(ConversionContext &context, MtxWriter &mtx);
bool writeInvariant8(ConversionContext &context, MtxWriter &mtx);
bool writeGeneralizedStiffness(ConversionContext &context, MtxWriter &mtx);
bool writeModeShapes(ConversionContext &context, MtxWriter &mtx);
bool writePreload(ConversionContext &context, MtxWriter &mtx);
bool writeModalLoads(ConversionContext &context, MtxWriter &mtx);
bool writeGeneralizedDamping(ConversionContext &context, MtxWriter &mtx);
bool writeEdges(ConversionContext &context, MtxWriter &mtx);
bool writeRotorDynamics(ConversionContext &context, MtxWriter &mtx);

// Position of each selected mode in the body's mode order.
std::vector<int> selectedModeIndices(const ConversionContext &context);

// Reports, through the message channel, that a matrix the header already
// announced can no longer be read, and fails the conversion.
bool announcedMatrixMissing(int name);

}  // namespace qvb::convert
