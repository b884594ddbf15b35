// The MTX file header: title, units, invariant flags, name argument, the
// matrix count and the name list, all taken from the matrix plan.
#pragma once

#include "convert/conversion_context.h"

namespace qvb::convert {

// Asks the body which optional matrices it can provide.
BodyOffer askBodyOffer(QVB_Handle body);

// Plans the matrices (stored in context.plan) and writes the header.
void writeFileHeader(ConversionContext &context);

}  // namespace qvb::convert
