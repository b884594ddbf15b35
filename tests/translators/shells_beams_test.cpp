// Shells and beams against the solver and against plate and beam theory: the
// translator expands them into the solids the solver analyses, so its body
// must have the solver's own frequencies of the shell or beam deck, the mass
// of the expanded solids, and an interface on a shell edge must work.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bar_deck.h"
#include "command_support.h"
#include "qvb.h"
#include "support/test_support.h"
#include "translation_fixture.h"

namespace {

constexpr double kYoung = 2.1e11, kPoisson = 0.3, kDensity = 7850.0;
const std::string kSteel = "*MATERIAL, NAME=STEEL\n*ELASTIC\n2.1e11, 0.3\n*DENSITY\n7850\n";

// A flat plate a x b in z = 0 of nx x ny shell elements of the type (S3 and
// S6 two triangles per square), section and node set EDGE (x = 0); with a
// radius, bent about the x axis into a cylinder panel.
std::string plateModel(const char *type, int nx, int ny, double a, double b, double thickness, double radius = 0) {
  const std::string t = type;
  const int q = t == "S8" || t == "S8R" || t == "S6" ? 2 : 1, columns = q * nx + 1;
  auto id = [&](int i, int j) { return 1 + i + columns * j; };
  std::ostringstream nodes, elements, edge;
  nodes.precision(17);
  nodes << "*NODE\n";
  for (int j = 0; j <= q * ny; ++j)
    for (int i = 0; i <= q * nx; ++i) {
      if (t.rfind("S8", 0) == 0 && i % 2 == 1 && j % 2 == 1) continue;  // no centre nodes
      const double y = b * j / (q * ny);
      nodes << id(i, j) << ", " << a * i / (q * nx) << ", " << (radius > 0 ? radius * std::sin(y / radius) : y) << ", "
            << (radius > 0 ? radius * (1 - std::cos(y / radius)) : 0.0) << "\n";
      if (i == 0) edge << id(i, j) << ",\n";
    }
  elements << "*ELEMENT, TYPE=" << t << ", ELSET=PLATE\n";
  int e = 0;
  for (int ex = 0; ex < nx; ++ex)
    for (int ey = 0; ey < ny; ++ey) {
      const int i = q * ex, j = q * ey;
      auto g = [&](int di, int dj) { return id(i + di, j + dj); };
      auto emit = [&](std::initializer_list<int> list) {
        elements << ++e;
        for (int node : list) elements << ", " << node;
        elements << "\n";
      };
      if (t == "S4R") emit({g(0, 0), g(1, 0), g(1, 1), g(0, 1)});
      if (t == "S3") emit({g(0, 0), g(1, 0), g(1, 1)}), emit({g(0, 0), g(1, 1), g(0, 1)});
      if (q == 2 && t != "S6") emit({g(0, 0), g(2, 0), g(2, 2), g(0, 2), g(1, 0), g(2, 1), g(1, 2), g(0, 1)});
      if (t == "S6")
        emit({g(0, 0), g(2, 0), g(2, 2), g(1, 0), g(2, 1), g(1, 1)}),
            emit({g(0, 0), g(2, 2), g(0, 2), g(1, 1), g(1, 2), g(0, 1)});
    }
  return nodes.str() + elements.str() + "*NSET, NSET=EDGE\n" + edge.str() + kSteel +
         "*SHELL SECTION, ELSET=PLATE, MATERIAL=STEEL\n" + std::to_string(thickness) + "\n";
}

// A straight beam of n B32 elements along x, section b (along y) x h (along z).
std::string beamModel(int n, double length, double b, double h) {
  std::ostringstream out;
  out.precision(17);
  out << "*NODE\n";
  for (int i = 0; i <= 2 * n; ++i) out << i + 1 << ", " << length * i / (2 * n) << ", 0, 0\n";
  out << "*ELEMENT, TYPE=B32, ELSET=BEAM\n";
  for (int e = 0; e < n; ++e) out << e + 1 << ", " << 2 * e + 1 << ", " << 2 * e + 2 << ", " << 2 * e + 3 << "\n";
  out << kSteel << "*BEAM SECTION, ELSET=BEAM, MATERIAL=STEEL, SECTION=RECT\n" << b << ", " << h << "\n0, 1, 0\n";
  return out.str();
}

class ShellsAndBeams : public ccxtest::TranslationTest {
 protected:
  void expectSolversOwn(const std::vector<double> &body, const std::string &deck, const std::string &what) {
    const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), deck, 10);
    ASSERT_EQ(body.size(), 10u) << what << ": " << log_;
    ASSERT_EQ(reference.size(), 10u) << what;
    for (size_t j = 6; j < 10; ++j)  // frequencies: the solver prints its eigenvalues to 7 digits
      EXPECT_NEAR(std::sqrt(body[j] / reference[j]), 1.0, 1e-6) << what << ", mode " << j + 1;
  }
};

