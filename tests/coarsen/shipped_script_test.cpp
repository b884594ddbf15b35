// The shipped coarsening script on a body of the real storage backend, built
// through the C interface: a 6 x 6 node plate comes back as a sketch with
// fewer nodes that still holds the interface node and the listed node.
//
// The ctest entry turns ASan's leak check off: the interpreter keeps
// allocations past its own finalization.
#include "qvb.h"
#include "qvb/qvb_coarsen.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(CoarseningWithShippedScript, PlateBecomesASketch) {
  qvbtest::TempDir work;
  qvbtest::ScopedEnv plugins("TRX_USER_PLUGIN_DIR", QVB_PLUGIN_DIR);
  qvbtest::ScopedEnv pythonPath("PYTHONPATH", QVB_TOLVANE_DIR);
  qvbtest::ScopedEnv noBytecode("PYTHONDONTWRITEBYTECODE", "1");
  qvbtest::ScopedEnv writerOptions("TRX_QVBWRITE_OPTIONS", "adv_coarsen(standard,0,15)");

  QVB_Handle plate = QVB_Create(0, 0);
  ASSERT_NE(plate, nullptr);
  const int side = 6;
  for (int row = 0; row < side; ++row)
    for (int column = 0; column < side; ++column)
      ASSERT_NE(QVB_SetNodeCoordinates(plate, 1 + row * side + column, column, row, 0.0), 0);
  for (int row = 0; row + 1 < side; ++row) {
    for (int column = 0; column + 1 < side; ++column) {
      const int corner = 1 + row * side + column;
      int quad[] = {corner, corner + 1, corner + side + 1, corner + side};
      ASSERT_NE(QVB_SetFaceList(plate, 4, quad), 0);
    }
  }
  ASSERT_NE(QVB_SetInterfaceNode(plate, 1), 0);

  const std::string file = work.file("plate.qvb");
  ASSERT_NE(QVB_AdvancedCoarsening(plate, file.c_str(), std::getenv("TRX_QVBWRITE_OPTIONS")), 0);
  EXPECT_EQ(std::string(std::getenv("TRX_QVBWRITE_OPTIONS")), " sketch(" + work.file("plate.ske") + ")");

  std::stringstream sketch;
  sketch << std::ifstream(work.file("plate.ske")).rdbuf();
  const std::string text = sketch.str();
  const auto nodes = text.find("\nNODES ");
  ASSERT_NE(nodes, std::string::npos) << text;
  const int count = std::stoi(text.substr(nodes + 7));
  EXPECT_LT(count, side * side);
  EXPECT_GT(count, 2);
  EXPECT_NE(text.find("\nFACES "), std::string::npos) << text;
  // Kept nodes start their lines with their ids and coordinates.
  EXPECT_NE(text.find("\n1 0.0000000000e+00 0.0000000000e+00"), std::string::npos) << text;
  EXPECT_NE(text.find("\n15 2.0000000000e+00 2.0000000000e+00"), std::string::npos) << text;
  QVB_Terminate();
}

}  // namespace
