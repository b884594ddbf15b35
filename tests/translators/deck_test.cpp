// The model side of the translator, without the solver: reading decks (and
// refusing bad ones with file and line), the outer skin, and interfaces.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "bar_deck.h"
#include "deck_parser.h"
#include "interfaces.h"
#include "skin.h"
#include "support/test_support.h"

namespace {

using qvb::ccx2qvb::DeckError;
using qvb::ccx2qvb::Model;
using qvb::ccx2qvb::readDeck;

std::string errorOf(const std::string &path) {
  try {
    readDeck(path);
  } catch (const DeckError &e) {
    return e.what();
  }
  return "(no error)";
}

TEST(DeckParser, ReadsIncludesSetsMaterialsAndSkipsSteps) {
  qvbtest::TempDir dir;
  ccxtest::writeText(dir.file("mesh.inp"), ccxtest::barModel(ccxtest::barOf(3, 1, 1)));
  ccxtest::writeText(dir.file("part.inp"),
                     "** a comment\n"
                     "*HEADING\nthe bar\n"
                     "*INCLUDE, INPUT=mesh.inp\n"
                     "*NODE, NSET=EXTRA\n"
                     "9001, 1.0000000000000002, -0.1D+01, +2.5e-3\n"
                     "*nset, nset=gen, generate\n"
                     "1, 7, 3\n"
                     "*NSET, NSET=BOTH\n"
                     "GEN, END1, 9001\n"
                     "*ELSET, ELSET=FIRST, GENERATE\n"
                     "1, 2\n"
                     "*ORIENTATION, NAME=OR1\n"
                     "1., 0., 0., 0., 1., 0.\n"
                     "*STEP\n*STATIC\n*BOUNDARY\nEND0, 1, 3\n*END STEP\n");
  const Model model = readDeck(dir.file("part.inp"));
  // 4 x 2 x 2 corners, plus midside nodes: x-edges 3*2*2, y-edges 4*1*2, z-edges 4*2*1, plus node 9001.
  EXPECT_EQ(model.nodeIds.size(), 16u + 12u + 8u + 8u + 1u);
  EXPECT_EQ(model.elementIds.size(), 3u);
  EXPECT_EQ(model.elementStart.back(), 60);
  const double *x = model.position(9001);
  EXPECT_EQ(x[0], 1.0000000000000002);  // full precision
  EXPECT_EQ(x[1], -1.0);
  EXPECT_EQ(x[2], 2.5e-3);
  EXPECT_EQ(model.nodeSets.at("GEN"), (std::vector<int>{1, 4, 7}));
  const std::vector<int> &both = model.nodeSets.at("BOTH");
  EXPECT_EQ(both.size(), 3u + model.nodeSets.at("END1").size() + 1u);
  EXPECT_EQ(both.back(), 9001);
  EXPECT_EQ(model.elementSets.at("FIRST"), (std::vector<int>{1, 2}));
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.materials[0].youngsModulus, 2.1e11);
  EXPECT_EQ(model.materials[0].densityValue, 7850.0);
  EXPECT_EQ(model.elementMaterial, (std::vector<int>{0, 0, 0}));
  ASSERT_EQ(model.warnings.size(), 2u);  // *ORIENTATION and the step
  EXPECT_NE(model.warnings[0].find("*ORIENTATION"), std::string::npos);
  EXPECT_NE(model.warnings[1].find("part.inp:15: the deck's step is ignored"), std::string::npos);
}

TEST(DeckParser, RefusalsNameTheCauseFileAndLine) {
  qvbtest::TempDir dir;
  const std::string nodes = "*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n3, 0, 1, 0\n4, 0, 0, 1\n";
  const std::string material = "*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n*DENSITY\n7850\n";
  const std::string tet = "*ELEMENT, TYPE=C3D4, ELSET=E\n1, 1, 2, 3, 4\n";
  const std::string section = "*SOLID SECTION, ELSET=E, MATERIAL=STEEL\n";
  struct Case {
    const char *what;
    std::string deck;
    std::string expected;
  } cases[] = {
      {"shell", nodes + "*ELEMENT, TYPE=S4, ELSET=E\n1, 1, 2, 3, 4\n", "deck.inp:6: element type S4 is not supported"},
      {"no density", nodes + tet + "*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n" + section,
       "material STEEL has no positive *DENSITY"},
      {"no elastic", nodes + tet + "*MATERIAL, NAME=STEEL\n*DENSITY\n7850\n" + section,
       "material STEEL has no *ELASTIC"},
      {"unknown material", nodes + tet + material + "*SOLID SECTION, ELSET=E, MATERIAL=ALU\n",
       "deck.inp:13: *SOLID SECTION names unknown material ALU"},
      {"no section", nodes + tet + material, "element 1 has no *SOLID SECTION"},
      {"missing node", nodes + "*ELEMENT, TYPE=C3D4, ELSET=E\n1, 1, 2, 3, 5\n" + material + section,
       "element 1 uses node 5, which is not defined"},
      {"short element", nodes + "*ELEMENT, TYPE=C3D10, ELSET=E\n1, 1, 2, 3, 4\n" + material + section,
       "element 1 of type C3D10 needs 10 nodes, got 4"},
      {"bad coordinate", "*NODE\n1, 0, zero, 0\n", "deck.inp:2: bad node coordinate"},
      {"unknown set", nodes + "*NSET, NSET=A\nB\n", "deck.inp:7: unknown set B"},
      {"missing include", "*INCLUDE, INPUT=nothing.inp\n", "cannot read deck"},
      {"anisotropic", nodes + "*MATERIAL, NAME=M\n*ELASTIC, TYPE=ORTHO\n", "deck.inp:7: *ELASTIC, TYPE=ORTHO is not supported"},
  };
  for (const Case &c : cases) {
    ccxtest::writeText(dir.file("deck.inp"), c.deck);
    const std::string error = errorOf(dir.file("deck.inp"));
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
  }
}

