// The current body's life cycle, writing and queries.
#include <cmath>
#include <cstring>
#include <functional>

#include "binding_fixture.h"

namespace fortran_test {
namespace {

namespace slot = qvbfake::slot;

TEST_F(BindingTest, EveryBodyFunctionNeedsACurrentBody) {
  int i = 1, n = 3, status = -7;
  double v[9] = {};
  int vertices[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const char text[] = "name";
  // One function of each shape: plain forwarders, texts, arrays, the
  // functions with work of their own.
  const std::vector<std::pair<const char *, std::function<void()>>> calls = {
      {"WRITE_QVB", [&] { QVB_WRITE_QVB(text, 4, &status); }},
      {"WRITE_ANSYS_QVB", [&] { QVB_WRITE_ANSYS_QVB(text, 4, &i, &i, &status); }},
      {"GET_MODE_COUNT", [&] { QVB_GET_MODE_COUNT(&n, &status); }},
      {"GET_TRANSFORM_TO_SELMOD", [&] { QVB_GET_TRANSFORM_TO_SELMOD(v, &i, &i, &status); }},
      {"SET_HEADER", [&] { QVB_SET_HEADER(text, 4, text, 4, text, 4, text, 4, text, 4, text, 4, &status); }},
      {"SET_NODE_COORDINATES_VEC", [&] { QVB_SET_NODE_COORDINATES_VEC(&i, v, &status); }},
      {"SET_NODAL_INERTIA_MAT", [&] { QVB_SET_NODAL_INERTIA_MAT(&i, v, &status); }},
      {"SET_MODAL_STRAIN_VEC", [&] { QVB_SET_MODAL_STRAIN_VEC(&i, &i, v, &status); }},
      {"SET_FACE", [&] { QVB_SET_FACE(&n, vertices, &status); }},
      {"SET_INVAR9", [&] { QVB_SET_INVAR9(&i, &i, v, &status); }},
      {"SET_MODAL_LOAD_PRINCIPAL", [&] { QVB_SET_MODAL_LOAD_PRINCIPAL(&i, v, &status); }},
      {"SET_MODAL_PRELOAD_PRINCIPAL", [&] { QVB_SET_MODAL_PRELOAD_PRINCIPAL(v, &status); }},
      {"SET_MONITOR_POINT_INFO", [&] { QVB_SET_MONITOR_POINT_INFO(&i, &i, &i, &i, &i, text, 4, text, 4, &status); }},
      {"SET_MATRIX_OPERATOR_INFO", [&] { QVB_SET_MATRIX_OPERATOR_INFO(text, 4, text, 4, &i, &status); }},
      {"SET_MATRIX_OPERATOR_DATA", [&] { QVB_SET_MATRIX_OPERATOR_DATA(&i, text, 4, &i, v, &status); }},
      {"TERMINATE", [&] { QVB_TERMINATE(&status); }},
  };
  // Before any body, after either way of ending it, after a failed creation:
  // all must refuse. Ending with nothing current simply returns.
  const std::vector<std::pair<const char *, std::function<void()>>> states = {
      {"no body yet", [] { _terminate(); }},
      {"TERMINATE", [&] { create(); QVB_TERMINATE(&status); EXPECT_EQ(status, 0); }},
      {"_terminate", [&] { create(); _terminate(); EXPECT_EQ(qvbfake::countOf(slot::QVB_Terminate), 1u); }},
      {"null creation", [&] {
         qvbfake::setResult(slot::QVB_Create, nullptr);
         QVB_CREATE(&i, &i, &status);
         EXPECT_EQ(status, 1);
       }},
  };
  for (const auto &[state, enter] : states) {
    qvbfake::reset();
    enter();
    for (const auto &[name, call] : calls) {
      SCOPED_TRACE(testing::Message() << state << ": " << name);
      qvbfake::reset();
      collected().clear();
      status = -7;
      call();
      EXPECT_EQ(status, 1);
      EXPECT_TRUE(qvbfake::calls().empty()) << "the backend was called";
      ASSERT_EQ(collected().size(), 1u);
      EXPECT_EQ(collected()[0].severity, 0);
      EXPECT_EQ(collected()[0].text, kNoBody);
    }
  }
  ASSERT_NE(qvb_fortran_VersionId(), nullptr);
  EXPECT_GT(std::strlen(qvb_fortran_VersionId()), 0u);
}

TEST_F(BindingTest, CreateStartsAfreshEveryTime) {
  int a = 41, b = 20, status = -1;
  QVB_CREATE(&a, &b, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_Terminate), 0u);
  auto args = argsOfOnlyCall(slot::QVB_Create);
  ASSERT_EQ(args.size(), 1u);  // the creation slot has no handle: (a, b)
  qvbfake::reset();

  // A second creation ends the first body and every backend first.
  const QVB_Handle second = qvbfake::peekNextHandle();
  QVB_CREATE(&a, &b, &status);
  EXPECT_EQ(status, 0);
  const auto calls = qvbfake::calls();
  ASSERT_EQ(qvbfake::countOf(slot::QVB_Terminate), 1u);
  ASSERT_EQ(calls.back().slot, slot::QVB_Create);
  EXPECT_EQ(calls.back().args[0].i, 41);
  EXPECT_EQ(calls.back().args[1].i, 20);

  // The new body is the one the setters act on.
  int node = 3;
  double mass = 2.0;
  qvbfake::reset();
  QVB_SET_NODAL_MASS(&node, &mass, &status);
  EXPECT_EQ(qvbfake::lastCall(slot::QVB_SetNodalMass)->args[0].pointer, second);
}

TEST_F(BindingTest, CreateFromFileKeepsTheNameWholeAndReplacesTheBody) {
  const QVB_Handle first = create();
  const FortranText name("part.qvb", 40);
  const QVB_Handle second = qvbfake::peekNextHandle();
  int status = -1;
  QVB_CREATE_FROM_QVB(name.data(), name.length(), &status);
  EXPECT_EQ(status, 0);
  // All 40 characters reach the backend; the earlier body is not ended.
  auto args = qvbfake::lastCall(slot::QVB_CreateFromFileByIndex)->args;
  EXPECT_EQ(args[0].text, std::string("part.qvb") + std::string(32, ' '));
  EXPECT_EQ(qvbfake::countOf(slot::QVB_Terminate), 0u);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_Destroy), 0u);
  EXPECT_NE(first, second);

