// Body files: one or more encoded bodies in one little-endian file (the
// layout is in docs/qvb-format.md). Reading copies each block straight into
// the body's arrays; writing goes to a temporary file in the same folder that
// replaces the target only once it is complete and flushed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "body.h"

namespace qvb::qvbflex {

// Number of bodies in the file, or -1 with *error set.
int bodyCount(const std::string &path, std::string *error);

// Body `index` (from 1) of the file; with surfaceOnly only the blocks of the
// surface mesh. Null with *error set when the file is missing, foreign,
// truncated or corrupt.
std::unique_ptr<body::Body> readBody(const std::string &path, int index, bool surfaceOnly, std::string *error);

// Writes the body. position 0: the file holds this body alone. position k >= 1:
// the body becomes body k of the file, replacing the body there or, for
// k = count + 1, appended; the other bodies are copied unchanged. False with
// *error set on failure, in which case the target file is untouched.
bool writeBody(const std::string &path, const body::Body &body, int position, std::string *error);

// A file name as callers pass it, read by the selector grammar of
// util/body_selector.h: trailing blanks (from fixed-length Fortran names) are
// ignored, and a "::k" suffix selects body k. The index is 0 when no suffix
// was given. False with *error set when the suffix is not a body number.
struct FileSpec {
  std::string path;
  int index = 0;
};
bool parseFileSpec(const char *specification, FileSpec *spec, std::string *error);

}  // namespace qvb::qvbflex
