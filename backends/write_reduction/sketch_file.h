// Reading a sketch file: the nodes and faces a coarsened body keeps.
//
//   # comment lines and blank lines anywhere
//   NODES <count>
//   <node id> [<x> <y> <z>]        one per node; coordinates are not used
//   FACES <count>
//   <face number> <vertex count> <node id> ...
//   END
//
// Every node a face uses must be listed under NODES. Anything else (a
// missing section, a count the lines do not fill, a line that does not read)
// is refused with the file name and the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvb::coarsening {

struct Sketch {
  std::vector<int> nodes;      // node IDs, in the file's order
  std::vector<int> nodeLines;  // line of each node
  std::vector<int> faces;      // groups: vertex count, then node IDs
  std::vector<int> faceLines;  // line of each face
};

// False with *error ("FILE, line N: what") when the text is not a sketch.
bool parseSketch(std::string_view text, const std::string &file, Sketch *sketch, std::string *error);

// Reads and parses the file.
bool readSketch(const std::string &file, Sketch *sketch, std::string *error);

}  // namespace qvb::coarsening
