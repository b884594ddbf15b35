// The blocks of a flexible body, written once.
//
// One entry per block number (1..37; the format never used 33): its name,
// when a body holds it, its payload layout, which the codec both encodes and
// decodes from, and its readable dump. Adding a block means adding an entry
// here; nothing else switches over block numbers.
#pragma once

#include <array>

#include "body.h"

namespace qvb::body {

class BlockWriter;
class BlockReader;
class BlockDump;

// What a block is besides its payload.
enum BlockTraits : unsigned {
  kNoTraits = 0,
  kSurfaceMesh = 1,  // read for a surface-mesh body: identity, units, nodes, faces
  kUnitFree = 2,     // its values do not depend on the unit system
};

struct BlockLayout {
  int number;
  const char *name;  // as reports print it ("nodal_coords")
  unsigned traits;
  bool (*present)(const Body &);
  void (*encode)(BlockWriter &, const Body &);
  void (*decode)(BlockReader &, Body &);
  void (*dump)(BlockDump &, const Body &);
};

// Every entry, in ascending block order (the order blocks are stored and
// decoded in: later blocks refer to the modes the content summary lists).
extern const std::array<BlockLayout, 36> kBlockTable;

// The entry of a block number; null for 33 and numbers outside 1..37.
const BlockLayout *findBlock(int number);

}  // namespace qvb::body
