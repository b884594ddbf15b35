// Reading the model part of a solver input deck.
//
// Accepted: *NODE, *ELEMENT (solid types of element_types.h), *NSET and
// *ELSET (also GENERATE), *MATERIAL with isotropic *ELASTIC and *DENSITY,
// *SOLID SECTION, *INCLUDE, *HEADING. Steps are skipped with a warning (the
// translator writes its own analyses); other keywords are skipped with a
// warning. Errors throw DeckError naming the file and line.
#pragma once

#include <string>

#include "errors.h"
#include "model.h"

namespace qvb::ccx2qvb {

// Reads the deck and everything it includes; checks that every element has a
// section whose material has elastic constants and a density.
Model readDeck(const std::string &path);

}  // namespace qvb::ccx2qvb
