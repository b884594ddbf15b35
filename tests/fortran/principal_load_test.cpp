// Principal loads and preloads: one value per rigid-body mode, with a
// warning when the body has fewer than six.
#include <climits>

#include "binding_fixture.h"

namespace fortran_test {
namespace {

namespace slot = qvbfake::slot;

class PrincipalLoadTest : public BindingTest {
 protected:
  void SetUp() override {
    BindingTest::SetUp();
    create();
  }
  void rigidModes(int count) { qvbfake::setResult(slot::QVB_RigidBodyModeCount, count); }

  // Applies a principal load and returns the number of warnings it gave.
  int load(int loadCase, int *statusOut = nullptr) {
    collected().clear();
    int status = -1;
    QVB_SET_MODAL_LOAD_PRINCIPAL(&loadCase, values_, &status);
    if (statusOut != nullptr) *statusOut = status;
    return static_cast<int>(messages(1).size());
  }

  double values_[6] = {1, 2, 3, 4, 5, 6};
};

// Six rigid modes are all loaded; none still marks the case as processed.
TEST_F(PrincipalLoadTest, RigidModesLoadTheCaseAndMarkItUnlessALoadFails) {
  for (int rigid : {6, 0}) {
    SCOPED_TRACE(rigid);
    qvbfake::reset();
    rigidModes(rigid);
    int status = -1;
    const int warnings = load(3, &status);
    if (rigid == 6) {
      EXPECT_EQ(warnings, 0);
    }
    EXPECT_EQ(status, 0);
    const auto loads = qvbfake::callsTo(slot::QVB_SetModalLoad);
    ASSERT_EQ(loads.size(), static_cast<std::size_t>(rigid));
    for (int k = 0; k < rigid; ++k) {
      EXPECT_EQ(loads[k].args[1].i, 2);
      EXPECT_EQ(loads[k].args[2].i, k + 1);
      EXPECT_EQ(loads[k].args[3].d, values_[k]);
    }
    const auto marked = qvbfake::lastCall(slot::QVB_SetModalLoadProcessed);
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->args[1].i, 2);
    EXPECT_EQ(marked->args[2].i, 1);
  }
  // A failed load stops there: status 1, nothing marked.
  qvbfake::reset();
  rigidModes(6);
  int calls = 0;
  qvbfake::setHook(slot::QVB_SetModalLoad, [&calls](const qvbfake::Call &) {
    return qvbfake::Result(++calls == 2 ? 0 : 1);
  });
  int status = -1;
  load(1, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_SetModalLoadProcessed), 0u);
}

TEST_F(PrincipalLoadTest, FewRigidModesWarnOncePerPassOverTheCases) {
  rigidModes(3);
  // The warning state outlives bodies and tests; a huge case number puts it
  // in a known place whatever ran before.
  load(INT_MAX);
  qvbfake::reset();
  rigidModes(3);
  EXPECT_EQ(load(1), 1);
  EXPECT_EQ(collected()[0].text,
            "QVB only contains 3 rigid body modes.\n  The principal load vector will be lacked.\n");
  EXPECT_EQ(load(2), 0);
  EXPECT_EQ(load(3), 0);
  EXPECT_EQ(load(1), 1);  // a new pass starts
  // Only the existing rigid-body modes are loaded.
  EXPECT_EQ(qvbfake::countOf(slot::QVB_SetModalLoad), 12u);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_SetModalLoadProcessed), 4u);

  // A new body whose cases start again at 1 is warned about again.
  create();
  rigidModes(3);
  EXPECT_EQ(load(2), 0);
  EXPECT_EQ(load(1), 1);
}

TEST_F(PrincipalLoadTest, PreloadWarnsAtEveryCall) {
  for (int rigid : {6, 2}) {
    SCOPED_TRACE(rigid);
    for (int repeat = 0; repeat < 2; ++repeat) {
      qvbfake::reset();
      rigidModes(rigid);
      collected().clear();
      int status = -1;
      QVB_SET_MODAL_PRELOAD_PRINCIPAL(values_, &status);
      EXPECT_EQ(status, 0);
      const auto preloads = qvbfake::callsTo(slot::QVB_SetModalPreload);
      ASSERT_EQ(preloads.size(), static_cast<std::size_t>(rigid));
      for (int k = 0; k < rigid; ++k) {
        EXPECT_EQ(preloads[k].args[1].i, k + 1);
        EXPECT_EQ(preloads[k].args[2].d, values_[k]);
      }
      EXPECT_EQ(qvbfake::lastCall(slot::QVB_SetModalPreloadProcessed)->args[1].i, 1);
      if (rigid < 6) {
        ASSERT_EQ(messages(1).size(), 1u);
        EXPECT_EQ(messages(1)[0].text,
                  "QVB only contains 2 rigid body modes.\n  The principal preload vector will be lacked.\n");
      } else {
        EXPECT_TRUE(collected().empty());
      }
    }
  }
  // A failing preload stops the loop: status 1, nothing marked.
  qvbfake::reset();
  rigidModes(6);
  qvbfake::setResult(slot::QVB_SetModalPreload, 0);
  int status = -1;
  QVB_SET_MODAL_PRELOAD_PRINCIPAL(values_, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_SetModalPreload), 1u);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_SetModalPreloadProcessed), 0u);
}

}  // namespace
}  // namespace fortran_test
