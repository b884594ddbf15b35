// The model side of the translator, without the solver: reading decks (and
// refusing bad ones with file and line), materials at a temperature, the
// outer skin, and interfaces.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>

#include "bar_deck.h"
#include "deck_parser.h"
#include "interfaces.h"
#include "skin.h"
#include "solver_number.h"
#include "support/test_support.h"
#include "temperature.h"

namespace {

using qvb::ccx2qvb::DeckError;
using qvb::ccx2qvb::Model;
using qvb::ccx2qvb::readDeck;
using qvb::ccx2qvb::resolveTemperature;

// A tetrahedron of steel: the smallest deck the reader accepts.
const std::string kNodes = "*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n3, 0, 1, 0\n4, 0, 0, 1\n";         // lines 1-5
const std::string kTet = "*ELEMENT, TYPE=C3D4, ELSET=E\n1, 1, 2, 3, 4\n";                     // lines 6-7
const std::string kSteel = "*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n*DENSITY\n7850\n";  // lines 8-12
const std::string kSection = "*SOLID SECTION, ELSET=E, MATERIAL=STEEL\n";                     // line 13
const std::string kTetDeck = kNodes + kTet + kSteel + kSection;

std::string errorOf(const std::string &path) {
  try {
    Model model = readDeck(path);
    resolveTemperature(&model, std::nullopt);
  } catch (const DeckError &e) {
    return e.what();
  }
  return "(no error)";
}

Model readText(const qvbtest::TempDir &dir, const std::string &text) {
  ccxtest::writeText(dir.file("deck.inp"), text);
  return readDeck(dir.file("deck.inp"));
}

TEST(DeckParser, ReadsIncludesSetsMaterialsAndSummarisesIgnoredKeywords) {
  qvbtest::TempDir dir;
  ccxtest::writeText(dir.file("mesh.inp"), ccxtest::barModel(ccxtest::barOf(3, 1, 1)));
  std::string boundaries;
  for (int i = 0; i < 126; ++i) boundaries += "*BOUNDARY\nEND0, 1, 3\n";
  ccxtest::writeText(dir.file("part.inp"),
                     "** a comment\n"
                     "*HEADING\nthe bar\n"
                     "*INCLUDE, INPUT=mesh.inp\n"
                     "*NODE, NSET=EXTRA\n"
                     "9001, 1.0000000000000002, -0.1D+01, +2.5e-3\n"
                     "*nset, nset=gen, generate\n"
                     "1, 7, 3\n"
                     "*NSET, NSET=BOTH\n"
                     "GEN, END1, 9001,\n"
                     "*ELSET, ELSET=FIRST, GENERATE\n"
                     "1, 2\n"
                     "*Orientation, NAME=OR1\n"
                     "1., 0., 0., 0., 1., 0.\n" +
                         boundaries +
                         "*STEP\n*STATIC\n*BOUNDARY\nEND0, 1, 3\n*MPC\nBEAM, 1, 2\n*END STEP\n"
                         "*STEP\n*FREQUENCY\n10\n*INCLUDE, INPUT=end.inp\n"
                         "*NSET, NSET=AFTER\n1\n");
  ccxtest::writeText(dir.file("end.inp"), "*CLOAD\n1, 1, 1.\n*END STEP\n");
  Model model = readDeck(dir.file("part.inp"));
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
  EXPECT_EQ(model.nodeSets.at("AFTER"), (std::vector<int>{1}));  // the step ended in an include
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.elementMaterial, (std::vector<int>{0, 0, 0}));
  ASSERT_EQ(model.orientations.size(), 1u);  // carried, though no section names it
  EXPECT_EQ(model.orientations[0].name, "OR1");
  // One warning, each keyword named once; a step and all it holds count once.
  EXPECT_EQ(model.ignoredKeywords, (std::map<std::string, int>{{"BOUNDARY", 126}, {"STEP", 2}}));
  ASSERT_EQ(model.warnings.size(), 1u);
  EXPECT_NE(model.warnings[0].find("*BOUNDARY (126 times), *STEP (2 times)"), std::string::npos) << model.warnings[0];
  EXPECT_EQ(resolveTemperature(&model, 20.0), std::nullopt);  // one point: no temperature needed
  EXPECT_EQ(model.materials[0].youngsModulus, 2.1e11);
  EXPECT_EQ(model.materials[0].densityValue, 7850.0);
}

