// From a solver deck to a flexible body: the whole translation.
#pragma once

#include <string>
#include <vector>

namespace qvb::ccx2qvb {

struct Options {
  std::string deck;
  std::string output;
  int modes = 20;                       // flexible modes kept
  std::vector<std::string> interfaces;  // node set names, in order
  std::string units[4] = {"KILOGRAM", "METER", "SECOND", "NEWTON"};
  std::string keep;                     // folder for the solver's files; empty: a temporary one
};

// Where the time went, in seconds.
struct Timing {
  double solver = 0;     // in the solver's runs
  double parse = 0;      // reading the deck and the solver's matrices and modes
  double reduction = 0;  // the Craig-Bampton reduction
  double mass = 0;       // lumping, global mass and invariants
  double results = 0;    // reading modal stresses and strains into the body
  double body = 0;       // filling and writing the body
  double own = 0;        // all but the solver
  // Processor seconds (user and system): on a shared machine the fair
  // measure of the solver's and our own share.
  double solverProcessor = 0;
  double ownProcessor = 0;
  double bytesRead = 0;  // of the solver's files
};

// Translates; throws std::runtime_error with the cause on any failure. The
// output file is written last and only when everything else succeeded.
// Warnings (ignored keywords, steps) go to warn.
Timing translate(const Options &options, std::vector<std::string> *warnings);

}  // namespace qvb::ccx2qvb
