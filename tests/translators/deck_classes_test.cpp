// The kinds of deck that gave wrong bodies before: parts joined by ties or
// equations, rigidly tied faces, constraints that ground the part, parts
// held only by contact, temperature tables, tonne/millimetre units,
// anisotropic materials in local axes and gmsh's meshes with their surface
// groups. Each body is held against an independent solver run of the same
// model, or against theory.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bar_deck.h"
#include "command_support.h"
#include "qvb.h"
#include "support/test_support.h"
#include "translation_fixture.h"

namespace ccxtest {

std::vector<double> solverEigenvalues(const std::string &folder, const std::string &model, int count) {
  writeText(folder + "/plain.inp", model + "*STEP\n*FREQUENCY\n" + std::to_string(count) + "\n*END STEP\n");
  run(folder, "ccx -i plain", "plain.log");
  std::ifstream dat(folder + "/plain.dat");
  std::vector<double> lambda;
  std::string line;
  bool table = false;
  while (std::getline(dat, line)) {
    if (line.find("E I G E N V A L U E   O U T P U T") != std::string::npos) table = true;
    std::istringstream fields(line);
    int mode = 0;
    double value = 0;
    if (table && fields >> mode >> value && mode == static_cast<int>(lambda.size()) + 1) lambda.push_back(value);
    if (table && line.find("P A R T I C I P") != std::string::npos) break;
  }
  return lambda;
}

}  // namespace ccxtest

namespace {

using ccxtest::barModel;
using ccxtest::run;

class DeckClasses : public ccxtest::TranslationTest {
 protected:
  // Flexible eigenvalues 7.. of a body agree with the reference's to `tolerance`.
  static void expectFlexibleEqual(const std::vector<double> &body, const std::vector<double> &reference,
                                  double tolerance, const std::string &what) {
    ASSERT_GE(body.size(), 10u) << what;
    ASSERT_GE(reference.size(), body.size()) << what;
    for (size_t j = 6; j < body.size(); ++j)
      EXPECT_NEAR(body[j], reference[j], tolerance * reference[j]) << what << ", mode " << j + 1;
  }
};

// Two bars, each 1 m, with coincident nodes where they meet; the second one's IDs above 10000.
ccxtest::Bar half(int which) {
  ccxtest::Bar bar = ccxtest::barOf(4, 2, 2, "C3D8");
  bar.width = bar.height = 0.1;
  if (which == 1) bar.idOffset = 10000, bar.origin = 1.0, bar.suffix = "B";
  return bar;
}

// Tied by *TIE, or by one *EQUATION per direction of each coincident pair,
// the two bars are one bar of twice the length: the plain solver run of
// that bar gives the same modes, and the mass is the sum.
TEST_F(DeckClasses, TiedAndEquationCoupledBarsVibrateAsOneBar) {
  ccxtest::Bar whole = ccxtest::barOf(8, 2, 2, "C3D8");
  whole.width = whole.height = 0.1, whole.length = 2.0;
  const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), barModel(whole), 12);
  const std::string parts = barModel(half(0)) + barModel(half(1));
  std::string equations = "*EQUATION\n";
  for (int k = 0; k <= 2; ++k)
    for (int j = 0; j <= 2; ++j)
      for (int d = 1; d <= 3; ++d) {
        const int a = 1 + 4 + 5 * (j + 3 * k), b = 10000 + 1 + 5 * (j + 3 * k);
        equations += "2\n" + std::to_string(b) + ", " + std::to_string(d) + ", 1., " + std::to_string(a) + ", " +
                     std::to_string(d) + ", -1.\n";
      }
  const std::pair<const char *, std::string> joins[] = {
      {"tie",
       "*SURFACE, NAME=SLAVE, TYPE=NODE\nEND0B\n*SURFACE, NAME=MASTER\nLAST, S4\n*TIE, NAME=GLUE\nSLAVE, MASTER\n"},
      {"equations", equations}};
  for (const auto &[name, join] : joins) {
    std::string log;
    expectFlexibleEqual(translate(parts + join, "-n 6", &log), reference, 1e-6, name);
    EXPECT_NEAR(mass_, 7850.0 * 2.0 * 0.1 * 0.1, 1e-12 * mass_) << name << ": " << log;
  }
  // Held at both ends, the tied bars give a Craig-Bampton body: a Ritz basis
  // of the same model, so its flexible eigenvalues bound the free ones from
  // above, closely for the lowest.
  std::string log;
  const std::vector<double> cb = translate(parts + joins[0].second, "-n 8 -i END0 -i END1B", &log);
  ASSERT_GE(cb.size(), 10u) << log;
  for (size_t j = 6; j < 10; ++j) {
    EXPECT_GE(cb[j], reference[j] * (1 - 1e-9)) << "mode " << j + 1;
    EXPECT_LE(cb[j], reference[j] * 1.02) << "mode " << j + 1;
  }
}

