// The MTX file header: title, units, invariant flags, name argument, the
// matrix count and the name list, all taken from the matrix plan.
#pragma once

#include "convert/conversion_context.h"
#include "convert/text_output.h"

namespace qvb::convert {

// Asks the body which optional matrices it can provide.
BodyOffer askBodyOffer(QVB_Handle body);

// Plans the matrices (stored in context.plan) and writes the header to out.
void writeFileHeader(ConversionContext &context, TextOutput &out);

}  // namespace qvb::convert