// The skin encloses the bar: by the divergence theorem, the sum over faces of
// (centre . area vector) / 3 is the volume, which only comes out right when
// every outer face is there once, no inner face is, and all point outward.
TEST(Skin, EnclosesTheBarWithOutwardFaces) {
  for (const char *type : {"C3D8", "C3D20R", "C3D4", "C3D10"}) {
    qvbtest::TempDir dir;
    const ccxtest::Bar bar = ccxtest::barOf(3, 2, 1, type);
    ccxtest::writeText(dir.file("bar.inp"), ccxtest::barModel(bar));
    const Model model = readDeck(dir.file("bar.inp"));
    const auto faces = qvb::ccx2qvb::skinFaces(model);
    const bool tets = std::string(type).find("C3D4") == 0 || std::string(type) == "C3D10";
    const bool quadratic = std::string(type) == "C3D20R" || std::string(type) == "C3D10";
    const size_t brickFaces = 2 * (3 * 2 + 3 * 1 + 2 * 1);
    EXPECT_EQ(faces.size(), tets ? 2 * brickFaces : brickFaces) << type;
    double volume = 0;
    for (const auto &face : faces) {
      EXPECT_EQ(face.size(), (tets ? 3u : 4u) * (quadratic ? 2u : 1u)) << type;
      double area[3] = {0, 0, 0}, centre[3] = {0, 0, 0};
      for (size_t k = 0; k < face.size(); ++k) {  // Newell over the perimeter: exact for flat faces
        const double *a = model.position(face[k]), *b = model.position(face[(k + 1) % face.size()]);
        area[0] += (a[1] - b[1]) * (a[2] + b[2]) / 2;
        area[1] += (a[2] - b[2]) * (a[0] + b[0]) / 2;
        area[2] += (a[0] - b[0]) * (a[1] + b[1]) / 2;
        for (int c = 0; c < 3; ++c) centre[c] += a[c] / static_cast<double>(face.size());
      }
      volume += (centre[0] * area[0] + centre[1] * area[1] + centre[2] * area[2]) / 3;
    }
    EXPECT_NEAR(volume, bar.length * bar.width * bar.height, 1e-15) << type;
  }
}

TEST(Interfaces, ReferenceNodesAboveTheModelAndSingularSetsRefused) {
  qvbtest::TempDir dir;
  const ccxtest::Bar bar = ccxtest::barOf(2, 2, 1);
  ccxtest::writeText(dir.file("bar.inp"), ccxtest::barModel(bar) + "*NSET, NSET=NONE\n");
  const Model model = readDeck(dir.file("bar.inp"));
  const auto interfaces = qvb::ccx2qvb::defineInterfaces(model, {"end1", "END0"});
  ASSERT_EQ(interfaces.size(), 2u);
  const int highest = model.highestNodeId();
  EXPECT_EQ(interfaces[0].refNode, highest + 1);
  EXPECT_EQ(interfaces[0].rotNode, highest + 2);
  EXPECT_EQ(interfaces[1].refNode, highest + 3);
  EXPECT_NEAR(interfaces[0].centre[0], bar.length, 1e-15);
  EXPECT_NEAR(interfaces[0].centre[1], 0.0, 1e-15);
  auto refusal = [&](std::vector<std::string> names) {
    try {
      qvb::ccx2qvb::defineInterfaces(model, names);
    } catch (const std::runtime_error &e) {
      return std::string(e.what());
    }
    return std::string("(no error)");
  };
  EXPECT_NE(refusal({"NOPE"}).find("interface node set NOPE does not exist"), std::string::npos);
  EXPECT_NE(refusal({"NONE"}).find("interface node set NONE is empty"), std::string::npos);
  EXPECT_NE(refusal({"EDGE0"}).find("lie on one line"), std::string::npos);
  EXPECT_NE(refusal({"END0", "END0"}).find("belongs to two interfaces"), std::string::npos);
}

}  // namespace