// A face tied rigidly (*RIGID BODY without its nodes named: the translator
// makes them) is the solver's own model: the same modes as its plain run.
// The body gives the reference node six degrees of freedom and leaves the
// rotation node out.
TEST_F(DeckClasses, RigidlyTiedFaceIsTheSolversOwnModel) {
  ccxtest::Bar bar = half(0);
  const std::string deck = barModel(bar) + "*RIGID BODY, NSET=END1\n";
  const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), deck, 12);
  std::string log;
  expectFlexibleEqual(translate(deck, "-n 6", &log), reference, 1e-6, "rigid body: " + log);
  EXPECT_EQ(nodes_, 5 * 3 * 3 + 1);
}

// A point mass on a corner of the bar and one on the reference node of a
// rigid body beyond its end (a node only the rigid body joins to the part):
// mass, centre and inertia are the box's and the points' in closed form,
// each point's mass is its node's nodal mass on top of the solid's share,
// and the modes are the solver's own of the same deck.
TEST_F(DeckClasses, PointMassesAreInTheMassPropertiesTheNodesAndTheModes) {
  const std::string deck = barModel(half(0)) +
                           "*NODE\n100, 1.2, 0., 0.\n*RIGID BODY, NSET=END1, REF NODE=100\n"
                           "*ELEMENT, TYPE=MASS, ELSET=PM\n1001, 1\n*ELEMENT, TYPE=MASS, ELSET=REF\n1002, 100\n"
                           "*MASS, ELSET=PM\n3.\n*MASS, ELSET=REF\n20.\n";
  const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), deck, 12);
  std::string log;
  const std::vector<double> body = translate(deck, "-n 6", &log);
  expectFlexibleEqual(body, reference, 1e-6, "point masses: " + log);
  // The box (1 x 0.1 x 0.1 from x = 0, centred on the axis), 3 at (0, -0.05, -0.05), 20 at (1.2, 0, 0).
  const double box = 7850.0 * 0.1 * 0.1, m = box + 23.0;
  const double points[2][4] = {{3.0, 0.0, -0.05, -0.05}, {20.0, 1.2, 0.0, 0.0}};
  double c[3] = {box * 0.5, 0, 0};
  for (const auto &p : points)
    for (int k = 0; k < 3; ++k) c[k] += p[0] * p[k + 1];
  for (double &ck : c) ck /= m;
  // Inertia about the centre: the box's own about its centre (0.5, 0, 0), then
  // each mass's (and the box's) offset d: m (|d|^2 1 - d d').
  const double own[3] = {box * (0.01 + 0.01) / 12, box * (1 + 0.01) / 12, box * (1 + 0.01) / 12};
  const double masses[3][4] = {{box, 0.5, 0, 0},
                               {points[0][0], points[0][1], points[0][2], points[0][3]},
                               {points[1][0], points[1][1], points[1][2], points[1][3]}};
  double inertia[9] = {own[0], 0, 0, 0, own[1], 0, 0, 0, own[2]};
  for (const auto &p : masses) {
    const double d[3] = {p[1] - c[0], p[2] - c[1], p[3] - c[2]};
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k)
        inertia[3 * r + k] += p[0] * ((r == k ? d[0] * d[0] + d[1] * d[1] + d[2] * d[2] : 0.0) - d[r] * d[k]);
  }
  EXPECT_NEAR(mass_, m, 1e-13 * m);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(centre_[k], c[k], 1e-13) << k;
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(inertia_[k], inertia[k], 1e-12 * inertia[0]) << k;
  double total = 0;
  for (const auto &[id, mass] : nodalMass_) total += mass;
  EXPECT_NEAR(total, m, 1e-12 * m);
  EXPECT_EQ(nodalMass_[100], 20.0);
  EXPECT_NEAR(nodalMass_[1] - 3.0, nodalMass_[11], 1e-12 * m) << "node 1's solid share is that of the corner node 11";
}

