#include "script_bridge/body_text.h"

#include "qvb/qvb_interface.h"
#include "qvb/qvb_messages.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace qvb::coarsen {
namespace {

// Every line is formatted afresh, so no state carries from one to the next.
std::string format(const char *pattern, ...) QVB_PRINTF_LIKE;
std::string format(const char *pattern, ...) {
  std::va_list args;
  va_start(args, pattern);
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, pattern, args);
  va_end(args);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  std::vsnprintf(text.data(), text.size() + 1, pattern, again);
  va_end(again);
  return text;
}

}  // namespace

std::string nodeLine(int id, const double xyz[3]) {
  return format("%9d %20.10e%20.10e%20.10e", id, xyz[0], xyz[1], xyz[2]);
}

std::string faceCountLine(int faceCount) { return format("number of faces %d", faceCount); }

std::string faceLine(int faceNumber, const std::vector<int> &vertexIds) {
  std::string line = format("%9d      ", faceNumber);
  for (int id : vertexIds) line += format("%9d", id);
  return line;
}

std::string interfaceLine(int entryNumber, int id) { return format("%4d %9d", entryNumber, id); }

std::vector<std::string> bodyNodeLines(QVB_Handle body) {
  std::vector<std::string> lines;
  const int count = QVB_NodeCount(body);
  for (int index = 0; index < count; ++index) {
    double xyz[3] = {0.0, 0.0, 0.0};
    QVB_NodeCoordinates(body, index, xyz);
    lines.push_back(nodeLine(QVB_NodeID(body, index), xyz));
  }
  return lines;
}

std::vector<std::string> bodyFaceLines(QVB_Handle body) {
  int faceCount = 0;
  int listLength = 0;
  QVB_FaceListSize(body, &faceCount, &listLength);
  if (faceCount < 0) faceCount = 0;
  std::vector<int> list(static_cast<std::size_t>(listLength > 0 ? listLength : 0), 0);
  if (!list.empty()) QVB_ElementFaces(body, list.data());

  std::vector<std::string> lines{faceCountLine(faceCount)};
  // The list holds, per face, its vertex count and then that many node
  // indices. A list that runs out early is not read past its end.
  std::size_t at = 0;
  for (int face = 1; face <= faceCount; ++face) {
    const long vertexCount = at < list.size() ? list[at] : -1;
    if (vertexCount < 0 || static_cast<std::size_t>(vertexCount) > list.size() - at - 1) {
      QVB_Warning("The face list of the body ends inside face %d of %d; the faces from there on are left out.",
                  face, faceCount);
      break;
    }
    ++at;
    std::vector<int> ids;
    // A vertex that is no node of the body comes as a negative index; it
    // is handed on as id 0, which no node has, for the script to refuse.
    for (long v = 0; v < vertexCount; ++v, ++at) ids.push_back(list[at] >= 0 ? QVB_NodeID(body, list[at]) : 0);
    lines.push_back(faceLine(face, ids));
  }
  return lines;
}

std::vector<std::string> bodyInterfaceLines(QVB_Handle body) {
  std::vector<std::string> lines;
  int count = 0;
  struct ReleaseToBackend {
    void operator()(int *memory) const { QVB_FreeMemory(memory); }
  };
  const std::unique_ptr<int, ReleaseToBackend> ids(QVB_InterfaceNodeIDs(body, &count));
  if (ids == nullptr) return lines;
  for (int entry = 1; entry <= count; ++entry) lines.push_back(interfaceLine(entry, ids.get()[entry - 1]));
  return lines;
}

}  // namespace qvb::coarsen