TEST(DeckParser, RefusalsNameTheCauseFileAndLine) {
  qvbtest::TempDir dir;
  const std::string material = kSteel;
  const std::string section = kSection;
  struct Case {
    const char *what;
    std::string deck;
    std::string expected;
  } cases[] = {
      {"unknown type", kNodes + "*ELEMENT, TYPE=C3D27\n", "deck.inp:6: element type C3D27 is not supported"},
      {"plane element", kNodes + "*ELEMENT, TYPE=CPS3, ELSET=E\n1, 1, 2, 3\n" + material + section,
       "deck.inp:13: *SOLID SECTION on element 1, a CPS3"},
      {"skipped element's face", kTetDeck + "*ELEMENT, TYPE=CPS3\n2, 1, 2, 3\n*SURFACE, NAME=A\n2, S1\n",
       "deck.inp:16: surface A names face S1 of element 2, a CPS3"},
      {"no solid", kNodes + "*ELEMENT, TYPE=T3D2\n1, 1, 2\n", "the deck defines no solid elements"},
      {"shell", kNodes + "*ELEMENT, TYPE=S4, ELSET=E\n1, 1, 2, 3, 4\n",
       "deck.inp:6: element type S4 is refused: the solver expands it into an incompatible-mode brick"},
      {"no density", kNodes + kTet + "*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n" + section,
       "deck.inp:8: material STEEL has no *DENSITY"},
      {"no elastic", kNodes + kTet + "*MATERIAL, NAME=STEEL\n*DENSITY\n7850\n" + section,
       "deck.inp:8: material STEEL has no *ELASTIC"},
      {"unknown material", kNodes + kTet + material + "*SOLID SECTION, ELSET=E, MATERIAL=ALU\n",
       "deck.inp:13: *SOLID SECTION names unknown material ALU"},
      {"no section", kNodes + kTet + material, "deck.inp:7: element 1 has no section"},
      {"two sections", kTetDeck + "*SOLID SECTION, ELSET=E, MATERIAL=STEEL\n",
       "deck.inp:14: element 1 has a second section (the first at "},
      {"missing node", kNodes + "*ELEMENT, TYPE=C3D4, ELSET=E\n1, 1, 2, 3, 5\n" + material + section,
       "deck.inp:7: element 1 uses node 5, which is not defined"},
      {"short element", kNodes + "*ELEMENT, TYPE=C3D10, ELSET=E\n1, 1, 2, 3, 4\n" + material + section,
       "deck.inp:7: element 1 of type C3D10 needs 10 nodes, got 4"},
      {"long element", kNodes + "*ELEMENT, TYPE=C3D4, ELSET=E\n1, 1, 2, 3, 4, 1\n",
       "deck.inp:7: element 1 of type C3D4 has more than 4 nodes"},
      {"duplicate node", kNodes + "*NODE\n3, 5, 5, 5\n", "deck.inp:7: node 3 is defined twice (first at "},
      {"duplicate element", kNodes + kTet + "*ELEMENT, TYPE=C3D4\n1, 4, 3, 2, 1\n",
       "deck.inp:9: element 1 is defined twice (first at "},
      {"bad coordinate", "*NODE\n1, 0, zero, 0\n", "deck.inp:2: bad node coordinate"},
      {"nan coordinate", "*NODE\n1, 0, nan, 0\n", "deck.inp:2: node coordinate \"nan\" is not a finite number"},
      {"infinite modulus", kNodes + kTet + "*MATERIAL, NAME=STEEL\n*ELASTIC\ninf, 0.3\n",
       "deck.inp:10: *ELASTIC value \"inf\" is not a finite number"},
      {"overflowing density", kNodes + kTet + "*MATERIAL, NAME=STEEL\n*DENSITY\n1e999\n",
       "deck.inp:10: bad *DENSITY value \"1e999\""},
      {"nan temperature", kNodes + kTet + "*MATERIAL, NAME=STEEL\n*ELASTIC\n1e9, 0.3, NaN\n",
       "deck.inp:10: temperature \"NaN\" is not a finite number"},
      {"falling temperatures", kNodes + kTet + "*MATERIAL, NAME=STEEL\n*ELASTIC\n2e11, 0.3, 100\n1e11, 0.3, 20\n",
       "deck.inp:11: *ELASTIC temperatures must increase from line to line (20 follows 100)"},
      {"material twice", kTetDeck + "*MATERIAL, NAME=STEEL\n", "deck.inp:14: material STEEL is defined twice"},
      {"elastic outside", kNodes + "*ELASTIC\n1, 0.3\n", "deck.inp:6: *ELASTIC outside a *MATERIAL"},
      {"elastic after another keyword", kNodes + "*MATERIAL, NAME=M\n*BOUNDARY\n1, 1\n*ELASTIC\n1, 0.3\n",
       "deck.inp:9: *ELASTIC outside a *MATERIAL"},
      {"unknown set", kNodes + "*NSET, NSET=A\nB\n", "deck.inp:7: unknown set B"},
      {"huge generate", "*NSET, NSET=ALL, GENERATE\n1, 2000000000\n", "deck.inp:2: the deck's sets grow beyond"},
      {"missing include", "*INCLUDE, INPUT=nothing.inp\n", "cannot read deck"},
      {"include cycle", "*INCLUDE, INPUT=deck.inp\n", "deck.inp:1: *INCLUDE of"},
      {"include of a folder", "*INCLUDE, INPUT=.\n", "it is a folder, not a regular file"},
      {"elastic type", kNodes + "*MATERIAL, NAME=M\n*ELASTIC, TYPE=LAMINA\n",
       "deck.inp:7: *ELASTIC, TYPE=LAMINA is not supported (ISO, ORTHO, ENGINEERING CONSTANTS and ANISO are)"},
      {"short orthotropic line", kNodes + "*MATERIAL, NAME=M\n*ELASTIC, TYPE=ORTHO\n1, 2, 3, 4, 5, 6, 7\n",
       "deck.inp:8: *ELASTIC line has 7 constants where 8 belong"},
      {"cut anisotropic point",
       kNodes + "*MATERIAL, NAME=M\n*ELASTIC, TYPE=ANISO\n1,2,3,4,5,6,7,8\n1,2,3,4,5,6,7,8\n*DENSITY\n",
       "deck.inp:8: *ELASTIC point with 16 of its 21 constants"},
      {"flat orientation", kTetDeck + "*ORIENTATION, NAME=O\n1, 0, 0, 2, 0, 0\n",
       "deck.inp:15: *ORIENTATION: point a is the origin, or b lies on the line through a"},
      {"turned cylinder", kTetDeck + "*ORIENTATION, NAME=O, SYSTEM=CYLINDRICAL\n0, 0, 0, 0, 0, 1\n3, 10\n",
       "deck.inp:16: *ORIENTATION, SYSTEM=CYLINDRICAL with a turn about a local axis"},
      {"turn axis", kTetDeck + "*ORIENTATION, NAME=O\n1, 0, 0, 0, 1, 0\n4, 10\n", "deck.inp:16: bad *ORIENTATION turn"},
      {"spherical", kTetDeck + "*ORIENTATION, NAME=O, SYSTEM=SPHERICAL\n",
       "deck.inp:14: *ORIENTATION, SYSTEM=SPHERICAL is not supported"},
      {"distributed orientation", kTetDeck + "*ORIENTATION, NAME=O\nDIST\n",
       "deck.inp:15: *ORIENTATION needs the coordinates of points a and b"},
      {"unknown orientation", kNodes + kTet + kSteel + "*SOLID SECTION, ELSET=E, MATERIAL=STEEL, ORIENTATION=O\n",
       "deck.inp:13: *SOLID SECTION names unknown orientation O"},
      {"unknown parameter", "*NODE, INPUT=nodes.txt\n", "deck.inp:1: *NODE, INPUT= is not supported"},
      {"data outside", "1, 2, 3\n", "deck.inp:1: data line outside any keyword"},
      {"end step alone", kNodes + "*END STEP\n", "deck.inp:6: *END STEP without a *STEP"},
      {"rotation equation", kTetDeck + "*EQUATION\n2\n1, 4, 1., 2, 1, -1.\n",
       "deck.inp:16: *EQUATION on degree of freedom 4 is not carried"},
      {"short equation", kTetDeck + "*EQUATION\n3\n1, 1, 1., 2, 1, -1.\n*HEADING\n",
       "deck.inp:15: *EQUATION announces 3 terms but gives 2"},
      {"five terms a line", kTetDeck + "*EQUATION\n5\n1,1,1., 2,1,1., 3,1,1., 4,1,1., 1,2,1.\n",
       "deck.inp:16: *EQUATION line with more than four terms"},
      {"infinite coefficient", kTetDeck + "*EQUATION\n2\n1, 1, 1., 2, 1, -inf\n",
       "deck.inp:16: *EQUATION coefficient \"-inf\" is not a finite number"},
      {"zero dependent", kTetDeck + "*EQUATION\n2\n1, 1, 0., 2, 1, 1.\n", "deck.inp:16: the first term of an"},
      {"equation node", kTetDeck + "*EQUATION\n2\n1, 1, 1., 9, 1, 1.\n",
       "deck.inp:15: *EQUATION names node 9, which is not defined"},
      {"transformed equation",
       kTetDeck + "*NSET, NSET=T\n2\n*TRANSFORM, NSET=T\n1, 0, 0, 0, 1, 0\n*EQUATION\n2\n1, 1, 1., 2, 1, -1.\n",
       "deck.inp:19: *EQUATION on node 2, whose directions the *TRANSFORM at"},
      {"nan tolerance", kTetDeck + "*TIE, NAME=T, POSITION TOLERANCE=nan\nA, B\n",
       "deck.inp:14: *TIE position tolerance \"nan\" is not a finite number"},
      {"tie surfaces", kTetDeck + "*TIE, NAME=T\nA, B\n", "deck.inp:14: *TIE T names surface A, which is not defined"},
      {"cyclic tie", kTetDeck + "*TIE, NAME=T, CYCLIC SYMMETRY\nA, B\n", "deck.inp:14: *TIE for cyclic symmetry"},
      {"nodal master", kTetDeck + "*SURFACE, NAME=A, TYPE=NODE\n1\n*TIE, NAME=T\nA, A\n",
       "the master surface A must be made of element faces"},
      {"tet face 5", kTetDeck + "*SURFACE, NAME=A\nE, S5\n", "deck.inp:14: surface A names face S5 of element 1"},
      {"shell face", kTetDeck + "*SURFACE, NAME=A\n1, SPOS\n", "deck.inp:15: bad surface face SPOS"},
      {"rigid body without set", kTetDeck + "*RIGID BODY, REF NODE=1\n", "needs one of NSET= and ELSET="},
      {"rigid body node", kTetDeck + "*NSET, NSET=R\n1, 2\n*RIGID BODY, NSET=R, REF NODE=77\n",
       "deck.inp:16: *RIGID BODY names node 77, which is not defined"},
      {"grounded spring", kTetDeck + "*ELEMENT, TYPE=SPRING1, ELSET=S\n7, 1\n",
       "deck.inp:15: element 7 (SPRING1) holds node 1 to the ground"},
      {"spring to a loose node", kTetDeck + "*NODE\n9, 2, 0, 0\n*ELEMENT, TYPE=SPRINGA, ELSET=S\n7, 1, 9\n",
       "deck.inp:17: element 7 (SPRINGA) ends at node 9, which no solid element uses"},
      {"nonlinear spring", kTetDeck + "*ELEMENT, TYPE=SPRINGA, ELSET=S\n7, 1, 2\n*SPRING, ELSET=S, NONLINEAR\n",
       "deck.inp:16: *SPRING, NONLINEAR is refused: a nonlinear spring's stiffness"},
      {"spring at temperatures",
       kTetDeck + "*ELEMENT, TYPE=SPRINGA, ELSET=S\n7, 1, 2\n*SPRING, ELSET=S\n1e3,,20\n2e3,,80\n",
       "deck.inp:16: *SPRING takes one line: the spring constant (a spring at several temperatures"},
      {"spring across", kTetDeck + "*ELEMENT, TYPE=SPRING2, ELSET=S\n7, 2, 3\n*SPRING, ELSET=S\n2, 2\n1e3\n",
       "deck.inp:15: element 7 (SPRING2) joins nodes 1 apart across its direction 2: a rigid rotation"},
      {"mass without value", kTetDeck + "*ELEMENT, TYPE=MASS\n7, 1\n", "deck.inp:15: element 7 (MASS) has no *MASS"},
      {"mass on a solid", kTetDeck + "*MASS, ELSET=E\n1.\n", "*MASS, ELSET=E holds element 1, which is not a MASS"},
      {"mass on a solid's ID", kTetDeck + "*ELEMENT, TYPE=MASS\n1, 2\n", "deck.inp:15: element 1 is defined twice"},
      {"initial temperature", kTetDeck + "*INITIAL CONDITIONS, TYPE=TEMPERATURE\n1, inf\n",
       "deck.inp:15: initial temperature \"inf\" is not a finite number"},
  };
  for (const Case &c : cases) {
    ccxtest::writeText(dir.file("deck.inp"), c.deck);
    const std::string error = errorOf(dir.file("deck.inp"));
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
  }
}