  // Queries ask the new body and pass its answer on.
  qvbfake::setResult(slot::QVB_ModeCount, 12);
  int count = 0;
  QVB_GET_MODE_COUNT(&count, &status);
  EXPECT_EQ(qvbfake::lastCall(slot::QVB_ModeCount)->args[0].pointer, second);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(status, 0);

  // A file the front cannot serve gives status 1; a length of -1 cannot be
  // copied, reported like a failed allocation.
  const FortranText other("part.txt");
  QVB_CREATE_FROM_QVB(other.data(), other.length(), &status);
  EXPECT_EQ(status, 1);
  qvbfake::reset();
  collected().clear();
  QVB_CREATE_FROM_QVB("x.qvb", -1, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_CreateFromFileByIndex), 0u);
  ASSERT_EQ(collected().size(), 1u);
  EXPECT_NE(collected()[0].text.find("Failed to allocate memory at line "), std::string::npos);
  EXPECT_NE(collected()[0].text.find(" in file qvb_fortran.\n"), std::string::npos);
}

TEST_F(BindingTest, WriteQvbTrimsAndCutsTheName) {
  create();
  const std::string longName = std::string(1019, 'a') + ".qvb";  // 1,023 characters
  struct Case {
    FortranText name;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {FortranText("out.qvb", 40), "out.qvb"},
      {FortranText(" lead.qvb  "), " lead.qvb"},
      {FortranText(longName + std::string(477, 'z')), longName},
  };
  for (const Case &c : cases) {
    qvbfake::reset();
    int status = -1;
    QVB_WRITE_QVB(c.name.data(), c.name.length(), &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(qvbfake::countOf(slot::QVB_write_QVB), 1u);
    EXPECT_EQ(qvbfake::lastCall(slot::QVB_write_QVB)->args[1].text, c.expected);
  }
  qvbfake::setResult(slot::QVB_write_QVB, 0);
  int status = -1;
  QVB_WRITE_QVB("b.qvb", 5, &status);
  EXPECT_EQ(status, 1);
  // A database write succeeds without backend work.
  qvbfake::reset();
  QVB_WRITE_DB("db.master", 9, "wing", 4, &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(qvbfake::calls().empty());
}

TEST_F(BindingTest, WriteAnsysAddsGeneralizedMassThenWritesTheExactName) {
  create();
  const FortranText name("a.qvb", 8);
  int a = 2, b = 5, status = -1;
  QVB_WRITE_ANSYS_QVB(name.data(), name.length(), &a, &b, &status);
  EXPECT_EQ(status, 0);
  const auto calls = qvbfake::calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].slot, slot::QVB_AnsysAddGenMass);
  EXPECT_EQ(calls[0].args[1].i, 2);
  EXPECT_EQ(calls[0].args[2].i, 5);
  EXPECT_EQ(calls[1].slot, slot::QVB_write_QVB);
  EXPECT_EQ(calls[1].args[1].text, "a.qvb   ");

  // The generalized mass is added even when the name cannot be copied.
  qvbfake::reset();
  QVB_WRITE_ANSYS_QVB("a.qvb", -1, &a, &b, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_AnsysAddGenMass), 1u);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_write_QVB), 0u);
}

