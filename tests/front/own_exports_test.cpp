// The body-level exports that do work of their own: QVB_SetFace,
// QVB_ClosestNode and QVB_write_QVB.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "front_test.h"

namespace {

namespace slot = qvbfake::slot;

class OwnExportsTest : public FrontTest {
 protected:
  QVB_Handle body_ = QVB_Create(0, 0);
};

TEST_F(OwnExportsTest, SetFaceHandsTheNodeListToSlot44) {
  qvbfake::setResult(slot::QVB_SetFaceList, 7);
  EXPECT_EQ(QVB_SetFace(body_, 3, 10, 11, 12), 7);
  const auto call = onlyCall(slot::QVB_SetFaceList);
  EXPECT_EQ(call.args.at(0).pointer, body_);
  EXPECT_EQ(call.args.at(1).i, 3);
  EXPECT_EQ(call.ints, (std::vector<int>{10, 11, 12}));

  qvbfake::reset();
  EXPECT_EQ(QVB_SetFace(body_, 0), 1);
  EXPECT_EQ(onlyCall(slot::QVB_SetFaceList).args.at(2).pointer, nullptr);

  qvbfake::reset();
  EXPECT_EQ(QVB_SetFace(body_, -1), 0);
  EXPECT_EQ(errors().size(), 1u);
  EXPECT_TRUE(qvbfake::calls().empty());
}

// A scripted body for QVB_ClosestNode: its coordinates (the backend may
// report fewer than the node count) and its interface node list.
struct Mesh {
  std::vector<double> xyz;
  std::vector<int> interfaceNodes;
  int reportedNodes = -1;  // what slot 35 says it wrote; -1: all
};

int closestNode(QVB_Handle body, const Mesh &mesh, std::vector<double> point, int interfaceOnly) {
  const int nodeCount = static_cast<int>(mesh.xyz.size() / 3);
  qvbfake::setResult(slot::QVB_NodeCount, nodeCount);
  qvbfake::setHook(slot::QVB_NodeCoordinateList, [&](const qvbfake::Call &call) {
    auto *xyz = static_cast<double *>(call.args[1].pointer);
    auto *count = static_cast<int *>(call.args[2].pointer);
    EXPECT_EQ(*count, nodeCount);  // in: the room given
    std::copy(mesh.xyz.begin(), mesh.xyz.end(), xyz);
    *count = mesh.reportedNodes < 0 ? nodeCount : mesh.reportedNodes;
    return qvbfake::Result(1);
  });
  qvbfake::setHook(slot::QVB_InterfaceNodes, [&](const qvbfake::Call &call) {
    *static_cast<int *>(call.args[1].pointer) = static_cast<int>(mesh.interfaceNodes.size());
    return qvbfake::Result(mesh.interfaceNodes.empty()
                               ? nullptr
                               : const_cast<int *>(mesh.interfaceNodes.data()));
  });
  return QVB_ClosestNode(body, point.data(), interfaceOnly);
}

TEST_F(OwnExportsTest, ClosestNodeSearchOrderTiesAndNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Nodes 1 and 3 coincide; node 4 lies on the x axis at 5.
  const std::vector<double> line = {0, 0, 0, 1, 0, 0, 2, 0, 0, 1, 0, 0, 5, 0, 0};
  const struct {
    const char *what;
    Mesh mesh;
    std::vector<double> point;
    int interfaceOnly;
    int expected;
  } cases[] = {
      {"all nodes, tie keeps the lower index", {line, {}}, {1.1, 0, 0}, 0, 1},
      {"interface list order, tie keeps the earlier", {line, {3, 1}}, {0.9, 0, 0}, 1, 3},
      {"interface exact hit", {line, {4, 3, 1}}, {1, 0, 0}, 1, 3},
      {"interface flag without interface nodes", {line, {}}, {4.5, 0, 0}, 1, 4},
      {"interface nodes ignored without the flag", {line, {0}}, {4.5, 0, 0}, 0, 4},
      {"NaN node never wins", {{3, 0, 0, 0, nan, 0, 1, 0, 0}, {}}, {0, 0, 0}, 0, 2},
      {"NaN first distance is never replaced", {{nan, 0, 0, 0, 0, 0}, {}}, {0, 0, 0}, 0, 0},
      {"NaN point keeps the first candidate", {line, {2, 0}}, {nan, 0, 0}, 1, 2},
      {"only the nodes the backend wrote", {line, {}, 2}, {5, 0, 0}, 0, 1},
      {"interface indices outside the list are skipped", {line, {9, -1, 2}}, {5, 0, 0}, 1, 2},
      {"no nodes", {{}, {}}, {0, 0, 0}, 0, -1},
  };
  for (const auto &c : cases) {
    qvbfake::reset();
    EXPECT_EQ(closestNode(body_, c.mesh, c.point, c.interfaceOnly), c.expected) << c.what;
    // The interface list goes back to the backend that handed it out.
    if (!c.mesh.interfaceNodes.empty()) {
      EXPECT_EQ(onlyCall(slot::QVB_FreeMemory).args.at(0).pointer, c.mesh.interfaceNodes.data());
    }
  }
  EXPECT_TRUE(errors().empty());
}

TEST_F(OwnExportsTest, WriteChoosesSlotAndNameByFileKind) {
  const struct {
    const char *file;
    int slot;
    const char *name;
    const char *bodyName;  // slot 102 only
  } cases[] = {
      {"part.QVB", slot::QVB_write_QVB, "part.QVB", nullptr},
      {"part.qvb::2", slot::QVB_write_QVB, "part.qvb::2", nullptr},
      {"part", slot::QVB_write_QVB, "part.qvb", nullptr},
      {"part.txt", slot::QVB_write_QVB, "part.txt.qvb", nullptr},
      {"db.master::wing", slot::QVB_write_QVB_DB, "db.master", "wing"},
      {"db.master", slot::QVB_write_QVB_DB, "db.master", "*"},
      {"DB.Master::", slot::QVB_write_QVB_DB, "DB.Master", ""},
  };
  for (const auto &c : cases) {
    qvbfake::reset();
    qvbfake::setResult(c.slot, 9);
    EXPECT_EQ(QVB_write_QVB(body_, c.file), 9) << c.file;
    const auto call = onlyCall(c.slot);
    EXPECT_EQ(call.backend, "qvbflex") << c.file;  // the body's backend, whatever the kind
    EXPECT_EQ(call.args.at(0).pointer, body_);
    EXPECT_EQ(call.args.at(1).text, c.name) << c.file;
    if (c.bodyName != nullptr) {
      EXPECT_EQ(call.args.at(2).text, c.bodyName) << c.file;
    }
  }
  EXPECT_TRUE(errors().empty());
}

TEST_F(OwnExportsTest, WriteRefusesNamesBeyondItsBuffers) {
  const std::string longest = std::string(1023 - 7, 'd') + ".master";
  const std::string longestPlain = std::string(1023 - 4, 'p');
  const std::string longestFile = std::string(1023 - 4, 'f') + ".qvb";  // as long as a read accepts
  const std::string longestBody = std::string(255, 'b');
  EXPECT_EQ(QVB_write_QVB(body_, longest.c_str()), 1);
  EXPECT_EQ(QVB_write_QVB(body_, longestFile.c_str()), 1);
  EXPECT_EQ(QVB_write_QVB(body_, longestPlain.c_str()), 1);
  EXPECT_EQ(QVB_write_QVB(body_, ("d.master::" + longestBody).c_str()), 1);
  EXPECT_TRUE(errors().empty());
  qvbfake::reset();

  EXPECT_EQ(QVB_write_QVB(body_, ("d" + longest).c_str()), 0);
  EXPECT_EQ(QVB_write_QVB(body_, (longestPlain + "p").c_str()), 0);
  EXPECT_EQ(QVB_write_QVB(body_, ("d.master::b" + longestBody).c_str()), 0);
  EXPECT_EQ(QVB_write_QVB(body_, ("f" + longestFile).c_str()), 0);
  EXPECT_EQ(errors().size(), 4u);
  EXPECT_TRUE(qvbfake::calls().empty());
}

}  // namespace