// A free square steel plate 0.2 m x 2 mm of 4 x 4 S8R: the solver's own
// frequencies of the shell deck to 1e-6, those of a thin free plate
// (lambda = omega a^2 sqrt(rho t / D): 13.468, 19.596, 24.270 for nu = 0.3)
// within 1 % (the mesh's error is 0.1 % to 0.6 %), and the mass and inertia
// of the expanded box exactly. With an interface on one edge (its original
// nodes), the Craig-Bampton body bounds the frequencies of the plate with that
// edge's whole thickness tied rigidly from above, closely.
TEST_F(ShellsAndBeams, FreePlateIsTheSolversOwnAndAThinPlate) {
  const double a = 0.2, t = 0.002;
  const std::string deck = plateModel("S8R", 4, 4, a, a, t);
  const std::vector<double> body = translate(deck, "-n 4");
  expectSolversOwn(body, deck, "S8R");
  const double plate = std::sqrt(kYoung * t * t * t / (12 * (1 - kPoisson * kPoisson)) / (kDensity * t)) / (a * a);
  const double leissa[3] = {13.468, 19.596, 24.270};
  for (size_t j = 0; j < 3; ++j) EXPECT_NEAR(std::sqrt(body.at(6 + j)) / plate, leissa[j], 0.01 * leissa[j]);
  const double m = kDensity * a * a * t;
  EXPECT_NEAR(mass_, m, 1e-12 * m);
  EXPECT_NEAR(centre_[0], a / 2, 1e-14);
  EXPECT_NEAR(centre_[2], 0, 1e-14);
  EXPECT_NEAR(inertia_[0], m * (a * a + t * t) / 12, 1e-12 * m * a * a);
  EXPECT_NEAR(inertia_[8], m * (a * a + a * a) / 12, 1e-12 * m * a * a);
  EXPECT_NEAR(inertia_[1], 0, 1e-12 * m * a * a);
  EXPECT_EQ(nodes_, 3 * 25 + 2 * 40);  // corners in three layers, midside nodes in two
  // Bending stresses at the plate's centre (node 41, the 33rd original node:
  // new nodes 82 + 3 x 32 onwards, bottom, middle, top): the solver's solid
  // stresses, in-plane, equal and opposite on the two faces, none in the
  // middle.
  QVB_Handle h = QVB_CreateFromQVB(dir_.file("body.qvb").c_str());
  ASSERT_NE(h, nullptr);
  int faces = 0, listSize = 0;  // the skin: both sides and the four thin edges, eight nodes a face
  ASSERT_EQ(QVB_FaceListSize(h, &faces, &listSize), 1);
  EXPECT_EQ(faces, 2 * 16 + 4 * 4);
  EXPECT_EQ(listSize, faces * 9);
  for (int mode = 7; mode <= 9; ++mode) {
    double s[3][6];  // bottom, middle, top: xx yy zz xy yz zx
    for (int layer = 0; layer < 3; ++layer)
      for (int part = 0; part < 2; ++part)
        ASSERT_EQ(QVB_ModeByNode(h, mode, 1, 178 + layer, &s[layer][3 * part], part), 1);
    const double scale = std::max({std::fabs(s[2][0]), std::fabs(s[2][1]), std::fabs(s[2][3])});
    for (int c : {0, 1, 3}) {
      EXPECT_NEAR(s[0][c], -s[2][c], 1e-3 * scale) << "mode " << mode << ", component " << c;
      EXPECT_NEAR(s[1][c], 0.0, 1e-3 * scale) << "mode " << mode << ", component " << c;
    }
    EXPECT_NEAR(s[2][2], 0.0, 1e-2 * scale) << "mode " << mode;  // 0.7 % through the thickness extrapolation
  }
  QVB_Terminate();

  const std::vector<double> tied = translate(deck, "-n 8 -i edge --keep kept");
  ASSERT_EQ(tied.size(), 14u) << log_;
  EXPECT_EQ(interfaces_, 1);
  EXPECT_EQ(nodes_, 3 * 25 + 2 * 40 + 1);
  std::ostringstream rigid;
  rigid << "*INCLUDE, INPUT=kept/model.inp\n*NODE\n"
        << firstInterface_ << ", 0, " << a / 2 << ", 0\n"
        << firstInterface_ + 1 << ", 0, " << a / 2 << ", 0\n*RIGID BODY, NSET=QVBI1, REF NODE=" << firstInterface_
        << ", ROT NODE=" << firstInterface_ + 1 << "\n";
  const std::vector<double> reference = ccxtest::solverEigenvalues(dir_.path(), rigid.str(), 10);
  ASSERT_EQ(reference.size(), 10u);
  for (size_t j = 6; j < 9; ++j) {
    EXPECT_GE(tied[j], reference[j] * (1 - 2e-6)) << "mode " << j + 1;
    EXPECT_LE(tied[j], reference[j] * 1.02) << "mode " << j + 1;
  }
  // The edge as a mesher's curve group, line elements no section names
  // (skipped): its element set ties the same whole thickness.
  std::string rim = "*ELEMENT, TYPE=T3D3, ELSET=RIM\n";
  for (int k = 0; k < 4; ++k)
    rim += std::to_string(101 + k) + ", " + std::to_string(1 + 18 * k) + ", " + std::to_string(10 + 18 * k) + ", " +
           std::to_string(19 + 18 * k) + "\n";
  const std::vector<double> byRim = translate(deck + rim, "-n 8 -i RIM");
  ASSERT_EQ(byRim.size(), 14u) << log_;
  for (size_t j = 6; j < 14; ++j) EXPECT_NEAR(byRim[j], tied[j], 1e-9 * tied[j]) << "mode " << j + 1;
}

