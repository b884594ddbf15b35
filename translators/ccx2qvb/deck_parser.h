// Reading the model part of a solver input deck.
//
// Every keyword is carried into the model, ignored because it cannot change
// the free body (steps, loads, outputs, contact, material behaviour beyond
// elasticity: counted, and named in one warning), or refused because it
// would change the stiffness or mass and the model does not carry it
// (unknown keywords too). The table in deck_parser.cpp decides, and
// docs/ccx2qvb.md lists it. Errors throw DeckError naming the file and line.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "errors.h"
#include "model.h"

namespace qvb::ccx2qvb {

// Reads the deck and everything it includes, and checks what needs the whole
// deck: element nodes, sets and surfaces named, a section for every element
// whose material has elastic constants and a density. Rigid bodies without a
// reference or rotation node get made ones (above the deck's highest ID, at
// the tied nodes' centroid). Material values are set by resolveTemperature
// (temperature.h), not here.
Model readDeck(const std::string &path);

// Every keyword the table knows (upper case, words one blank apart), with
// what it is to the translator: "carried", "ignored" or "refused".
std::vector<std::pair<std::string, std::string>> knownKeywords();

}  // namespace qvb::ccx2qvb
