// Shells and beams expanded into solids, without the solver: the new nodes
// where and as the solver numbers them, node sets moved onto them, and what
// the expansion cannot carry refused with the line and the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bar_deck.h"
#include "deck_parser.h"
#include "structural_expansion.h"
#include "support/test_support.h"

namespace {

using qvb::ccx2qvb::DeckError;
using qvb::ccx2qvb::Model;

const std::string kSteel = "*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n*DENSITY\n7850\n";
// One S8R on the unit square (lines 1-13), the x = 0 edge as a set.
const std::string kSquare =
    "*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n3, 1, 1, 0\n4, 0, 1, 0\n5, .5, 0, 0\n6, 1, .5, 0\n7, .5, 1, 0\n8, 0, .5, 0\n"
    "*ELEMENT, TYPE=S8R, ELSET=P\n1, 1, 2, 3, 4, 5, 6, 7, 8\n*NSET, NSET=EDGE\n1, 4, 8\n";

Model expanded(const qvbtest::TempDir &dir, const std::string &text) {
  ccxtest::writeText(dir.file("deck.inp"), text);
  Model model = qvb::ccx2qvb::readDeck(dir.file("deck.inp"));
  qvb::ccx2qvb::expandStructuralElements(&model);
  return model;
}

// Three layers per corner and two per midside node, numbered from the highest
// ID on in blocks of three per original node; the node set holds the edge's
// whole thickness; a beam's section corners lie at (-b/2, +h/2) first.
TEST(StructuralExpansion, NewNodesLieAndAreNumberedAsTheSolversOwn) {
  qvbtest::TempDir dir;
  const Model shell = expanded(dir, kSquare + kSteel + "*SHELL SECTION, ELSET=P, MATERIAL=STEEL\n0.1\n");
  ASSERT_EQ(shell.nodeIds.size(), 20u);
  EXPECT_EQ(shell.nodeIndex.count(1), 0u);
  EXPECT_STREQ(shell.elementTypes[0]->name, "C3D20R");
  const int *nodes = &shell.connectivity[0];
  EXPECT_EQ(nodes[0], 9);          // node 1, bottom
  EXPECT_EQ(nodes[4], 11);         // node 1, top
  EXPECT_EQ(nodes[16], 10);        // node 1, middle
  EXPECT_EQ(nodes[8], 9 + 3 * 4);  // node 5, bottom
  EXPECT_DOUBLE_EQ(shell.position(9)[2], -0.05);
  EXPECT_DOUBLE_EQ(shell.position(11)[2], 0.05);
  EXPECT_DOUBLE_EQ(shell.position(20)[1], 1.0);
  std::vector<int> edge = shell.nodeSets.at("EDGE");
  std::sort(edge.begin(), edge.end());
  EXPECT_EQ(edge, (std::vector<int>{9, 10, 11, 18, 19, 20, 30, 32}));

  const Model beam =
      expanded(dir, "*NODE\n1, 0, 0, 0\n2, .5, 0, 0\n3, 1, 0, 0\n*ELEMENT, TYPE=B32, ELSET=B\n1, 1, 2, 3\n" + kSteel +
                        "*BEAM SECTION, ELSET=B, MATERIAL=STEEL, SECTION=RECT\n0.02, 0.04\n0, 1, 0\n");
  EXPECT_EQ(beam.nodeIds.size(), 8u + 4 + 8);  // the middle node's side midpoints are not used
  EXPECT_EQ(beam.connectivity[0], 4);
  EXPECT_DOUBLE_EQ(beam.position(4)[1], -0.01);
  EXPECT_DOUBLE_EQ(beam.position(4)[2], 0.02);
  EXPECT_EQ(beam.connectivity[1], 4 + 16);  // the far end's first section point
}

TEST(StructuralExpansion, WhatTheExpansionCannotCarryIsRefused) {
  qvbtest::TempDir dir;
  const std::string shell = "*SHELL SECTION, ELSET=P, MATERIAL=STEEL";  // line 19 after the square
  const std::string tets = "*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n3, 0, 1, 0\n4, 0, 0, 1\n";
  const std::string beam = "*NODE\n1, 0, 0, 0\n2, .5, 0, 0\n3, 1, 0, 0\n*ELEMENT, TYPE=B32, ELSET=P\n1, 1, 2, 3\n";
  const std::pair<std::string, std::string> cases[] = {
      {kSquare + kSteel + shell + ", OFFSET=0.5\n0.1\n", "deck.inp:19: *SHELL SECTION with OFFSET is refused"},
      {kSquare + kSteel + shell + ", COMPOSITE\n0.1\n", "COMPOSITE is refused: composite shells"},
      {kSquare + kSteel + shell + "\n0.1\n0.1\n", "deck.inp:21: *SHELL SECTION with more than one data line"},
      {kSquare + kSteel + "*SOLID SECTION, ELSET=P, MATERIAL=STEEL\n", "type S8R cannot take a *SOLID SECTION"},
      {beam + kSteel + "*BEAM SECTION, ELSET=P, MATERIAL=STEEL, SECTION=CIRC\n0.01\n0, 1, 0\n",
       "only SECTION=RECT is carried"},
      {beam + kSteel + "*BEAM SECTION, ELSET=P, MATERIAL=STEEL, SECTION=RECT\n0.01, 0.02\n",
       "needs its dimensions and its 1-direction"},
      {beam + kSteel + "*BEAM SECTION, ELSET=P, MATERIAL=STEEL, SECTION=RECT\n0.01, 0.02\n1, 0, 0\n",
       "the beam section's 1-direction lies along the beam"},
      {"*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n*ELEMENT, TYPE=B32R, ELSET=P\n1, 1, 2, 3\n", "element type B32R is refused"},
      {tets + "*ELEMENT, TYPE=S3, ELSET=P\n1, 1, 2, 3\n2, 1, 3, 4\n" + kSteel + shell + "\n0.1\n",
       "node 1 of elements 1 and 2: their normals differ by 90 degrees"},
      {tets + "*ELEMENT, TYPE=S3, ELSET=P\n1, 1, 2, 3\n*ELEMENT, TYPE=C3D4, ELSET=S\n2, 1, 2, 3, 4\n" + kSteel + shell +
           "\n0.1\n*SOLID SECTION, ELSET=S, MATERIAL=STEEL\n",
       "joins a shell element to a solid one"},
      {kSquare + kSteel + shell + "\n0.1\n*EQUATION\n2\n1, 1, 1., 2, 1, -1.\n",
       "*EQUATION names node 1 of a shell or beam element"},
  };
  for (const auto &[deck, expected] : cases) {
    std::string error = "(no error)";
    try {
      expanded(dir, deck);
    } catch (const DeckError &e) {
      error = e.what();
    }
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  }
}

}  // namespace