// Two bars meeting at x = 1, joined only by springs: SPRING2 in x, y and z
// between the coincident end nodes and SPRINGA from the layer at x = 0.75 to
// the one at x = 1.25. The springs make one piece of them, and the body's
// modes are the solver's own of the same deck.
TEST_F(DeckClasses, BarsJoinedBySpringsVibrateAsTheSolverModelsThem) {
  std::string springs;
  for (int k = 0; k <= 2; ++k)
    for (int j = 0; j <= 2; ++j) {
      const int layer = 5 * (j + 3 * k), id = 2000 + 4 * (j + 3 * k);
      const std::string a = std::to_string(1 + 4 + layer), b = std::to_string(10000 + 1 + layer);
      for (int d = 1; d <= 3; ++d) {
        const std::string e = std::to_string(id + d), dd = std::to_string(d);
        springs += "*ELEMENT, TYPE=SPRING2, ELSET=S" + e + "\n" + e + ", " + a + ", " + b + "\n*SPRING, ELSET=S" + e +
                   "\n" + dd + ", " + dd + "\n2.e8\n";
      }
      springs += "*ELEMENT, TYPE=SPRINGA, ELSET=AXIAL\n" + std::to_string(id) + ", " + std::to_string(1 + 3 + layer) +
                 ", " + std::to_string(10000 + 2 + layer) + "\n";
    }
  const std::string deck = barModel(half(0)) + barModel(half(1)) + springs + "*SPRING, ELSET=AXIAL\n5.e7\n";
  const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), deck, 12);
  std::string log;
  const std::vector<double> body = translate(deck, "-n 6", &log);
  expectFlexibleEqual(body, reference, 1e-6, "springs: " + log);
}

// Constraints a free body cannot have, and parts that only touch: refused
// with the keyword, its line or the pieces named, and no body.
TEST_F(DeckClasses, ConstraintsThatHoldThePartAndLoosePartsAreRefused) {
  const std::string bar = barModel(half(0));
  const std::pair<std::string, const char *> cases[] = {
      {bar + "*EQUATION\n1\n1, 1, 1.\n", "deck.inp:"},
      {bar + "*EQUATION\n2\n1, 1, 1., 2, 1, 2.\n", "*EQUATION"},
      {bar + barModel(half(1)) +
           "*SURFACE, NAME=A, TYPE=NODE\nEND1\n*SURFACE, NAME=B, TYPE=NODE\nEND0B\n"
           "*CONTACT PAIR, INTERACTION=I\nB, A\n",
       "the model falls into 2 unconnected pieces (45 nodes with node 1; 45 nodes with node 10001)"},
      {bar + "*MPC\nPLANE, 1, 2, 3, 4\n", "*MPC"},
      {bar + "*CYCLIC SYMMETRY MODEL, N=12\nA, B\n", "not a free body"},
  };
  for (const auto &[deck, expected] : cases) {
    std::string log;
    EXPECT_TRUE(translate(deck, "-n 4", &log).empty()) << log;
    EXPECT_NE(log.find(expected), std::string::npos) << log;
  }
}

