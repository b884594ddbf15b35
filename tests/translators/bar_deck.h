// Structured meshes of a rectangular bar, written as solver decks, so that
// the translator's tests need no mesher.
#pragma once

#include <string>

namespace ccxtest {

struct Bar {
  double length = 1.0, width = 0.04, height = 0.02;  // x, y, z; the bar spans y, z in [-w/2, w/2], [-h/2, h/2]
  int nx = 10, ny = 2, nz = 1;                       // bricks along each side
  std::string type = "C3D20R";                       // C3D8, C3D8R, C3D20, C3D20R, C3D4, C3D10 (6 tets a brick)
  double young = 2.1e11, poisson = 0.3, density = 7850.0;
  // A second bar in one deck: its node and element IDs start above idOffset,
  // it starts at x = origin, and its sets, material and element set carry
  // the suffix.
  int idOffset = 0;
  double origin = 0.0;
  std::string suffix;
};

// A bar of nx x ny x nz bricks of the given type, the rest as above.
inline Bar barOf(int nx, int ny, int nz, const char *type = "C3D20R") {
  Bar bar;
  bar.nx = nx, bar.ny = ny, bar.nz = nz, bar.type = type;
  return bar;
}

// The model: nodes, elements (ELSET=EALL), node sets END0 and END1 (the faces
// x = 0 and x = length) and EDGE0 (the nodes of the end face's edge z = -h/2:
// collinear), element set LAST (the bricks at x = length, whose face S4 lies
// there), one material STEEL and its section; names carry the suffix.
std::string barModel(const Bar &bar);

// Writes text to path; aborts the test binary when it cannot.
void writeText(const std::string &path, const std::string &text);

}  // namespace ccxtest
