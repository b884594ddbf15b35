// The shell file: node coordinates and element faces as plain text for a
// viewer or mesher. Vertices are written counting from 1.
#include <cstdio>
#include <vector>

#include "convert/side_outputs.h"
#include "qvb.h"

namespace qvb::convert {

bool writeShellFile(QVB_Handle body, std::FILE *out) {
  const int nodeCount = QVB_NodeCount(body);
  int faceCount = 0, listSize = 0;
  QVB_FaceListSize(body, &faceCount, &listSize);
  if (listSize <= 0) {
    std::printf("\n**ERROR^G** Failed to allocate memory for faces in shell file at line %d in file %s.\n\n",
                __LINE__, kSourceName);
    return false;
  }
  std::vector<int> list(static_cast<size_t>(listSize), 0);
  QVB_ElementFaces(body, list.data());

  // Each group is a vertex count and that many node indices. A negative
  // count or a group running past the list ends the walk: nothing after it
  // can be placed reliably.
  struct Group {
    size_t start;
    int count;
  };
  std::vector<Group> faces;
  for (size_t i = 0; i < list.size();) {
    const int count = list[i];
    if (count < 0 || i + 1 + static_cast<size_t>(count) > list.size()) break;
    if (count >= 1) faces.push_back({i + 1, count});
    i += 1 + static_cast<size_t>(count);
  }

  std::fprintf(out, "%0d %0d %6.6f\n", nodeCount, static_cast<int>(faces.size()), QVB_Length2Meter(body, 1.0));
  for (int i = 0; i < nodeCount; ++i) {
    double xyz[3] = {0.0, 0.0, 0.0};
    QVB_NodeCoordinates(body, i, xyz);
    std::fprintf(out, "%6.6lf %6.6lf %6.6lf\n", xyz[0], xyz[1], xyz[2]);
  }
  for (const Group &face : faces) {
    std::fprintf(out, "%0d", face.count);
    for (int v = 0; v < face.count; ++v) std::fprintf(out, " %0d", list[face.start + v] + 1);
    std::fputc('\n', out);
  }
  return true;
}

void writeDump(QVB_Handle body, int block, std::FILE *out) {
  if (block < 1) {
    for (int b = 1; b <= 37; ++b) QVB_Contents(body, b, out);
  } else {
    QVB_Contents(body, block, out);
  }
  std::fflush(out);
}

[[noreturn]] void terminateAndExit(int status) {
  std::fflush(stdout);
  QVB_Terminate();
  std::exit(status);
}

}  // namespace qvb::convert
