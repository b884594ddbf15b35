// The body's surface as the lines the coarsening script reads.
//
// Widths are fixed so that the script can also cut the lines by column:
//   node       "%9d" id, a blank, three "%20.10e" coordinates
//   face count "number of faces <count>"
//   face       "%9d" face number from 1, six blanks, "%9d" per vertex id
//   interface  "%4d" entry number from 1, a blank, "%9d" node id
#pragma once

#include "qvb/qvb_export.h"

#include <string>
#include <vector>

namespace qvb::coarsen {

std::string nodeLine(int id, const double xyz[3]);
std::string faceCountLine(int faceCount);
std::string faceLine(int faceNumber, const std::vector<int> &vertexIds);
std::string interfaceLine(int entryNumber, int id);

// One line per node of the body.
std::vector<std::string> bodyNodeLines(QVB_Handle body);

// The face count line, then one line per face.
std::vector<std::string> bodyFaceLines(QVB_Handle body);

// One line per interface node.
std::vector<std::string> bodyInterfaceLines(QVB_Handle body);

}  // namespace qvb::coarsen
