// Binding the backends: refusals, the record handed over, teardown and
// binding again.
#include <string>

#include "front_test.h"

namespace {

using qvbfake::slot::kInitialize;
using qvbfake::slot::kPopulateInterface;
using qvbfake::slot::kSetMessageHandlers;
using qvbfake::slot::kTerminate;
namespace slot = qvbfake::slot;

// A plug-in folder that does not hold a usable backend.
struct BrokenFolder {
  const char *what;
  std::string folder;
};

class UnbindableBackendTest : public FrontTest,
                              public testing::WithParamInterface<BrokenFolder> {
 protected:
  UnbindableBackendTest() : FrontTest(GetParam().folder) {}

  // Each failed attempt reports the loader's reason, then which library.
  void expectBindingFailure(const char *stem) {
    const auto reported = errors();
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_FALSE(reported[0].empty());
    EXPECT_EQ(reported[1], std::string("Fail to load Orvik flexible body library ") + stem);
    messages().clear();
  }
};

TEST_P(UnbindableBackendTest, EveryAttemptFailsWithBothMessages) {
  int info = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(QVB_Create(1, 2), nullptr);
    expectBindingFailure("qvbflex");
    EXPECT_EQ(QVB_CreateFromQVB("db.master::wing"), nullptr);
    expectBindingFailure("dbvflex");
    EXPECT_EQ(QVB_BodyCount("db.master"), -1);
    expectBindingFailure("dbvflex");
    EXPECT_EQ(QVB_GetBodyInfo("db.master", 1, &info), 0);
    expectBindingFailure("dbvflex");
  }
  // A refused library is never asked to fill a table; body files are
  // counted without their backend.
  EXPECT_EQ(qvbfake::countOf(kPopulateInterface), 0u);
  EXPECT_EQ(slotCallCount(), 0u);
  EXPECT_EQ(QVB_BodyCount("part.qvb"), 1);
  EXPECT_EQ(QVB_GetBodyInfo("part.qvb", 1, nullptr), 1);
  EXPECT_TRUE(messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnbindableBackendTest,
    testing::Values(BrokenFolder{"Missing", "/nonexistent/qvb-plugins"},
                    BrokenFolder{"NotALibrary", QVB_FAKE_NOT_A_LIBRARY_DIR},
                    BrokenFolder{"NoMessageHandlers", QVB_FAKE_NO_HANDLERS_DIR},
                    BrokenFolder{"NoPopulateInterface", QVB_FAKE_NO_POPULATE_DIR}),
    [](const auto &info) { return std::string(info.param.what); });

class BindingTest : public FrontTest {};

TEST_F(BindingTest, BindingFillsTheTableThenHandsOverTheMessageFunctions) {
  ASSERT_NE(QVB_Create(3, 4), nullptr);
  const auto calls = qvbfake::calls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0].slot, kInitialize);
  EXPECT_EQ(calls[1].slot, kPopulateInterface);
  EXPECT_EQ(calls[2].slot, kSetMessageHandlers);
  EXPECT_EQ(calls[3].slot, slot::QVB_Create);
  s_MSG_HANDLERS *handlers = qvbfake::messageHandlers();
  ASSERT_NE(handlers, nullptr);
  EXPECT_EQ(handlers->error, &QVB_Error);
  EXPECT_EQ(handlers->warning, &QVB_Warning);
  EXPECT_EQ(handlers->info, &QVB_Info);

  // Bound once: further bodies reuse the table.
  ASSERT_NE(QVB_Create(5, 6), nullptr);
  EXPECT_EQ(qvbfake::countOf(kPopulateInterface), 1u);
}

TEST_F(BindingTest, TerminateShutsBothBackendsDownInOrderAndForgetsBodies) {
  QVB_Handle body = QVB_Create(1, 1);
  QVB_Handle record = QVB_CreateFromQVB("db.master::2");
  ASSERT_NE(body, nullptr);
  ASSERT_NE(record, nullptr);
  qvbfake::reset();

  QVB_Terminate();
  std::vector<std::string> order;
  for (const auto &call : qvbfake::calls()) order.push_back(call.backend + " " + call.name);
  EXPECT_EQ(order, (std::vector<std::string>{"qvbflex QVB_Terminate", "qvbflex _terminate",
                                             "dbvflex QVB_Terminate", "dbvflex _terminate"}));

  // Nothing is bound and nothing registered any more.
  qvbfake::reset();
  QVB_FreeMemory(&order);
  EXPECT_EQ(QVB_IsValid(body), 0);
  EXPECT_EQ(QVB_IsValid(record), 0);
  EXPECT_TRUE(qvbfake::calls().empty());
  QVB_Terminate();  // a second teardown has nothing to do
  EXPECT_TRUE(qvbfake::calls().empty());

  // The next creation loads the plug-in again.
  ASSERT_NE(QVB_Create(1, 1), nullptr);
  EXPECT_EQ(qvbfake::countOf(kInitialize), 1u);
  EXPECT_EQ(qvbfake::countOf(kPopulateInterface), 1u);
  EXPECT_TRUE(errors().empty());
}

// Backend memory goes back to the body-file backend when it is bound, else
// to the database backend, else nowhere.
TEST_F(BindingTest, FreeMemoryPrefersTheBodyFileBackend) {
  int memory = 0;
  QVB_FreeMemory(&memory);
  EXPECT_EQ(slotCallCount(), 0u);

  ASSERT_NE(QVB_CreateFromQVB("db.master"), nullptr);
  QVB_FreeMemory(&memory);
  auto release = onlyCall(slot::QVB_FreeMemory);
  EXPECT_EQ(release.backend, "dbvflex");
  EXPECT_EQ(release.args.at(0).pointer, &memory);

  qvbfake::reset();
  ASSERT_NE(QVB_CreateFromQVB("part.qvb"), nullptr);
  QVB_FreeMemory(&memory);
  EXPECT_EQ(onlyCall(slot::QVB_FreeMemory).backend, "qvbflex");
}

}  // namespace
