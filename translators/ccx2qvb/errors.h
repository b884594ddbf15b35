// The kinds of failure a translation can end in. Each carries our own
// sentence; callers tell them apart by type, never by their text.
#pragma once

#include <stdexcept>
#include <string>

namespace qvb::ccx2qvb {

// Anything that stops a translation; the body is then not written.
class TranslationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The deck is wrong or holds what the translator cannot carry (file and line).
class DeckError : public TranslationError {
 public:
  using TranslationError::TranslationError;
};

// The solver could not run or reported an error: our sentence, then its line.
class SolverError : public TranslationError {
 public:
  using TranslationError::TranslationError;
};

// A result file of the solver is missing, cut, stale or not what the job
// asked for (names the file).
class ResultFileError : public TranslationError {
 public:
  using TranslationError::TranslationError;
};

// The solver's solution failed a check against its own matrices (names the
// check and by how much).
class VerificationError : public TranslationError {
 public:
  using TranslationError::TranslationError;
};

// A command-line value is unusable (units, temperature, mode count, output).
class OptionError : public TranslationError {
 public:
  using TranslationError::TranslationError;
};

}  // namespace qvb::ccx2qvb