TEST(DeckParser, RefusesDecksThatAreNotRegularFilesAtOnce) {
  qvbtest::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe.inp").c_str(), 0600), 0);
  EXPECT_NE(errorOf(dir.file("pipe.inp")).find("pipe.inp: it is a named pipe, not a regular file"), std::string::npos);
  ccxtest::writeText(dir.file("deck.inp"), "*INCLUDE, INPUT=pipe.inp\n");
  EXPECT_NE(errorOf(dir.file("deck.inp")).find("it is a named pipe"), std::string::npos);
  EXPECT_NE(errorOf(dir.path().string()).find("it is a folder"), std::string::npos);
}

// Ignored keywords cannot change the free body; refused ones would, and are
// not carried. Both with data lines, in a deck that is otherwise fine.
TEST(DeckParser, KeywordsAreIgnoredOrRefusedByClass) {
  qvbtest::TempDir dir;
  struct Ignored {
    const char *keyword;
    const char *counted;
  } ignored[] = {
      {"BOUNDARY", "BOUNDARY"},
      {"Cload", "CLOAD"},
      {"DLOAD", "DLOAD"},
      {"AMPLITUDE, NAME=A", "AMPLITUDE"},
      {"NODE FILE", "NODE FILE"},
      {"EL PRINT, ELSET=E", "EL PRINT"},
      {"CONTACT PAIR, INTERACTION=I", "CONTACT PAIR"},
      {"SURFACE INTERACTION, NAME=I", "SURFACE INTERACTION"},
      {"PHYSICAL CONSTANTS, ABSOLUTE ZERO=-273.15", "PHYSICAL CONSTANTS"},
      {"INITIAL CONDITIONS, TYPE=STRESS", "INITIAL CONDITIONS, TYPE=STRESS"},
  };
  for (const Ignored &i : ignored) {
    const Model model = readText(dir, kTetDeck + "*" + i.keyword + "\n1, 2, 3\n");
    EXPECT_EQ(model.ignoredKeywords, (std::map<std::string, int>{{i.counted, 1}})) << i.keyword;
    ASSERT_EQ(model.warnings.size(), 1u) << i.keyword;
    EXPECT_NE(model.warnings[0].find(std::string(": *") + i.counted), std::string::npos) << model.warnings[0];
  }
  // Material cards beyond elasticity stay inside their material.
  const Model plastic = readText(dir, kNodes + kTet +
                                          "*MATERIAL, NAME=STEEL\n*PLASTIC\n3e8, 0\n*EXPANSION\n1e-5\n"
                                          "*ELASTIC\n2e11, 0.3\n*DENSITY\n7850\n" +
                                          kSection);
  EXPECT_EQ(plastic.materials[0].elastic.size(), 1u);
  struct Refused {
    const char *keyword;
    const char *expected;
  } refused[] = {
      {"MPC", "deck.inp:14: *MPC is refused: a multi-point constraint"},
      {"PRE-TENSION SECTION, SURFACE=S, NODE=1", "*PRE-TENSION SECTION is refused"},
      {"COUPLING, REF NODE=1, SURFACE=S, CONSTRAINT NAME=C", "*COUPLING is refused: a coupling constraint"},
      {"KINEMATIC", "*KINEMATIC is refused"},
      {"DISTRIBUTING COUPLING, ELSET=E", "*DISTRIBUTING COUPLING is refused"},
      {"ROTARY INERTIA, ELSET=E", "*ROTARY INERTIA is refused: the solver (CalculiX 2.20) does not know it"},
      {"DASHPOT, ELSET=E", "*DASHPOT is refused"},
      {"BEAM GENERAL SECTION, ELSET=E, MATERIAL=STEEL", "*BEAM GENERAL SECTION is refused: general beam sections"},
      {"MEMBRANE SECTION, ELSET=E, MATERIAL=STEEL", "*MEMBRANE SECTION is refused"},
      {"HYPERELASTIC, NEO HOOKE", "*HYPERELASTIC is refused: a material law other than"},
      {"USER MATERIAL, CONSTANTS=2", "*USER MATERIAL is refused"},
      {"CYCLIC SYMMETRY MODEL, N=12", "*CYCLIC SYMMETRY MODEL is refused: a cyclic-symmetry sector is not a free body"},
      {"WOBBLE, HARD", "deck.inp:14: unknown keyword *WOBBLE: refused"},
  };
  for (const Refused &r : refused) {
    ccxtest::writeText(dir.file("deck.inp"), kTetDeck + "*" + r.keyword + "\n1, 2, 3\n");
    const std::string error = errorOf(dir.file("deck.inp"));
    EXPECT_NE(error.find(r.expected), std::string::npos) << r.keyword << ": " << error;
  }
}

