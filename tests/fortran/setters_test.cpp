// The setters: which C call each makes, with which arguments, and how its
// result becomes the status.
#include <cmath>
#include <functional>
#include <limits>

#include "binding_fixture.h"

namespace fortran_test {
namespace {

namespace slot = qvbfake::slot;
using qvbfake::Value;

// An expected argument: a number, a text, or any pointer.
struct Arg {
  Value::Kind kind;
  double number = 0;
  std::string text;
};
Arg integer(int i) { return {Value::Kind::kInt, static_cast<double>(i), {}}; }
Arg real(double d) { return {Value::Kind::kDouble, d, {}}; }
Arg text(std::string t) { return {Value::Kind::kText, 0, std::move(t)}; }
Arg anyPointer() { return {Value::Kind::kPointer, 0, {}}; }

void expectArgs(const std::vector<Value> &actual, const std::vector<Arg> &expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE(testing::Message() << "argument " << k + 1);
    EXPECT_EQ(actual[k].kind, expected[k].kind);
    switch (expected[k].kind) {
      case Value::Kind::kInt: EXPECT_EQ(actual[k].i, expected[k].number); break;
      case Value::Kind::kDouble: EXPECT_EQ(actual[k].d, expected[k].number); break;
      case Value::Kind::kText: EXPECT_EQ(actual[k].text, expected[k].text); break;
      case Value::Kind::kPointer: break;
    }
  }
}

struct Forwarding {
  const char *name;
  std::function<void(int *status)> call;
  int slot;
  std::vector<Arg> args;  // after the body handle
};

// Numbers chosen so that a swapped or shifted argument shows.
int n1 = 1, n2 = 2, n3 = 3, n4 = 4, n7 = 7, n12 = 12, n31 = 31;
double r1 = 1.5, r2 = 2.5, r3 = 3.5, r4 = 4.5, r5 = 5.5, r6 = 6.5;
double six[6] = {11, 12, 13, 14, 15, 16};
double arr[9] = {};

std::vector<Forwarding> forwardings() {
  const FortranText kg("kg", 16), mm("mm", 8), s("s", 3), newton("N", 20);
  const std::string label300 = std::string(250, 'L') + "  tail" + std::string(44, ' ');
  return {
      {"UNITS", [=](int *st) { QVB_SET_UNITS(kg.data(), kg.length(), mm.data(), mm.length(), s.data(), s.length(), newton.data(), newton.length(), st); },
       slot::QVB_SetUnits, {text("kg"), text("mm"), text("s"), text("N")}},
      {"UNITS_SI_MULTIPLIERS", [](int *st) { QVB_UNITS_SI_MULTIPLIERS(&r1, &r2, &r3, &r4, st); },
       slot::QVB_SetUnitsByMultiplierOnSI, {real(1.5), real(2.5), real(3.5), real(4.5)}},
      {"NODE_COORDINATES", [](int *st) { QVB_SET_NODE_COORDINATES(&n7, &r1, &r2, &r3, st); },
       slot::QVB_SetNodeCoordinates, {integer(7), real(1.5), real(2.5), real(3.5)}},
      {"NODE_COORDINATES_VEC", [](int *st) { QVB_SET_NODE_COORDINATES_VEC(&n7, six, st); },
       slot::QVB_SetNodeCoordinates, {integer(7), real(11), real(12), real(13)}},
      {"NODAL_MASS", [](int *st) { QVB_SET_NODAL_MASS(&n7, &r1, st); }, slot::QVB_SetNodalMass,
       {integer(7), real(1.5)}},
      {"NODAL_INERTIA", [](int *st) { QVB_SET_NODAL_INERTIA(&n7, &r1, &r2, &r3, &r4, &r5, &r6, st); },
       slot::QVB_SetNodalInertia, {integer(7), real(1.5), real(2.5), real(3.5), real(4.5), real(5.5), real(6.5)}},
      {"NODAL_INERTIA_VEC", [](int *st) { QVB_SET_NODAL_INERTIA_VEC(&n7, six, st); },
       slot::QVB_SetNodalInertia, {integer(7), real(11), real(12), real(13), real(14), real(15), real(16)}},
      {"NODAL_INERTIA_ENTRY", [](int *st) { QVB_SET_NODAL_INERTIA_ENTRY(&n7, &n1, &n2, &r1, st); },
       slot::QVB_SetNodalInertiaEntry, {integer(7), integer(1), integer(2), real(1.5)}},
      {"MODE_SHAPE", [](int *st) { QVB_SET_MODE_SHAPE(&n3, &n7, &r1, &r2, &r3, &r4, &r5, &r6, st); },
       slot::QVB_SetMode, {integer(3), integer(7), integer(0), real(1.5), real(2.5), real(3.5), real(4.5), real(5.5), real(6.5)}},
      {"MODE_SHAPE_VEC", [](int *st) { QVB_SET_MODE_SHAPE_VEC(&n3, &n7, six, st); },
       slot::QVB_SetModeVec, {integer(3), integer(7), integer(0), anyPointer()}},
      {"MODE_SHAPE_ENTRY", [](int *st) { QVB_SET_MODE_SHAPE_ENTRY(&n3, &n7, &n4, &r1, st); },
       slot::QVB_SetModeEntry, {integer(3), integer(7), integer(0), integer(3), real(1.5)}},
      {"MODAL_STRESS", [](int *st) { QVB_SET_MODAL_STRESS(&n3, &n7, &r1, &r2, &r3, &r4, &r5, &r6, st); },
       slot::QVB_SetMode, {integer(3), integer(7), integer(1), real(1.5), real(2.5), real(3.5), real(4.5), real(5.5), real(6.5)}},
      {"MODAL_STRESS_VEC", [](int *st) { QVB_SET_MODAL_STRESS_VEC(&n3, &n7, six, st); },
       slot::QVB_SetMode, {integer(3), integer(7), integer(1), real(11), real(12), real(13), real(14), real(15), real(16)}},
      {"MODAL_STRAIN", [](int *st) { QVB_SET_MODAL_STRAIN(&n3, &n7, &r1, &r2, &r3, &r4, &r5, &r6, st); },
       slot::QVB_SetMode, {integer(3), integer(7), integer(2), real(1.5), real(2.5), real(3.5), real(4.5), real(5.5), real(6.5)}},
      {"MODAL_STRAIN_VEC", [](int *st) { QVB_SET_MODAL_STRAIN_VEC(&n3, &n7, six, st); },
       slot::QVB_SetMode, {integer(3), integer(7), integer(2), real(11), real(12), real(13), real(14), real(15), real(16)}},
      {"GENERALIZED_STIFFNESS", [](int *st) { QVB_SET_GENERALIZED_STIFFNESS(&n3, &n4, &r1, st); },
       slot::QVB_SetGeneralizedStiffness, {integer(3), integer(4), real(1.5)}},
      {"GENERALIZED_MASS", [](int *st) { QVB_SET_GENERALIZED_MASS(&n3, &n4, &r1, st); },
       slot::QVB_SetGeneralizedMass, {integer(3), integer(4), real(1.5)}},
      {"GENERALIZED_DAMPING", [](int *st) { QVB_SET_GENERALIZED_DAMPING(&n3, &n4, &r1, st); },
       slot::QVB_SetGeneralizedDamping, {integer(3), integer(4), real(1.5)}},
      {"GLOBAL_MASS", [](int *st) { QVB_SET_GLOBAL_MASS(&r1, arr, six, st); },
       slot::QVB_SetGlobalMass, {real(1.5), anyPointer(), anyPointer()}},
      {"INTERFACE_NODE", [](int *st) { QVB_SET_INTERFACE_NODE(&n31, st); },
       slot::QVB_SetInterfaceNode, {integer(31)}},
      {"INVAR1", [](int *st) { QVB_SET_INVAR1(&r2, st); }, slot::QVB_SetInvar1, {real(2.5)}},
      {"INVAR2", [](int *st) { QVB_SET_INVAR2(arr, st); }, slot::QVB_SetInvar2, {anyPointer()}},
      {"INVAR3", [](int *st) { QVB_SET_INVAR3(&n3, arr, st); }, slot::QVB_SetInvar3, {integer(3), anyPointer()}},
      {"INVAR4", [](int *st) { QVB_SET_INVAR4(&n3, arr, st); }, slot::QVB_SetInvar4, {integer(3), anyPointer()}},
      {"INVAR5", [](int *st) { QVB_SET_INVAR5(&n3, &n4, arr, st); }, slot::QVB_SetInvar5,
       {integer(3), integer(4), anyPointer()}},
      {"INVAR6", [](int *st) { QVB_SET_INVAR6(arr, st); }, slot::QVB_SetInvar6, {anyPointer()}},
      {"INVAR7", [](int *st) { QVB_SET_INVAR7(arr, st); }, slot::QVB_SetInvar7, {anyPointer()}},
      {"INVAR8", [](int *st) { QVB_SET_INVAR8(&n3, arr, st); }, slot::QVB_SetInvar8, {integer(3), anyPointer()}},
      {"INVAR9", [](int *st) { QVB_SET_INVAR9(&n3, &n4, arr, st); }, slot::QVB_SetInvar9,
       {integer(3), integer(4), anyPointer()}},
      // Load cases count from 1 in Fortran and from 0 in C.
      {"LOADCASE_LABEL", [=](int *st) { QVB_SET_LOADCASE_LABEL(&n4, label300.data(), 300, st); },
       slot::QVB_SetModalLoadLabel, {integer(3), text(std::string(250, 'L') + "  tai")}},
      {"MODAL_LOAD", [](int *st) { QVB_SET_MODAL_LOAD(&n1, &n7, &r1, st); }, slot::QVB_SetModalLoad,
       {integer(0), integer(7), real(1.5)}},
      {"MODAL_LOAD_NODAL", [](int *st) { QVB_SET_MODAL_LOAD_NODAL(&n2, &n31, &n3, &r1, st); },
       slot::QVB_SetModalLoadNodal, {integer(1), integer(31), integer(3), real(1.5)}},
      {"MODAL_PRELOAD", [](int *st) { QVB_SET_MODAL_PRELOAD(&n7, &r1, st); },
       slot::QVB_SetModalPreload, {integer(7), real(1.5)}},
      {"ROTOR_DYNAMICS_AXIS", [](int *st) { QVB_SET_ROTOR_DYNAMICS_AXIS(arr, six, st); },
       slot::QVB_SetRotorDynamicsAxis, {anyPointer(), anyPointer()}},
      {"ROTOR_DYNAMICS_MATRIX", [](int *st) { QVB_SET_ROTOR_DYNAMICS_MATRIX(&n1, &n1, &n2, &r1, st); },
       slot::QVB_SetRotorDynamicsMatrix, {integer(0), integer(0), integer(1), real(1.5)}},
      {"FACE_3", [](int *st) { QVB_SET_FACE_3(&n12, &n7, &n31, st); }, slot::QVB_SetFaceList,
       {integer(3), anyPointer()}},
  };
}

TEST_F(BindingTest, EachSetterMakesItsOneCall) {
  const QVB_Handle body = create();
  for (const Forwarding &f : forwardings()) {
    SCOPED_TRACE(f.name);
    // A C success becomes status 0, a C failure status 1.
    for (int result : {1, 0, 5}) {
      qvbfake::reset();
      qvbfake::setResult(f.slot, result);
      int status = -1;
      f.call(&status);
      ASSERT_EQ(qvbfake::calls().size(), 1u);
      const qvbfake::Call call = qvbfake::calls()[0];
      EXPECT_EQ(call.slot, f.slot);
      EXPECT_EQ(call.args[0].pointer, body);
      expectArgs({call.args.begin() + 1, call.args.end()}, f.args);
      EXPECT_EQ(status, result == 0 ? 1 : 0) << "C result " << result;
    }
  }
}

TEST_F(BindingTest, TextsAreTrimmedToTheirBuffersAndStopAtAnEmbeddedNul) {
  create();
  // Field sizes 128, 128, 16, 80, 80, 80: at most one character less survives.
  const FortranText title(std::string(200, 't')), two("  second  ", 50), type("QVB", 30),
      c1(std::string(79, 'a') + "bc"), c2(" "), c3("");
  int status = -1;
  QVB_SET_HEADER(title.data(), title.length(), two.data(), two.length(), type.data(),
                 type.length(), c1.data(), c1.length(), c2.data(), c2.length(), c3.data(),
                 c3.length(), &status);
  EXPECT_EQ(status, 0);
  expectArgs(argsOfOnlyCall(slot::QVB_SetHeader), {text(std::string(127, 't')), text("  second"), text("QVB"),
                                                   text(std::string(79, 'a')), text(""), text("")});

  const char name[] = {'a', 'b', '\0', 'c', ' ', ' '};
  int a = 1;
  int nodes[1] = {5};
  const FortranText label("monitor point label", 70);
  QVB_SET_MONITOR_POINT_INFO(&a, &a, &a, &a, nodes, name, 6, label.data(), label.length(), &status);
  auto args = argsOfOnlyCall(slot::QVB_SetMonitorPointInfo);
  ASSERT_EQ(args.size(), 7u);
  EXPECT_EQ(args[5].text, "ab");
  EXPECT_EQ(args[6].text, "monitor point label");
}

// Two setters hand the C result on; two treat only a negative result as
// failure. A monitor-point operator kind outside 1..4 fails quietly.
TEST_F(BindingTest, OperatorStatusConventions) {
  create();
  const char labels[] = "A";
  double values[4] = {1, 2, 3, 4};
  int point = 2, kind = 1, op = 1, columns = 2, count = 1;
  int nodes[1] = {5};
  struct Case {
    const char *name;
    int slot;
    std::function<void(int *)> call;
    std::function<int(int)> expectedStatus;
  };
  const auto passedOn = [](int result) { return result; };
  const auto negativeFails = [](int result) { return result < 0 ? 1 : 0; };
  const std::vector<Case> cases = {
      {"MONITOR_POINT_INFO", slot::QVB_SetMonitorPointInfo,
       [&](int *st) { QVB_SET_MONITOR_POINT_INFO(&point, &kind, &kind, &kind, nodes, "n", 1, "l", 1, st); },
       passedOn},
      {"MATRIX_OPERATOR_INFO", slot::QVB_SetMatrixOperatorInfo,
       [&](int *st) { QVB_SET_MATRIX_OPERATOR_INFO("op", 2, labels, 1, &count, st); }, passedOn},
      {"MONITOR_POINT_OPERATOR", slot::QVB_SetMonitorPointOperator,
       [&](int *st) { QVB_SET_MONITOR_POINT_OPERATOR(&point, &kind, values, st); }, negativeFails},
      {"MATRIX_OPERATOR_DATA", slot::QVB_SetMatrixOperatorData,
       [&](int *st) { QVB_SET_MATRIX_OPERATOR_DATA(&op, "tag", 3, &columns, values, st); },
       negativeFails},
  };
  for (const Case &c : cases) {
    for (int result : {-2, 0, 1, 7}) {
      SCOPED_TRACE(testing::Message() << c.name << " result " << result);
      qvbfake::reset();
      qvbfake::setResult(slot::QVB_GetMatrixOperatorNumRows, 2);
      qvbfake::setResult(c.slot, result);
      int status = -99;
      c.call(&status);
      EXPECT_EQ(qvbfake::countOf(c.slot), 1u);
      EXPECT_EQ(status, c.expectedStatus(result));
    }
  }
  for (int badKind : {0, 5, -1}) {
    qvbfake::reset();
    collected().clear();
    int status = -1;
    QVB_SET_MONITOR_POINT_OPERATOR(&point, &badKind, values, &status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(qvbfake::calls().empty());
    EXPECT_TRUE(collected().empty());
  }
  for (int goodKind = 1; goodKind <= 4; ++goodKind) {
    qvbfake::reset();
    int status = -1;
    QVB_SET_MONITOR_POINT_OPERATOR(&point, &goodKind, values, &status);
    expectArgs(argsOfOnlyCall(slot::QVB_SetMonitorPointOperator), {integer(2), integer(goodKind), anyPointer()});
  }
}

TEST_F(BindingTest, FacesOfTwoToEightVertices) {
  create();
  int vertices[9] = {10, 11, 12, 13, 14, 15, 16, 17, 18};
  for (int n = 0; n <= 9; ++n) {
    SCOPED_TRACE(n);
    qvbfake::reset();
    collected().clear();
    int status = -1;
    QVB_SET_FACE(&n, vertices, &status);
    if (n >= 2 && n <= 8) {
      EXPECT_EQ(status, 0);
      auto call = qvbfake::lastCall(slot::QVB_SetFaceList);
      ASSERT_TRUE(call);
      EXPECT_EQ(call->ints, std::vector<int>(vertices, vertices + n));
      EXPECT_TRUE(collected().empty());
    } else {
      EXPECT_EQ(status, 1);
      EXPECT_TRUE(qvbfake::calls().empty());
      ASSERT_EQ(collected().size(), 1u);
      EXPECT_EQ(collected()[0].severity, 0);
      EXPECT_EQ(collected()[0].text, "Unable to create a face with " + std::to_string(n) + " vertices");
    }
  }
  // The fixed-count forms, each with its own vertices.
  int *v = vertices;
  int status = -1;
  QVB_SET_FACE_2(&v[0], &v[1], &status);
  QVB_SET_FACE_4(&v[0], &v[1], &v[2], &v[3], &status);
  QVB_SET_FACE_5(&v[0], &v[1], &v[2], &v[3], &v[4], &status);
  QVB_SET_FACE_6(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &status);
  QVB_SET_FACE_7(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &status);
  QVB_SET_FACE_8(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &status);
  const auto faces = qvbfake::callsTo(slot::QVB_SetFaceList);
  ASSERT_EQ(faces.size(), 6u);
  const int counts[6] = {2, 4, 5, 6, 7, 8};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(faces[k].ints, std::vector<int>(v, v + counts[k]));
}

TEST_F(BindingTest, TensorsAreHandedOnInRowOrder) {
  create();
  double fortran[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // column by column
  const std::vector<double> rows = {1, 4, 7, 2, 5, 8, 3, 6, 9};
  for (int which : {8, 9}) {
    SCOPED_TRACE(which);
    std::vector<double> seen;
    const int target = which == 8 ? slot::QVB_SetInvar8 : slot::QVB_SetInvar9;
    qvbfake::setHook(target, [&seen, which](const qvbfake::Call &call) {
      const auto *values = static_cast<const double *>(call.args[which == 8 ? 2 : 3].pointer);
      seen.assign(values, values + 9);
      return qvbfake::Result(1);
    });
    int mode = 4, other = 5, status = -1;
    if (which == 8) QVB_SET_INVAR8(&mode, fortran, &status);
    else QVB_SET_INVAR9(&mode, &other, fortran, &status);
    EXPECT_EQ(seen, rows);
    EXPECT_EQ(status, 0);
  }
}

TEST_F(BindingTest, MatrixOperatorDataIsTransposed) {
  create();
  qvbfake::setResult(slot::QVB_GetMatrixOperatorNumRows, 2);
  std::vector<double> seen;
  qvbfake::setHook(slot::QVB_SetMatrixOperatorData, [&seen](const qvbfake::Call &call) {
    const auto *values = static_cast<const double *>(call.args[4].pointer);
    if (values != nullptr) seen.assign(values, values + 2 * call.args[3].i);
    else seen.clear();
    return qvbfake::Result(0);
  });
  double fortran[6] = {1, 2, 3, 4, 5, 6};  // 2 rows x 3 columns
  int op = 4, columns = 3, status = -1;
  const FortranText tag("DISPLACEMENTS");
  QVB_SET_MATRIX_OPERATOR_DATA(&op, tag.data(), tag.length(), &columns, fortran, &status);
  EXPECT_EQ(seen, (std::vector<double>{1, 3, 5, 2, 4, 6}));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(qvbfake::lastCall(slot::QVB_GetMatrixOperatorNumRows)->args[1].i, 4);
  expectArgs(argsOfOnlyCall(slot::QVB_SetMatrixOperatorData), {integer(4), text("DISPLAC"), integer(3), anyPointer()});

  // An operator without rows gets no array at all.
  qvbfake::setResult(slot::QVB_GetMatrixOperatorNumRows, 0);
  QVB_SET_MATRIX_OPERATOR_DATA(&op, tag.data(), tag.length(), &columns, fortran, &status);
  EXPECT_EQ(qvbfake::lastCall(slot::QVB_SetMatrixOperatorData)->args[4].pointer, nullptr);
}

TEST_F(BindingTest, MatrixOperatorLabelsAreEightyCharacterFields) {
  create();
  std::vector<std::string> seen;
  bool listWasNull = false;
  qvbfake::setHook(slot::QVB_SetMatrixOperatorInfo, [&](const qvbfake::Call &call) {
    auto **list = static_cast<char **>(call.args[2].pointer);
    listWasNull = list == nullptr;
    seen.clear();
    for (int i = 0; list != nullptr && i < call.args[3].i; ++i) seen.emplace_back(list[i]);
    return qvbfake::Result(0);
  });
  std::string fields(80 * 3, ' ');
  fields[0] = 'A';
  fields[80] = 'B';
  fields.replace(160, 80, std::string(80, 'C'));  // a full field keeps 79 characters
  int count = 3, status = -1;
  const FortranText name("Load Operator", 90);
  QVB_SET_MATRIX_OPERATOR_INFO(name.data(), name.length(), fields.data(), 80, &count, &status);
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "B", std::string(79, 'C')}));
  EXPECT_EQ(qvbfake::lastCall(slot::QVB_SetMatrixOperatorInfo)->args[1].text, "Load Operator");

