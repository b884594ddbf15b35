// Every array the library hands out is released with QVB_FreeMemory, from
// both backends, and bodies read from files leave nothing behind once they
// are destroyed. The leak checkers (LeakSanitizer in the sanitizer build,
// valgrind in scripts/leak-check.sh) turn any lost block into a failure.
#include <functional>
#include <string>
#include <vector>

#include "hardening_fixture.h"
#include "support/library_table.h"

namespace hardening {
namespace {

class HandedOutMemoryTest : public HardeningTest {};

// Calls every export that hands out an array and frees what it got. Returns
// how many arrays came back.
int takeAndFreeEveryArray(QVB_Handle h) {
  int count = 0, handed = 0;
  const int firstMode = 1, secondMode = 2;
  std::vector<std::function<void *()>> getters = {
      [&] { return QVB_InterfaceNodeIDs(h, &count); },
      [&] { return QVB_InterfaceNodes(h, &count); },
      [&] { return QVB_GetModalPreload(h, &count); },
      [&] { return QVB_GetModalLoad(h, 0, &count); },
      [&] { return QVB_GetModalLoadNodalNode(h, 0); },
      [&] { return QVB_GetModalLoadNodalCoord(h, 0); },
      [&] { return QVB_GetModalLoadNodalLoad(h, 0); },
      [&] { return QVB_Invar2(h); },
      [&] { return QVB_Invar3(h); },
      [&] { return QVB_Invar4(h); },
      [&] { return QVB_Invar5(h, firstMode); },
      [&] { return QVB_Invar6(h); },
      [&] { return QVB_Invar7(h); },
      [&] { return QVB_Invar8(h, secondMode); },
      [&] { return QVB_Invar9(h, firstMode, secondMode); },
      [&] { return QVB_RotorDynamicsMatrix(h, 0); },
  };
  for (auto &get : getters) {
    void *memory = get();
    handed += memory != nullptr;
    QVB_FreeMemory(memory);
  }
  return handed;
}

TEST_F(HandedOutMemoryTest, ArraysFromEitherBackendGoBackThroughFreeMemory) {
  const std::string file = temp_.file("part.qvb"), database = temp_.file("store.master");
  QVB_Handle made = qvbtest::buildLibraryBody();
  ASSERT_NE(made, nullptr) << describeMessages();
  // A rotor matrix too: the front returns every array through the file
  // store, so a store that also freed its database arrays itself freed twice.
  ASSERT_NE(QVB_SetRotorDynamicsMatrix(made, 0, 0, 1, 2.5), 0) << describeMessages();
  ASSERT_NE(QVB_write_QVB(made, file.c_str()), 0) << describeMessages();
  ASSERT_NE(QVB_write_QVB(made, (database + "::panel").c_str()), 0) << describeMessages();
  const int fromMade = takeAndFreeEveryArray(made);
  EXPECT_GE(fromMade, 8) << "the full body has interface nodes, loads and invariants";
  QVB_Destroy(made);

  for (const std::string &spec : {file + "::1", database + "::panel"}) {
    QVB_Handle read = QVB_CreateFromQVB(spec.c_str());
    ASSERT_NE(read, nullptr) << spec << "\n" << describeMessages();
    EXPECT_EQ(takeAndFreeEveryArray(read), fromMade) << spec;
    QVB_Destroy(read);
  }
  QVB_FreeMemory(nullptr);  // harmless, as free(NULL) is
}

// Reading, failing to read and tearing down, again and again: each round
// binds both backends afresh and must not leave anything behind.
TEST_F(HandedOutMemoryTest, RepeatedBindReadAndTerminateLeavesNothingBehind) {
  const std::string file = temp_.file("part.qvb");
  QVB_Handle made = qvbtest::buildLibraryBody();
  ASSERT_NE(made, nullptr);
  ASSERT_NE(QVB_write_QVB(made, file.c_str()), 0);
  QVB_Terminate();
  for (int round = 0; round < 3; ++round) {
    QVB_Handle read = QVB_CreateFromQVB(file.c_str());
    ASSERT_NE(read, nullptr) << describeMessages();
    EXPECT_EQ(QVB_CreateFromQVB(temp_.file("missing.qvb").c_str()), nullptr);
    EXPECT_EQ(QVB_CreateFromQVB(temp_.file("missing.master::x").c_str()), nullptr);
    QVB_Terminate();  // destroys the body that is still open
  }
}

}  // namespace
}  // namespace hardening