// Stress and strain are read in two halves; the second is not asked for
// after a failed first.
TEST_F(BindingTest, ModalStressAndStrainReadBothHalves) {
  using Getter = void (*)(int *, int *, double *, double *, double *, double *, double *,
                          double *, int *);
  const std::vector<std::pair<Getter, int>> getters = {{QVB_GET_MODAL_STRESS, 1},
                                                       {QVB_GET_MODAL_STRAIN, 2}};
  for (const auto &[get, kind] : getters) {
    for (int firstResult : {1, 0}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " first result " << firstResult);
      create();
      qvbfake::setHook(slot::QVB_ModeByNode, [firstResult](const qvbfake::Call &call) {
        auto *values = static_cast<double *>(call.args[4].pointer);
        const int part = call.args[5].i;
        for (int k = 0; k < 3; ++k) values[k] = 10.0 * (part + 1) + k;
        return qvbfake::Result(part == 0 ? firstResult : 1);
      });
      int mode = 7, node = 99, status = -1;
      double out[6] = {};
      get(&mode, &node, &out[0], &out[1], &out[2], &out[3], &out[4], &out[5], &status);
      const auto calls = qvbfake::callsTo(slot::QVB_ModeByNode);
      ASSERT_EQ(calls.size(), firstResult ? 2u : 1u);
      EXPECT_EQ(calls[0].args[1].i, 7);
      EXPECT_EQ(calls[0].args[2].i, kind);
      EXPECT_EQ(calls[0].args[3].i, 99);
      EXPECT_EQ(status, firstResult ? 0 : 1);
      if (firstResult) {
        EXPECT_EQ(calls[1].args[5].i, 1);
        const double expected[6] = {10, 11, 12, 20, 21, 22};
        for (int k = 0; k < 6; ++k) EXPECT_EQ(out[k], expected[k]) << k;
      }
    }
  }
}

// A body of three modes numbered 1..3; element (i, k) of the transformation
// is 10 * i + k.
TEST_F(BindingTest, TransformCopiesTheSelectedColumnsRowByRowOrRefuses) {
  create();
  int result = 1;
  qvbfake::setResult(slot::QVB_ModeCount, 3);
  qvbfake::setHook(slot::QVB_ModeIndex, [](const qvbfake::Call &call) {
    const int number = call.args[1].i;
    return qvbfake::Result(number >= 1 && number <= 3 ? number - 1 : -1);
  });
  qvbfake::setHook(slot::QVB_Transformation, [&result](const qvbfake::Call &call) {
    auto *matrix = static_cast<double *>(call.args[1].pointer);
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) matrix[i * 3 + k] = 10 * i + k;
    return qvbfake::Result(result);
  });
  int selected[2] = {3, 1}, count = 2, status = -1;
  double T[6];
  for (result = 1; result >= 0; --result) {
    std::fill(std::begin(T), std::end(T), NAN);
    QVB_GET_TRANSFORM_TO_SELMOD(T, selected, &count, &status);
    // Fortran sees T(2, 3): column i holds row i restricted to modes 3, 1.
    const double expected[6] = {2, 0, 12, 10, 22, 20};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(T[k], expected[k]) << k;
    EXPECT_EQ(status, result ? 0 : 1);
  }
  selected[1] = 4;  // no such mode
  const struct {
    const char *what;
    int modes;
    double *target;
    std::string message;
  } cases[] = {
      {"null T", 3, nullptr, "NULL argument T passed into QVB_GET_TRANSFORM_TO_SELMOD\n"},
      {"no modes", 0, T, "Invalid mode count found at line "},  // ... in file qvb_fortran.
      {"unknown mode", 3, T, "Mode 4 selected"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    qvbfake::setResult(slot::QVB_ModeCount, c.modes);
    collected().clear();
    status = -1;
    QVB_GET_TRANSFORM_TO_SELMOD(c.target, selected, &count, &status);
    EXPECT_EQ(status, 1);
    ASSERT_EQ(collected().size(), 1u);
    EXPECT_EQ(collected()[0].severity, 0);
    EXPECT_EQ(collected()[0].text.rfind(c.message, 0), 0u) << collected()[0].text;
    EXPECT_EQ(qvbfake::countOf(slot::QVB_Transformation), 2u) << "only the two copies above";
  }
}

}  // namespace
}  // namespace fortran_test