// E given at 0 and 100 degrees: at 50 the modes stiffen by the ratio of the
// interpolated modulus (closed form: lambda scales with E), the deck's own
// uniform initial temperature serves as well, and without either the
// material is named.
TEST_F(DeckClasses, TemperatureTablesAreReadWhereTheTemperatureIs) {
  std::string deck = barModel(half(0));
  const size_t elastic = deck.find("*ELASTIC\n");
  ASSERT_NE(elastic, std::string::npos);
  const size_t values = elastic + 9, end = deck.find('\n', values) + 1;
  deck.replace(values, end - values, "2.0e11, 0.3, 0.\n2.2e11, 0.3, 100.\n");
  std::string log;
  const std::vector<double> cold = translate(deck, "-n 4 --temperature 0", &log);
  ASSERT_FALSE(cold.empty()) << log;
  const std::vector<double> warm = translate(deck, "-n 4 --temperature 50", &log);
  ASSERT_FALSE(warm.empty()) << log;
  const std::vector<double> initial = translate(
      deck + "*NSET, NSET=NALL, GENERATE\n1, 45\n*INITIAL CONDITIONS, TYPE=TEMPERATURE\nNALL, 50.\n", "-n 4", &log);
  ASSERT_FALSE(initial.empty()) << log;
  for (size_t j = 6; j < cold.size(); ++j) {
    EXPECT_NEAR(warm.at(j) / cold[j], 2.1 / 2.0, 1e-9);
    EXPECT_NEAR(initial.at(j) / cold[j], 2.1 / 2.0, 1e-9);
  }
  EXPECT_TRUE(translate(deck, "-n 4", &log).empty());
  EXPECT_NE(log.find("STEEL"), std::string::npos) << log;
  EXPECT_NE(log.find("--temperature"), std::string::npos) << log;
}

// The same bar in tonne/mm/s (C3D8R, whose solver mass is lumped at one
// point): without --units the likely set is named; with it the body's
// eigenvalues (1/s^2 in both) equal the SI bar's, and its mass and inertia
// are the box's exactly.
TEST_F(DeckClasses, TonneMillimetreDeckIsNamedAndMatchesTheSameBarInSI) {
  ccxtest::Bar si = half(0), mm = half(0);
  si.type = mm.type = "C3D8R";
  mm.length *= 1000, mm.width *= 1000, mm.height *= 1000, mm.young *= 1e-6, mm.density *= 1e-12;
  std::string log;
  const std::vector<double> reference = translate(barModel(si), "-n 4", &log);
  EXPECT_EQ(log.find("look like"), std::string::npos) << log;
  const std::vector<double> guessed = translate(barModel(mm), "-n 4", &log);
  EXPECT_NE(log.find("look like MEGAGRAM MILLIMETER SECOND NEWTON units"), std::string::npos) << log;
  const std::vector<double> body = translate(barModel(mm), "-n 4 --units TONNE MILLIMETER SECOND NEWTON", &log);
  expectFlexibleEqual(body, reference, 1e-6, "tonne/mm/s");
  const double m = 7.85e-9 * 1000 * 100 * 100;
  EXPECT_NEAR(mass_, m, 1e-12 * m);
  EXPECT_NEAR(inertia_[8], m * (1000.0 * 1000 + 100 * 100) / 12, 1e-12 * m * 1e6);
  EXPECT_NEAR(inertia_[0], m * (100.0 * 100 + 100 * 100) / 12, 1e-12 * m * 1e4);
}

// A block whose *ELASTIC card is replaced, its section in orientation OR
// (data lines given) when there is one.
std::string blockWith(const std::string &elastic, const std::string &orientation = "") {
  ccxtest::Bar bar = ccxtest::barOf(4, 2, 2, "C3D8");
  bar.width = 0.3, bar.height = 0.2;
  std::string deck = barModel(bar);
  const size_t from = deck.find("*ELASTIC\n");
  deck.replace(from, deck.find("*DENSITY") - from, elastic);
  if (!orientation.empty())
    deck.insert(deck.size() - 1, ", ORIENTATION=OR"), deck += "*ORIENTATION, NAME=OR\n" + orientation;
  return deck;
}