// The documentation's keyword table says what each keyword is to the
// translator; it must not drift from the reader's table.
TEST(DeckParser, DocumentationListsEveryKeywordWithItsClass) {
  std::vector<std::pair<std::string, std::string>> rows;  // keyword cell, class cell
  std::istringstream docs(qvbtest::readFile(QVB_CCX2QVB_DOCS));
  for (std::string line; std::getline(docs, line);) {
    const size_t first = line.find(" | "), second = line.find(" | ", first + 3);
    if (line.rfind("| `*", 0) == 0 && second != std::string::npos)
      rows.emplace_back(line.substr(0, first) + " ", line.substr(first + 3, second - first - 3));
  }
  for (const auto &[keyword, kind] : qvb::ccx2qvb::knownKeywords()) {
    bool found = false;
    for (const auto &[cell, rowKind] : rows)
      found = found || (rowKind == kind && (cell.find("`*" + keyword + "`") != std::string::npos ||
                                            cell.find("`*" + keyword + ",") != std::string::npos));
    EXPECT_TRUE(found) << "docs/ccx2qvb.md has no " << kind << " row for *" << keyword;
  }
}

TEST(DeckParser, ReadsConstraints) {
  qvbtest::TempDir dir;
  const ccxtest::Bar bar = ccxtest::barOf(2, 1, 1, "C3D8");  // nodes 1..12, elements 1 and 2
  const Model model =
      readText(dir, ccxtest::barModel(bar) +
                        "*EQUATION\n6\n1, 1, 1.5, 2, 1, -1, 3, 2, 0.25, 4, 3, 1e-3,\n5, 1, 2, 6, 2, -2\n"
                        "2\n7, 3, 1, 8, 3, -1\n"
                        "*RIGID BODY, NSET=END1\n"
                        "*RIGID BODY, ELSET=EALL, REF NODE=1\n"
                        "*NSET, NSET=TWO\n1, 2\n"
                        "*SURFACE, NAME=FACES\nEALL, S1\n2, S6\n"
                        "*Surface, Name=Points, Type=Node\nTWO, 3\n"
                        "*TIE, NAME=GLUE, POSITION TOLERANCE=0.5e-3, ADJUST=NO\nPOINTS, FACES\n"
                        "*TIE, NAME=GLUE2\npoints, faces\n");
  ASSERT_EQ(model.equations.size(), 2u);
  ASSERT_EQ(model.equations[0].terms.size(), 6u);
  EXPECT_EQ(model.equations[0].terms[3].direction, 3);
  EXPECT_EQ(model.equations[0].terms[3].coefficient, 1e-3);
  EXPECT_EQ(model.equations[0].terms[5].node, 6);
  EXPECT_EQ(model.equations[0].terms[5].coefficient, -2.0);
  EXPECT_EQ(model.equations[1].terms[1].node, 8);
  EXPECT_NE(model.equations[1].where.text().find("deck.inp:"), std::string::npos);

  // The first body's reference and rotation nodes are made, the second's
  // rotation node: above the deck's highest ID, at the tied nodes' centroid.
  ASSERT_EQ(model.rigidBodies.size(), 2u);
  const auto &end = model.rigidBodies[0];
  EXPECT_EQ(end.nodes.size(), model.nodeSets.at("END1").size());
  const int deckHighest = 12;
  EXPECT_EQ(end.refNode, deckHighest + 1);
  EXPECT_EQ(end.rotNode, deckHighest + 2);
  EXPECT_EQ(model.rigidBodies[1].refNode, 1);
  EXPECT_EQ(model.rigidBodies[1].rotNode, deckHighest + 3);
  EXPECT_EQ(model.rigidBodies[1].nodes.size(), static_cast<size_t>(deckHighest));  // every node of the mesh
  const double *ref = model.position(end.refNode);
  EXPECT_NEAR(ref[0], bar.length, 1e-15);
  EXPECT_NEAR(ref[1], 0.0, 1e-15);
  EXPECT_NEAR(ref[2], 0.0, 1e-15);
  EXPECT_NEAR(model.position(model.rigidBodies[1].rotNode)[0], bar.length / 2, 1e-15);
  EXPECT_EQ(model.highestNodeId(), deckHighest + 3);

  const auto &faces = model.surfaces.at("FACES");
  EXPECT_FALSE(faces.nodal);
  EXPECT_EQ(faces.faces, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {2, 6}}));
  const auto &points = model.surfaces.at("POINTS");
  EXPECT_TRUE(points.nodal);
  EXPECT_EQ(points.nodes, (std::vector<int>{1, 2, 3}));
  ASSERT_EQ(model.ties.size(), 2u);
  EXPECT_EQ(model.ties[0].name, "GLUE");
  EXPECT_EQ(model.ties[0].slave, "POINTS");
  EXPECT_EQ(model.ties[0].master, "FACES");
  EXPECT_EQ(model.ties[0].positionTolerance, 0.5e-3);
  EXPECT_FALSE(model.ties[0].adjust);
  EXPECT_LT(model.ties[1].positionTolerance, 0);  // the solver's default
  EXPECT_TRUE(model.ties[1].adjust);
  EXPECT_TRUE(model.warnings.empty());
}