// A shell tied to a solid by its edge (*TIE with the edge's original nodes as
// the slave surface, which then holds the edge's whole thickness): one free
// body whose checks pass, with the two parts' mass exactly.
TEST_F(ShellsAndBeams, ShellTiedToASolidIsOneFreeBody) {
  ccxtest::Bar block = ccxtest::barOf(1, 2, 2, "C3D8");
  block.length = 0.1, block.width = 0.2, block.height = 0.04, block.origin = -0.1, block.idOffset = 1000;
  block.suffix = "B";
  const std::string tie =
      "*SURFACE, NAME=SLAVE, TYPE=NODE\nEDGE\n*SURFACE, NAME=MASTER\nLASTB, S4\n*TIE, NAME=GLUE\nSLAVE, MASTER\n";
  ASSERT_EQ(translate(plateModel("S8R", 3, 1, 0.3, 0.1, 0.004) + ccxtest::barModel(block) + tie, "-n 4").size(), 10u)
      << log_;
  const double m = kDensity * (0.1 * 0.2 * 0.04 + 0.3 * 0.1 * 0.004);
  EXPECT_NEAR(mass_, m, 1e-12 * m);
}

// Every other shell type gives the solver's own frequencies of its deck, and
// so does a faceted cylinder panel, whose normals at a node are averaged over
// its elements (turning by 11.5 degrees) as the solver averages them (taking
// one element's normal instead moves the frequencies by 0.7 %).
TEST_F(ShellsAndBeams, EveryShellTypeIsTheSolversOwn) {
  for (const char *type : {"S3", "S6", "S4R", "S8"}) {
    const std::string deck = plateModel(type, 3, 2, 0.3, 0.2, 0.01);
    expectSolversOwn(translate(deck, "-n 4"), deck, type);
  }
  const std::string curved = plateModel("S3", 3, 3, 0.3, 0.3, 0.005, 0.5);
  expectSolversOwn(translate(curved, "-n 4"), curved, "curved S3");
}

// Point masses on a corner and a midside node of shells: the solver keeps
// those nodes and holds each at the mean of its outer layers, and so does the
// body, with the solver's own frequencies and the plate's mass plus theirs.
TEST_F(ShellsAndBeams, PointMassesOnShellNodesAreTheSolversOwn) {
  const std::string deck = plateModel("S8R", 3, 2, 0.3, 0.2, 0.01) +
                           "*ELEMENT, TYPE=MASS, ELSET=UNITS\n9001, 19\n9002, 18\n*MASS, ELSET=UNITS\n2.\n";
  expectSolversOwn(translate(deck, "-n 4"), deck, "point masses");
  const double m = kDensity * 0.3 * 0.2 * 0.01 + 4;
  EXPECT_NEAR(mass_, m, 1e-12 * m);
}

// A free steel beam 1 m of 8 B32, section 20 x 40 mm: the solver's own
// frequencies, the Euler-Bernoulli ones in both bending planes
// (omega = 4.7300^2 / L^2 sqrt(E I / rho A)) within 1 % (0.6 % and 0.15 %
// here: the mesh and the beam's shear), and the box's mass and inertia.
TEST_F(ShellsAndBeams, FreeBeamBendsAsEulerBernoulli) {
  const double length = 1.0, b = 0.02, h = 0.04;
  const std::string deck = beamModel(8, length, b, h);
  const std::vector<double> body = translate(deck, "-n 4");
  expectSolversOwn(body, deck, "B32");
  auto bending = [&](double inertia) {
    return 4.730040745 * 4.730040745 / (length * length) * std::sqrt(kYoung * inertia / (kDensity * b * h));
  };
  EXPECT_NEAR(std::sqrt(body.at(6)), bending(h * b * b * b / 12), 0.01 * bending(h * b * b * b / 12));
  EXPECT_NEAR(std::sqrt(body.at(7)), bending(b * h * h * h / 12), 0.01 * bending(b * h * h * h / 12));
  const double m = kDensity * length * b * h;
  EXPECT_NEAR(mass_, m, 1e-12 * m);
  EXPECT_NEAR(inertia_[0], m * (b * b + h * h) / 12, 1e-12 * m * h * h);
  EXPECT_NEAR(inertia_[4], m * (length * length + h * h) / 12, 1e-12 * m);
}

}  // namespace