// Engineering constants turned 90 degrees about z (by their points, or by a
// turn of the local system) vibrate as the unturned block with axes 1 and 2
// swapped (nu21 = nu12 E2 / E1); the isotropic stiffness given as ORTHO and
// as ANISO vibrates as the isotropic material.
TEST_F(DeckClasses, MaterialAxesTurnTheElasticConstants) {
  const std::string engineering =
      "*ELASTIC, TYPE=ENGINEERING CONSTANTS\n2e11, 1e11, 5e10, 0.3, 0.25, 0.2, 4e10, 3e10,\n2e10\n";
  std::string log;
  const std::vector<double> swapped = translate(
      blockWith("*ELASTIC, TYPE=ENGINEERING CONSTANTS\n1e11, 2e11, 5e10, 0.15, 0.2, 0.25, 4e10, 2e10,\n3e10\n"), "-n 6",
      &log);
  ASSERT_FALSE(swapped.empty()) << log;
  expectFlexibleEqual(translate(blockWith(engineering, "0, 1, 0, -1, 0, 0\n"), "-n 6", &log), swapped, 1e-12,
                      "by points: " + log);
  expectFlexibleEqual(translate(blockWith(engineering, "1, 0, 0, 0, 1, 0\n3, 90\n"), "-n 6", &log), swapped, 1e-12,
                      "by a turn: " + log);
  const double e = 2.1e11, nu = 0.3, l = e * nu / ((1 + nu) * (1 - 2 * nu)), g = e / (2 * (1 + nu));
  const std::vector<double> isotropic = translate(blockWith("*ELASTIC\n2.1e11, 0.3\n"), "-n 6", &log);
  auto card = [](const char *type, const std::vector<double> &values) {
    std::ostringstream out;
    out.precision(17);
    out << "*ELASTIC, TYPE=" << type << "\n";
    for (size_t k = 0; k < values.size(); ++k) out << values[k] << (k % 8 == 7 || k + 1 == values.size() ? "\n" : ",");
    return out.str();
  };
  const double c = l + 2 * g;
  expectFlexibleEqual(translate(blockWith(card("ORTHO", {c, l, c, l, l, c, g, g, g})), "-n 6", &log), isotropic, 1e-12,
                      "ORTHO: " + log);
  expectFlexibleEqual(
      translate(blockWith(card("ANISO", {c, l, c, l, l, c, 0, 0, 0, g, 0, 0, 0, 0, g, 0, 0, 0, 0, 0, g})), "-n 6",
                &log),
      isotropic, 1e-12, "ANISO: " + log);
}

