// The plug-in's table as the front sees it: every slot filled, bad handles
// and unmodelled operations answered with a message instead of a crash.
#include <gtest/gtest.h>

#include "backend_fixture.h"

namespace qvbtest {
namespace {

TEST(BackendTable, EverySlotIsFilled) {
  const auto *slots = reinterpret_cast<void *const *>(&flex());
  for (int slot = 0; slot < QVB_SLOT_COUNT; ++slot) EXPECT_NE(slots[slot], nullptr) << "slot " << slot;
}

TEST(BackendTable, ForeignHandlesAreReportedNotFollowed) {
  const s_FLEX_INTERFACE &f = flex();
  int notABody = 0;
  QVB_Handle h = &notABody;
  messages().clear();
  EXPECT_EQ(f.QVB_NodeCount(h), 0);
  EXPECT_EQ(f.QVB_SetNodeCoordinates(h, 1, 0, 0, 0), 0);
  EXPECT_EQ(f.QVB_Invar2(h), nullptr);
  EXPECT_EQ(f.QVB_IsValid(h), 0);
  EXPECT_EQ(messages().size(), 3u);  // IsValid is a question, not an error
  EXPECT_TRUE(anyMessageContains("QVB_NodeCount"));
}

TEST(BackendTable, UnmodelledOperationsWarnAndArgumentErrorsNameTheProblem) {
  const s_FLEX_INTERFACE &f = flex();
  QVB_Handle b = f.QVB_Create(0, 0);
  messages().clear();
  EXPECT_EQ(f.QVB_NlfeDampFactor(b), 0);
  EXPECT_EQ(f.QVB_NlfeUset(b, nullptr), 0);
  EXPECT_EQ(f.QVB_PreprocessBAPQVB(b), 0);
  EXPECT_EQ(f.QVB_PermuteQVB(b, nullptr, 0, 0.0, nullptr, nullptr), 0);
  EXPECT_EQ(f.QVB_AnsysAddGenMass(b, 1, 2), 0);
  ASSERT_EQ(messages().size(), 5u);
  for (const std::string &m : messages()) EXPECT_EQ(m.rfind("W: ", 0), 0u) << m;

  double v[3];
  EXPECT_EQ(f.QVB_Mode(b, 1, 3, v, 0), 0);
  EXPECT_TRUE(anyMessageContains("result kind 3"));
  EXPECT_EQ(f.QVB_SetMode(b, 0, 1, 0, 1, 2, 3, 4, 5, 6), 0);  // mode 0 exists for stress and strain only
  EXPECT_EQ(f.QVB_NodeCoordinates(b, 0, v), 0);
  EXPECT_TRUE(anyMessageContains("node index 0"));
  EXPECT_EQ(f.QVB_Eigenvalue(b, 5, v, v, v, v, v), 0);
  EXPECT_TRUE(anyMessageContains("no mode 5"));
  EXPECT_EQ(f.QVB_SetNodalInertiaEntry(b, 1, 0, 4, 1.0), 0);
  EXPECT_EQ(f.QVB_SetMonitorPointOperator(b, 0, 1, v), -1);
  f.QVB_Destroy(b);
}

TEST(BackendTable, TerminateEndsEveryBody) {
  const s_FLEX_INTERFACE &f = flex();
  QVB_Handle a = f.QVB_Create(0, 0), b = f.QVB_Create(10, 2);
  EXPECT_EQ(f.QVB_IsValid(a), 1);
  f.QVB_Terminate();
  EXPECT_EQ(f.QVB_IsValid(a), 0);
  EXPECT_EQ(f.QVB_IsValid(b), 0);
}

}  // namespace
}  // namespace qvbtest
