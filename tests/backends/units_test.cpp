// Units: names and aliases, the multiplier view, and every quantity reported
// alike whatever unit system the body was built or stored in.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "backend_fixture.h"
#include "test_support.h"

namespace qvbtest {
namespace {

class Units : public ::testing::Test {
 protected:
  void TearDown() override { flex().QVB_Terminate(); }
  const s_FLEX_INTERFACE &f = flex();
};

TEST_F(Units, NamesInAnyCaseWithStandardFactors) {
  struct Case {
    const char *mass, *length, *time, *force;
    const char *canonical[4];
    double si[4];
  };
  const Case cases[] = {
      {"Tonne", "MM", "s", "N", {"MEGAGRAM", "MILLIMETER", "SECOND", "NEWTON"}, {1000, 1e-3, 1, 1}},
      {"dozen_Slug", "Mil", "ms", "kip", {"SLINCH", "MIL", "MILLISECOND", "KPOUND_FORCE"},
       {12 * 14.593902937206364, 2.54e-5, 1e-3, 4448.2216152605}},
      {"us_ton", "mi", "h", "KGF", {"USTON", "MILE", "HOUR", "KILOGRAM_FORCE"}, {907.18474, 1609.344, 3600, 9.80665}},
      {"ozm", "Angstrom", "min", "dyne", {"OUNCE_MASS", "ANGSTROM", "MINUTE", "DYNE"},
       {0.028349523125, 1e-10, 60, 1e-5}},
      {"slug", "ft", "d", "ozf", {"SLUG", "FOOT", "DAY", "OUNCE_FORCE"},
       {14.593902937206364, 0.3048, 86400, 0.27801385095378125}},
  };
  QVB_Handle b = f.QVB_Create(0, 0);
  for (const Case &c : cases) {
    ASSERT_EQ(f.QVB_SetUnits(b, c.mass, c.length, c.time, c.force), 1) << c.mass;
    char names[4][16];
    f.QVB_Units(b, names[0], names[1], names[2], names[3]);
    for (int q = 0; q < 4; ++q) EXPECT_STREQ(names[q], c.canonical[q]);
    EXPECT_NEAR(f.QVB_Mass2Kilogram(b, 1.0), c.si[0], 1e-12 * c.si[0]);
    EXPECT_NEAR(f.QVB_Length2Meter(b, 1.0), c.si[1], 1e-12 * c.si[1]);
    EXPECT_NEAR(f.QVB_Time2Second(b, 1.0), c.si[2], 1e-12 * c.si[2]);
    EXPECT_NEAR(f.QVB_Force2Newton(b, 2.0), 2 * c.si[3], 2e-12 * c.si[3]);
  }
}

TEST_F(Units, WrongOrUnknownNamesChangeNothing) {
  QVB_Handle b = f.QVB_Create(0, 0);
  ASSERT_EQ(f.QVB_SetUnits(b, "gram", "cm", "s", "dyne"), 1);
  messages().clear();
  EXPECT_EQ(f.QVB_SetUnits(b, "g", "cm", "s", "dyne"), 0);  // gram has no one-letter alias
  EXPECT_EQ(f.QVB_SetUnits(b, "m", "kg", "s", "n"), 0);  // swapped quantities
  EXPECT_EQ(f.QVB_SetUnits(b, "kilograms", "m", "s", "n"), 0);
  EXPECT_EQ(f.QVB_SetUnits(b, nullptr, "m", "s", "n"), 0);
  EXPECT_EQ(f.QVB_SetUnitsByMultiplierOnSI(b, 1, 0, 1, 1), 0);
  EXPECT_EQ(messages().size(), 5u);
  EXPECT_DOUBLE_EQ(f.QVB_Length2Meter(b, 1.0), 0.01);
}

TEST_F(Units, MultipliersAreTheInverseView) {
  QVB_Handle b = f.QVB_Create(0, 0);
  ASSERT_EQ(f.QVB_SetUnitsByMultiplierOnSI(b, 1000, 0.001, 1, 1), 1);
  EXPECT_EQ(f.QVB_Mass2Kilogram(b, 1.0), 1000);
  EXPECT_EQ(f.QVB_Length2Meter(b, 1.0), 0.001);
  EXPECT_EQ(f.QVB_Time2Second(b, 1.0), 1);
  char names[4][16];
  f.QVB_Units(b, names[0], names[1], names[2], names[3]);
  EXPECT_STREQ(names[0], "MEGAGRAM");
  EXPECT_STREQ(names[1], "MILLIMETER");
  ASSERT_EQ(f.QVB_SetUnitsByMultiplierOnSI(b, 2.5, 1, 1, 1), 1);
  f.QVB_Units(b, names[0], names[1], names[2], names[3]);
  EXPECT_STREQ(names[0], "SI*2.5");
}

// Every value the body reports, read through the getters.
using Reading = std::function<std::vector<double>(QVB_Handle)>;

std::vector<std::pair<const char *, Reading>> everyQuantity() {
  const s_FLEX_INTERFACE &f = flex();
  auto modeValues = [&f](int kind, int part, int mode) {
    return [&f, kind, part, mode](QVB_Handle b) {
      std::vector<double> v(3 * f.QVB_ModeNodeCount(b, kind));
      f.QVB_Mode(b, mode, kind, v.data(), part);
      return v;
    };
  };
  return {
      {"coordinates", [&f](QVB_Handle b) {
         std::vector<double> v(12);
         int n = 4;
         f.QVB_NodeCoordinateList(b, v.data(), &n);
         return v;
       }},
      {"nodal masses", [&f](QVB_Handle b) { return std::vector<double>{f.QVB_NodalMass(b, 0), f.QVB_NodalMass(b, 3)}; }},
      {"nodal inertia", [&f](QVB_Handle b) {
         std::vector<double> v(9);
         f.QVB_NodalInertia(b, 2, v.data());
         return v;
       }},
      {"total mass and inertia", [&f](QVB_Handle b) {
         std::vector<double> v(13);
         f.QVB_TotalMassInertia(b, &v[0], &v[1], &v[10]);
         return v;
       }},
      {"translational shape", modeValues(0, 0, 2)}, {"rotational shape", modeValues(0, 1, 7)},
      {"stress normal", modeValues(1, 0, 1)},       {"stress shear", modeValues(1, 1, 7)},
      {"strain", modeValues(2, 0, 2)},              {"pre-stress", modeValues(1, 1, 0)},
      {"eigenvalue", [&f](QVB_Handle b) {
         std::vector<double> v(5);
         f.QVB_Eigenvalue(b, 7, &v[0], &v[1], &v[2], &v[3], &v[4]);
         return v;
       }},
      {"sparse stiffness", [&f](QVB_Handle b) {
         std::vector<double> v(f.QVB_NumberOfGenStiff(b));
         std::vector<int> r(v.size()), c(v.size());
         f.QVB_GenStiffSparse(b, v.data(), r.data(), c.data());
         return v;
       }},
      {"full damping", [&f](QVB_Handle b) {
         std::vector<double> v(9);
         double *rows[3] = {&v[0], &v[3], &v[6]};
         f.QVB_GenDampFull(b, rows, 3);
         return v;
       }},
      {"invariants", allInvariants},
      {"preload", [&f](QVB_Handle b) {
         int n = 0;
         return take(f.QVB_GetModalPreload(b, &n), 3);
       }},
      {"modal load", [&f](QVB_Handle b) {
         int n = 0;
         return take(f.QVB_GetModalLoad(b, 1, &n), 3);
       }},
      {"nodal modal load", [&f](QVB_Handle b) { return take(f.QVB_GetModalLoadNodalLoad(b, 0), 2); }},
      {"largest displacement and stress", [&f](QVB_Handle b) {
         std::vector<double> v(2);
         int node;
         f.QVB_GetMaxModeDisplacement(b, 2, &v[0], &node);
         f.QVB_GetMaxVonMisesStress(b, 2, &v[1], &node);
         return v;
       }},
      {"rotor axis and matrices", [&f](QVB_Handle b) {
         std::vector<double> v(6);
         f.QVB_RotorDynamicsAxis(b, &v[0], &v[3]);
         for (int kind : {0, 2})
           for (double x : take(f.QVB_RotorDynamicsMatrix(b, kind), 9)) v.push_back(x);
         return v;
       }},
  };
}

// The same physical body built in tonne and millimetre, and in kilogram and
// metre; after asking both for SI every quantity must agree, also after the
// millimetre body went through a file (which keeps its stored units).
TEST_F(Units, EveryQuantityConvertsByItsDimension) {
  TempDir dir;
  QVB_Handle si = buildFullBody("kg", "m", 1.0, 1.0);
  QVB_Handle mm = buildFullBody("tonne", "mm", 1e-3, 1e3);
  std::string file = dir.file("mm.qvb");
  ASSERT_EQ(f.QVB_write_QVB(mm, file.c_str()), 1);
  QVB_Handle reread = f.QVB_CreateFromFileByIndex(file.c_str());
  EXPECT_DOUBLE_EQ(f.QVB_Length2Meter(reread, 1.0), 1e-3);
  for (QVB_Handle b : {si, mm, reread}) ASSERT_EQ(f.QVB_SetUnits(b, "kg", "m", "s", "n"), 1);
  for (const auto &[name, read] : everyQuantity()) {
    std::vector<double> expected = read(si);
    ASSERT_FALSE(expected.empty()) << name;
    for (QVB_Handle b : {mm, reread}) {
      std::vector<double> actual = read(b);
      ASSERT_EQ(actual.size(), expected.size()) << name;
      for (size_t k = 0; k < actual.size(); ++k)
        EXPECT_NEAR(actual[k], expected[k], 1e-9 * std::max(1.0, std::fabs(expected[k]))) << name << " [" << k << "]";
    }
  }
}

TEST_F(Units, SettersTakeTheCurrentUnits) {
  QVB_Handle b = f.QVB_Create(0, 0);
  f.QVB_SetUnits(b, "kg", "m", "s", "n");
  f.QVB_SetNodeCoordinates(b, 1, 1, 0, 0);  // the body now stores metres
  f.QVB_SetUnits(b, "kg", "mm", "s", "n");
  f.QVB_SetNodeCoordinates(b, 2, 250, 0, 0);
  double xyz[3];
  f.QVB_NodeCoordinates(b, 0, xyz);
  EXPECT_DOUBLE_EQ(xyz[0], 1000.0);
  f.QVB_SetUnits(b, "kg", "m", "s", "n");
  f.QVB_NodeCoordinates(b, 1, xyz);
  EXPECT_DOUBLE_EQ(xyz[0], 0.25);
  EXPECT_EQ(f.QVB_UCF(b), 0);
  f.QVB_SetUnits(b, "kg", "cm", "s", "n");
  EXPECT_EQ(f.QVB_UCF(b), 1);
}

}  // namespace
}  // namespace qvbtest
