// Faces, free edges, closest nodes, renumbering and rigid motions of the mesh.
#include <gtest/gtest.h>

#include <cmath>

#include "backend_fixture.h"

namespace qvbtest {
namespace {

class Geometry : public ::testing::Test {
 protected:
  void TearDown() override { flex().QVB_Terminate(); }
  // A 3 x 3 grid of nodes (IDs 1..9, row by row) with four quads.
  QVB_Handle grid() {
    QVB_Handle b = f.QVB_Create(0, 0);
    for (int id = 1; id <= 9; ++id) f.QVB_SetNodeCoordinates(b, id, (id - 1) % 3, (id - 1) / 3, 0);
    int quads[4][4] = {{1, 2, 5, 4}, {2, 3, 6, 5}, {4, 5, 8, 7}, {5, 6, 9, 8}};
    for (auto &q : quads) f.QVB_SetFaceList(b, 4, q);
    return b;
  }
  std::vector<std::vector<int>> freeEdges(QVB_Handle b) {
    std::vector<std::vector<int>> edges(f.QVB_GetFreeEdgeCount(b));
    for (size_t e = 0; e < edges.size(); ++e) {
      edges[e].resize(f.QVB_GetFreeEdgeSize(b, static_cast<int>(e)));
      f.QVB_GetFreeEdge(b, static_cast<int>(e), edges[e].data());
    }
    return edges;
  }
  const s_FLEX_INTERFACE &f = flex();
};

TEST_F(Geometry, FacesByNodeIndexAndFreeEdgesAsBoundaryLoops) {
  QVB_Handle b = grid();
  EXPECT_EQ(freeEdges(b), (std::vector<std::vector<int>>{{1, 2, 3, 6, 9, 8, 7, 4}}));
  int faces = 0, size = 0;
  f.QVB_FaceListSize(b, &faces, &size);
  EXPECT_EQ(faces, 4);
  ASSERT_EQ(size, 20);
  std::vector<int> list(size);
  f.QVB_ElementFaces(b, list.data());
  EXPECT_EQ(std::vector<int>(list.begin(), list.begin() + 5), (std::vector<int>{4, 0, 1, 4, 3}));
  // A face listed twice lies between two elements: it goes, once, with the
  // element topology.
  int inner[4] = {2, 3, 6, 5};
  f.QVB_SetFaceList(b, 4, inner);
  f.QVB_RemoveInternalGeometry(b);
  f.QVB_FaceListSize(b, &faces, &size);
  EXPECT_EQ(faces, 3);
  EXPECT_EQ(f.QVB_IsCoarsened(b), 1);
  // A separate triangle adds a loop of its own; the edges follow face edits.
  int tri[3] = {20, 21, 22};
  f.QVB_SetFaceList(b, 3, tri);
  auto edges = freeEdges(b);
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_EQ(edges[1], (std::vector<int>{20, 21, 22}));
}

TEST_F(Geometry, ClosestNodesNearestFirst) {
  QVB_Handle b = grid();
  f.QVB_SetInterfaceNode(b, 9);
  f.QVB_SetInterfaceNode(b, 7);
  double p[3] = {0.1, 0.2, 0};
  int out[4] = {-1, -1, -1, -1};
  EXPECT_EQ(f.QVB_ClosestNodes(b, p, 3, 0, out), 3);
  EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{0, 3, 1}));
  EXPECT_EQ(f.QVB_ClosestNodes(b, p, 4, 1, out), 2);  // interface nodes only: 7 then 9
  EXPECT_EQ(std::vector<int>(out, out + 2), (std::vector<int>{6, 8}));
  EXPECT_EQ(f.QVB_ClosestNodesInNeighborhood(b, p, 0.95, 4, out), 3);
  EXPECT_EQ(f.QVB_ClosestNodesInNeighborhood(b, p, 0.95, 2, out), 2);  // capacity
  // Units apply to the point and the radius.
  f.QVB_SetUnits(b, "kg", "mm", "s", "n");
  double far[3] = {2000, 2000, 0};
  EXPECT_EQ(f.QVB_ClosestNodesInNeighborhood(b, far, 1001, 4, out), 3);
  EXPECT_EQ(out[0], 8);
}

TEST_F(Geometry, MotionsMoveNodesShapesAndFaces) {
  QVB_Handle b = grid();
  f.QVB_SetMode(b, 1, 2, 0, 1, 0, 0, 0, 0, 1);
  double origin[3] = {0, 0, 0}, z[3] = {0, 0, 1}, xyz[3], v[3];
  f.QVB_Rotate(b, origin, z, M_PI / 2);
  f.QVB_NodeCoordinates(b, 1, xyz);  // node 2 was at (1, 0, 0)
  EXPECT_NEAR(xyz[0], 0, 1e-12);
  EXPECT_NEAR(xyz[1], 1, 1e-12);
  f.QVB_ModeByNode(b, 1, 0, 2, v, 0);
  EXPECT_NEAR(v[1], 1, 1e-12);
  // A mirror in x = 0.5: positions and translations reflect, rotations (axial
  // vectors) reflect and flip, faces turn round.
  double point[3] = {0.5, 0, 0}, x[3] = {2, 0, 0};
  f.QVB_Mirror(b, point, x);
  f.QVB_NodeCoordinates(b, 1, xyz);
  EXPECT_NEAR(xyz[0], 1, 1e-12);
  f.QVB_ModeByNode(b, 1, 0, 2, v, 1);
  EXPECT_NEAR(v[2], -1, 1e-12);
  std::vector<int> list(20);
  f.QVB_ElementFaces(b, list.data());
  EXPECT_EQ(std::vector<int>(list.begin(), list.begin() + 5), (std::vector<int>{4, 3, 4, 1, 0}));
  messages().clear();
  EXPECT_EQ(f.QVB_Translate(b, origin, 1.0), 0);
  EXPECT_TRUE(anyMessageContains("no length"));
}

TEST_F(Geometry, RenumberingRenamesEveryReference) {
  QVB_Handle b = grid();
  f.QVB_SetInterfaceNode(b, 5);
  f.QVB_SetMode(b, 1, 5, 0, 1, 2, 3, 0, 0, 0);
  f.QVB_SetModalLoadNodal(b, 0, 5, 1, 10.0);
  ASSERT_EQ(f.QVB_RenumberNodes(b, 100), 1);
  EXPECT_EQ(f.QVB_NodeID(b, 4), 105);
  EXPECT_EQ(f.QVB_ModeNodeID(b, 0, 0), 105);
  int interfaceNew[1] = {500};
  ASSERT_EQ(f.QVB_RenumberInterfaceNodes(b, 1, interfaceNew), 1);
  int count = 0;
  EXPECT_EQ(take(f.QVB_InterfaceNodeIDs(b, &count), 1), (std::vector<int>{500}));
  EXPECT_EQ(take(f.QVB_GetModalLoadNodalNode(b, 0), 1), (std::vector<int>{4}));
  EXPECT_EQ(freeEdges(b)[0][0], 101);
  int clash[1] = {101};
  EXPECT_EQ(f.QVB_RenumberInterfaceNodes(b, 1, clash), 0);
}

}  // namespace
}  // namespace qvbtest
