// From a solver deck to a flexible body: the whole translation.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvb::ccx2qvb {

struct Options {
  std::string deck;
  std::string output;
  int modes = 20;                       // flexible modes kept
  std::vector<std::string> interfaces;  // node set names, in order
  std::string units[4] = {"KILOGRAM", "METER", "SECOND", "NEWTON"};
  bool unitsGiven = false;              // --units was given (else the default is assumed)
  std::optional<double> temperature;    // --temperature: where material tables are read
  std::string keep;                     // folder for the solver's files; empty: a temporary one
};

// Where the time went, in seconds.
struct Timing {
  double solver = 0;     // in the solver's runs
  double parse = 0;      // reading the deck and the solver's matrices and modes
  double eigen = 0;      // our own eigen-solution: factorisation and Lanczos
  double reduction = 0;  // the Craig-Bampton reduction
  double verify = 0;     // checking the solver's solution against its matrices
  double mass = 0;       // lumping, global mass and invariants
  double results = 0;    // reading modal stresses and strains into the body (part of body)
  double body = 0;       // filling and writing the body
  double own = 0;        // all but the solver
  double memoryNeed = 0;  // bytes our own process will need, estimated before the solver runs
  // Processor seconds (user and system): on a shared machine the fair
  // measure of the solver's and our own share.
  double solverProcessor = 0;
  double ownProcessor = 0;
};

// Translates; throws a TranslationError (errors.h) with the cause on any
// failure. The output file is written last and only when everything else
// succeeded, the body's modes included. Warnings go to warnings.
Timing translate(const Options &options, std::vector<std::string> *warnings);

}  // namespace qvb::ccx2qvb