// Engineering constants at two temperatures in a cylindrical system about a
// slanted axis, and a full anisotropic stiffness in a turned rectangular
// system, in alternate elements: at the deck's initial temperature the body
// is the solver's own run of the same deck. (Interpolating the engineering
// constants instead of their stiffness would move eigenvalues by 4e-3.)
TEST_F(DeckClasses, AnisotropicMaterialsInLocalAxesAreTheSolversOwnModel) {
  std::string deck = blockWith("");
  deck.erase(deck.find("*MATERIAL"));
  deck +=
      "*ELSET, ELSET=A, GENERATE\n1, 16, 2\n*ELSET, ELSET=B, GENERATE\n2, 16, 2\n"
      "*ORIENTATION, NAME=CYL, SYSTEM=CYLINDRICAL\n-0.5, -1, 0.2, 1.5, 0.5, 0.9\n"
      "*ORIENTATION, NAME=TURNED\n1, 0.2, 0.1, -0.3, 1, 0.4\n2, 25\n"
      "*MATERIAL, NAME=FIBRE\n*ELASTIC, TYPE=ENGINEERING CONSTANTS\n2e11, 1e11, 5e10, 0.3, 0.25, 0.2, 4e10, 3e10,\n"
      "2e10, 0\n1e11, 1.5e11, 9e10, 0.1, 0.35, 0.3, 2e10, 5e10,\n1e10, 100\n*DENSITY\n7850\n"
      "*MATERIAL, NAME=CRYSTAL\n*ELASTIC, TYPE=ANISO\n1.66e11, 6.4e10, 1.6e11, 6.3e10, 6.5e10, 1.7e11, 2e9, -3e9,\n"
      "1e9, 7.9e10, 1.5e9, 2e9, -1e9, 0.5e9, 8e10, -1e9,\n1e9, 2.5e9, 1e9, -0.5e9, 7.8e10\n*DENSITY\n2330\n"
      "*SOLID SECTION, ELSET=A, MATERIAL=FIBRE, ORIENTATION=CYL\n"
      "*SOLID SECTION, ELSET=B, MATERIAL=CRYSTAL, ORIENTATION=TURNED\n"
      "*NSET, NSET=NALL, GENERATE\n1, 45\n*INITIAL CONDITIONS, TYPE=TEMPERATURE\nNALL, 30.\n";
  const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), deck, 12);
  std::string log;
  expectFlexibleEqual(translate(deck, "-n 6", &log), reference, 1e-6, log);
}

// A mesh as gmsh writes it: beside the tetrahedra, the triangles and lines
// of its physical surfaces and curves, which no section names. They are
// skipped with one warning, and a physical surface's element set is an
// interface: the same body as with gmsh's node set of that surface.
TEST_F(DeckClasses, GmshMeshTranslatesAsItComesWithItsSurfacesAsInterfaces) {
  ccxtest::writeText(dir_.file("bar.geo"),
                     "SetFactory(\"OpenCASCADE\");\nBox(1) = {0, 0, 0, 0.2, 0.02, 0.02};\n"
                     "Physical Volume(\"BAR\") = {1};\nPhysical Surface(\"END\") = {1};\n"
                     "Physical Surface(\"TIP\") = {2};\nPhysical Curve(\"EDGE\") = {1};\n"
                     "Mesh.ElementOrder = 2;\nMesh.CharacteristicLengthMax = 0.01;\nMesh.SaveGroupsOfNodes = 1;\n");
  ASSERT_EQ(run(dir_.path(), "gmsh bar.geo -3 -format inp -o mesh.inp", "gmsh.log"), 0)
      << qvbtest::readFile(dir_.file("gmsh.log"));
  const std::string deck =
      "*INCLUDE, INPUT=mesh.inp\n*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n*DENSITY\n7850.\n"
      "*SOLID SECTION, ELSET=BAR, MATERIAL=STEEL\n*ELSET, ELSET=END_FACES\nEND\n*ELSET, ELSET=TIP_FACES\nTIP\n";
  std::string log;
  const std::vector<double> byNodes = translate(deck, "-n 4 -i END -i TIP", &log);
  const std::vector<double> byElements = translate(deck, "-n 4 -i END_FACES -i TIP_FACES", &log);
  ASSERT_EQ(byElements.size(), 16u) << log;
  const size_t warning = log.find(
      "warning: surface and line elements without a section are not part of the body, "
      "skipped: ");
  EXPECT_NE(warning, std::string::npos) << log;
  EXPECT_NE(log.find(" CPS6, ", warning), std::string::npos) << log;
  EXPECT_NE(log.find(" T3D3\n", warning), std::string::npos) << log;
  EXPECT_NEAR(mass_, 7850.0 * 0.2 * 0.02 * 0.02, 1e-12 * mass_);  // the box's: the skipped elements have none
  for (size_t j = 0; j < byElements.size(); ++j) EXPECT_NEAR(byElements[j], byNodes.at(j), 1e-9 * byNodes[15]);
}

}  // namespace