  // No label length: a null list, the count unchanged.
  QVB_SET_MATRIX_OPERATOR_INFO(name.data(), name.length(), fields.data(), 0, &count, &status);
  EXPECT_TRUE(listWasNull);
  EXPECT_EQ(qvbfake::lastCall(slot::QVB_SetMatrixOperatorInfo)->args[3].i, 3);
}

TEST_F(BindingTest, InertiaTensorIsStoredFromItsLowerTriangle) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char *what;
    double tensor[9];  // column by column
    bool warns;
  };
  const std::vector<Case> cases = {
      {"symmetric", {1, 4, 6, 4, 2, 5, 6, 5, 3}, false},
      {"(1,2) differs", {1, 4, 6, 5, 2, 5, 6, 5, 3}, true},
      {"(1,3) differs", {1, 4, 6, 4, 2, 5, 9, 5, 3}, true},
      {"(2,3) differs", {1, 4, 6, 4, 2, 5, 6, 9, 3}, true},
      {"NaN off the diagonal", {1, 4, 6, 4, 2, nan, 6, nan, 3}, true},
  };
  create();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    qvbfake::reset();
    collected().clear();
    int node = 8, status = -1;
    double tensor[9];
    std::copy(std::begin(c.tensor), std::end(c.tensor), tensor);
    QVB_SET_NODAL_INERTIA_MAT(&node, tensor, &status);
    EXPECT_EQ(status, 0);
    const auto args = argsOfOnlyCall(slot::QVB_SetNodalInertia);
    ASSERT_EQ(args.size(), 7u);
    EXPECT_EQ(args[0].i, 8);
    const double expected[6] = {1, 2, 3, 4, 6, c.tensor[5]};  // I11 I22 I33 I21 I31 I32
    for (int k = 0; k < 5; ++k) EXPECT_EQ(args[k + 1].d, expected[k]) << k;
    EXPECT_TRUE(args[6].d == c.tensor[5] || (std::isnan(args[6].d) && std::isnan(c.tensor[5])));
    if (c.warns) {
      ASSERT_EQ(collected().size(), 1u);
      EXPECT_EQ(collected()[0].severity, 1);
      EXPECT_EQ(collected()[0].text, "Unsymmetric Inertia Tensor supplied to QVB_SET_NODAL_INERTIA_MAT");
    } else {
      EXPECT_TRUE(collected().empty());
    }
  }
}

}  // namespace
}  // namespace fortran_test