// A material between two temperatures: E, nu and the density each linear in
// between and constant beyond the table, as the solver evaluates them.
TEST(Temperature, InterpolatesTablesAndRefusesWithoutATemperature) {
  qvbtest::TempDir dir;
  const std::string tables = kNodes + kTet +
                             "*MATERIAL, NAME=HOT\n*ELASTIC\n2e11, 0.3, 0\n1e11, 0.2, 100\n5e10, 0.1, 300\n"
                             "*DENSITY\n8000, 0\n7000, 200\n"
                             "*SOLID SECTION, ELSET=E, MATERIAL=HOT\n";
  struct Point {
    double t, e, nu, rho;
  } points[] = {{-50, 2e11, 0.3, 8000}, {0, 2e11, 0.3, 8000},      {50, 1.5e11, 0.25, 7750},
                {100, 1e11, 0.2, 7500}, {200, 7.5e10, 0.15, 7000}, {1000, 5e10, 0.1, 7000}};
  for (const Point &p : points) {
    Model model = readText(dir, tables);
    EXPECT_EQ(resolveTemperature(&model, p.t), p.t);
    const auto &m = model.materials[0];
    EXPECT_NEAR(m.youngsModulus, p.e, 1e-6 * p.e) << p.t;
    EXPECT_NEAR(m.poissonRatio, p.nu, 1e-14) << p.t;
    EXPECT_NEAR(m.densityValue, p.rho, 1e-10) << p.t;
  }
  // No temperature: refused naming the material, its line and the option.
  Model model = readText(dir, tables);
  try {
    resolveTemperature(&model, std::nullopt);
    ADD_FAILURE() << "no refusal";
  } catch (const DeckError &e) {
    EXPECT_NE(std::string(e.what()).find("deck.inp:8: material HOT is given at several temperatures"),
              std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find("--temperature T"), std::string::npos);
  }
  EXPECT_THROW(resolveTemperature(&model, std::nan("")), qvb::ccx2qvb::OptionError);

  // The deck's uniform initial temperature serves; a given one wins.
  const std::string uniform = tables + "*INITIAL CONDITIONS, TYPE=TEMPERATURE\n1, 50\n2, 50\n3, 50\n4, 50\n";
  model = readText(dir, uniform);
  EXPECT_EQ(model.initialTemperature, 50.0);
  EXPECT_EQ(resolveTemperature(&model, std::nullopt), 50.0);
  EXPECT_NEAR(model.materials[0].youngsModulus, 1.5e11, 1e-3);
  model = readText(dir, uniform);
  EXPECT_EQ(resolveTemperature(&model, 100.0), 100.0);
  EXPECT_NEAR(model.materials[0].youngsModulus, 1e11, 1e-3);

  // Not uniform, by value or by reach: the refusal says why.
  const struct {
    const char *lines;
    const char *why;
  } varying[] = {
      {"1, 50\n2, 50\n3, 50\n4, 60\n", "deck.inp:18 but 60 at "},
      {"1, 50\n2, 50\n3, 50\n", "the *INITIAL CONDITIONS at "},
  };
  for (const auto &v : varying) {
    model = readText(dir, tables + "*INITIAL CONDITIONS, TYPE=TEMPERATURE\n" + v.lines);
    EXPECT_FALSE(model.initialTemperature);
    try {
      resolveTemperature(&model, std::nullopt);
      ADD_FAILURE() << "no refusal";
    } catch (const DeckError &e) {
      EXPECT_NE(std::string(e.what()).find("initial temperature is no single value"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(v.why), std::string::npos) << e.what();
    }
  }
}

// Engineering constants become stiffness point by point, and the stiffness
// is interpolated, as the solver does (nu from 0.3 to 0.1: the stiffness of
// the mean nu is not the mean stiffness). The units check's modulus of an
// isotropic stiffness, given as ANISO, is its E; an orientation is carried
// with its turn.
TEST(Temperature, InterpolatesTheStiffnessOfOtherElasticTypes) {
  qvbtest::TempDir dir;
  const double e = 2e11, g = e / 2.6;
  auto c11 = [e](double nu) { return e * (1 - nu) / ((1 + nu) * (1 - 2 * nu)); };
  Model model = readText(dir, kNodes + kTet +
                                  "*MATERIAL, NAME=M\n*ELASTIC, TYPE=ENGINEERING CONSTANTS\n"
                                  "2e11, 2e11, 2e11, 0.3, 0.3, 0.3, 7.6923076923076923e10, 7.6923076923076923e10,\n"
                                  "7.6923076923076923e10, 0\n2e11, 2e11, 2e11, 0.1, 0.1, 0.1, 1e11, 1e11,\n1e11, 100\n"
                                  "*DENSITY\n7850\n*ORIENTATION, NAME=O\n1, 1, 0, -1, 1, 0\n3, 45\n"
                                  "*SOLID SECTION, ELSET=E, MATERIAL=M, ORIENTATION=O\n");
  resolveTemperature(&model, 50.0);
  const auto &m = model.materials[0];
  ASSERT_EQ(m.stiffness.size(), 9u);
  EXPECT_NEAR(m.stiffness[0], (c11(0.3) + c11(0.1)) / 2, 1e-12 * e);
  EXPECT_NEAR(m.stiffness[8], (g + 1e11) / 2, 1e-12 * e);
  EXPECT_EQ(model.elementOrientation, std::vector<int>{0});
  EXPECT_EQ(model.orientations[0].rotationAxis, 3);
  EXPECT_EQ(model.orientations[0].rotationAngle, 45.0);
  const double l = e * 0.3 / (1.3 * 0.4), c = l + 2 * g;
  const double entries[21] = {c, l, c, l, l, c, 0, 0, 0, g, 0, 0, 0, 0, g, 0, 0, 0, 0, 0, g};
  std::string aniso = "*MATERIAL, NAME=M\n*ELASTIC, TYPE=ANISO\n";
  for (int k = 0; k < 21; ++k)
    aniso += qvb::ccx2qvb::Number(entries[k]).text + std::string(k % 8 == 7 || k == 20 ? "\n" : ", ");
  model = readText(dir, kNodes + kTet + aniso + "*DENSITY\n7850\n*SOLID SECTION, ELSET=E, MATERIAL=M\n");
  resolveTemperature(&model, std::nullopt);
  EXPECT_NEAR(model.materials[0].youngsModulus, e, 1e-12 * e);
}

TEST(Temperature, ChecksValuesAtTheTemperature) {
  qvbtest::TempDir dir;
  struct Case {
    std::string material;
    double temperature;
    const char *expected, *also;
  } cases[] = {
      {"*ELASTIC\n2e11, 0.3, 0\n-1e11, 0.3, 100\n*DENSITY\n7850\n", 80, "deck.inp:8: material M has Young's modulus -4",
       "at temperature 80 (it must be positive)"},
      {"*ELASTIC\n2e11, 0.5\n*DENSITY\n7850\n", 0, "material M has Poisson's ratio 0.5 (it must lie between", ""},
      {"*ELASTIC\n2e11, 0.3\n*DENSITY\n0\n", 0, "material M has density 0 (it must be positive", ""},
      {"*ELASTIC, TYPE=ENGINEERING CONSTANTS\n1e11, 1e11, 1e11, 0.6, 0.6, 0.6, 4e10, 4e10,\n4e10\n*DENSITY\n1\n", 0,
       "material M has elastic constants whose stiffness is not positive definite", ""},
  };
  for (const Case &c : cases) {
    Model model =
        readText(dir, kNodes + kTet + "*MATERIAL, NAME=M\n" + c.material + "*SOLID SECTION, ELSET=E, MATERIAL=M\n");
    try {
      resolveTemperature(&model, c.temperature);
      ADD_FAILURE() << "no refusal: " << c.expected;
    } catch (const DeckError &e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.also), std::string::npos) << e.what();
    }
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

// A mesher's boundary groups beside the solids: surface and line elements
// without a section are skipped with one warning, and their element sets
// (like the model's own) are interfaces of their elements' nodes.
TEST(Interfaces, ReferenceNodesAboveTheModelAndSingularSetsRefused) {
  qvbtest::TempDir dir;
  const ccxtest::Bar bar = ccxtest::barOf(2, 2, 1);
  std::string wall = "*ELEMENT, TYPE=CPS3, ELSET=WALL\n";
  const std::vector<int> end1 = readText(dir, ccxtest::barModel(bar)).nodeSets.at("END1");
  for (size_t k = 0; k + 2 < end1.size(); ++k)  // a fan of triangles over the end face's nodes
    wall += std::to_string(9001 + k) + ", " + std::to_string(end1[0]) + ", " + std::to_string(end1[k + 1]) + ", " +
            std::to_string(end1[k + 2]) + "\n";
  ccxtest::writeText(dir.file("bar.inp"),
                     ccxtest::barModel(bar) + wall +
                         "*ELEMENT, TYPE=T3D3, ELSET=EDGE\n8001, 1, 2, 3\n*ELEMENT, TYPE=S3\n8002, 1, 2, 3\n"
                         "*NSET, NSET=NONE\n*ELSET, ELSET=LASTE\nLAST\n");
  const Model model = readDeck(dir.file("bar.inp"));
  EXPECT_EQ(model.elementIds.size(), 4u);
  EXPECT_EQ(model.connectivity.size(), 80u);
  ASSERT_EQ(model.warnings.size(), 1u);
  EXPECT_NE(model.warnings[0].find("skipped: " + std::to_string(end1.size() - 2) + " CPS3, 1 S3, 1 T3D3"),
            std::string::npos)
      << model.warnings[0];
  const auto interfaces = qvb::ccx2qvb::defineInterfaces(model, {"end1", "END0"});
  ASSERT_EQ(interfaces.size(), 2u);
  const auto wallSet = qvb::ccx2qvb::defineInterfaces(model, {"wall"});
  EXPECT_EQ(wallSet[0].nodes, interfaces[0].nodes);
  EXPECT_EQ(wallSet[0].nodeSet, "WALL");
  const auto lastBricks = qvb::ccx2qvb::defineInterfaces(model, {"LASTE"});
  EXPECT_EQ(lastBricks[0].nodes.size(), 2u * 20u - 8u);  // two C3D20R bricks sharing a face
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
  EXPECT_NE(refusal({"NOPE"}).find("interface set NOPE is neither a node set nor an element set"), std::string::npos);
  EXPECT_NE(refusal({"NONE"}).find("interface set NONE is empty"), std::string::npos);
  EXPECT_NE(refusal({"EDGE0"}).find("lie on one line"), std::string::npos);
  EXPECT_NE(refusal({"END0", "END0"}).find("belongs to two interfaces"), std::string::npos);
}

}  // namespace
