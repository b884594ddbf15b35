// Databases of named bodies: many bodies in one SQLite file (".master").
//
// Each body is one row of `bodies` and its encoded blocks are rows of
// `blocks`, with the same block encoding and CRC-32C checksums as body files
// (docs/database.md has the schema). Bodies are numbered from 1 in the order
// they were first written; replacing a body keeps its number.
//
// Used by both plug-ins: a body read from a body file may be written into a
// database and the other way round, so the writer lives here, not in the
// database plug-in.
#pragma once

#include <memory>
#include <string>

#include "body.h"

namespace qvb::database {

struct BodyInfo {
  std::string name;
  int nodeCount = 0;
  int modeCount = 0;
  std::string created;   // ISO 8601, UTC
  std::string modified;  // ISO 8601, UTC
};

// Number of bodies, or -1 with *error set (missing file, not a database, not
// our schema).
int bodyCount(const std::string &path, std::string *error);

// The number (from 1) of the body called `name`; 0 when there is none, -1
// with *error set when the database cannot be read.
int bodyNumber(const std::string &path, const std::string &name, std::string *error);

// The body numbered `index` (from 1). False with *error set.
bool bodyInfo(const std::string &path, int index, BodyInfo *info, std::string *error);

// Reads body `index` (from 1), or the body called `name` when name is not
// empty. With surfaceOnly only the blocks of the surface mesh are read.
std::unique_ptr<body::Body> readBody(const std::string &path, int index, const std::string &name,
                                     bool surfaceOnly, std::string *error);

// Stores the body under `name` ("*" or empty: the body's title, or "body"
// when it has none), replacing a body of that name, in one transaction:
// on failure the database is exactly as it was. Creates the database when
// the file does not exist.
bool writeBody(const std::string &path, const body::Body &body, const std::string &name,
               std::string *error);

// The name "*" stands for.
std::string defaultBodyName(const body::Body &body);

}  // namespace qvb::database
