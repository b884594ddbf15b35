// One writer per matrix (or pair of matrices written together), each
// writing its header line and records when the plan holds the matrix.
// A writer returns false when the conversion must stop.
#pragma once

#include "convert/conversion_context.h"
#include "convert/mtx_format.h"

namespace qvb::convert {

bool WriteSelectedNodes(ConversionContext &context, MtxWriter &mtx);
bool WriteSelectedModes(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant1(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant2(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant3(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant4(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariants5And9(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant6(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant7(ConversionContext &context, MtxWriter &mtx);
bool WriteInvariant8(ConversionContext &context, MtxWriter &mtx);
bool WriteGeneralizedStiffness(ConversionContext &context, MtxWriter &mtx);
bool WriteModeShapes(ConversionContext &context, MtxWriter &mtx);
bool WritePreload(ConversionContext &context, MtxWriter &mtx);
bool WriteModalLoads(ConversionContext &context, MtxWriter &mtx);
bool WriteGeneralizedDamping(ConversionContext &context, MtxWriter &mtx);
bool WriteEdges(ConversionContext &context, MtxWriter &mtx);
bool WriteRotorDynamics(ConversionContext &context, MtxWriter &mtx);

// Position of each selected mode in the body's mode order.
std::vector<int> SelectedModeIndices(const ConversionContext &context);

// Reports, through the message channel, that a matrix the header already
// announced can no longer be read, and fails the conversion.
bool AnnouncedMatrixMissing(int name);

}  // namespace qvb::convert
