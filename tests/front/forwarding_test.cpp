// Every body-level export reaches its slot of the body's own backend with
// the arguments unchanged and passes the slot's result back unchanged.
#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "front_test.h"

namespace {

namespace slot = qvbfake::slot;

// Pointer arguments point at real memory: the fake copies int arrays whose
// length is an argument (a count of 1000 + k fits each row).
alignas(16) int g_pointees[10][1100];

// A distinctive argument for parameter position k of type P.
template <class P>
P argumentFor(int k) {
  if constexpr (std::is_same_v<P, int>) {
    return 1000 + k;
  } else if constexpr (std::is_same_v<P, double>) {
    return 0.25 + k;
  } else if constexpr (std::is_same_v<P, const char *>) {
    static const char *const texts[] = {"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"};
    return texts[k];
  } else {
    static_assert(std::is_pointer_v<P>);
    return reinterpret_cast<P>(g_pointees[k]);
  }
}

template <class P>
void expectRecorded(const qvbfake::Value &value, int k) {
  const P expected = argumentFor<P>(k);
  if constexpr (std::is_same_v<P, int>) {
    EXPECT_EQ(value.i, expected) << "argument " << k;
  } else if constexpr (std::is_same_v<P, double>) {
    EXPECT_EQ(value.d, expected) << "argument " << k;
  } else if constexpr (std::is_same_v<P, const char *>) {
    EXPECT_EQ(value.text, expected) << "argument " << k;
  } else {
    EXPECT_EQ(value.pointer, reinterpret_cast<const void *>(expected)) << "argument " << k;
  }
}

// The result each slot is scripted to return, by result type.
constexpr int kIntResult = 4242;
constexpr double kDoubleResult = 42.5;
void *const kPointerResult = reinterpret_cast<void *>(std::uintptr_t{0xBEEF0});

template <class R>
bool isScriptedResult(R result) {
  if constexpr (std::is_pointer_v<R>) return static_cast<void *>(result) == kPointerResult;
  else if constexpr (std::is_same_v<R, double>) return result == kDoubleResult;
  else return result == kIntResult;
}

// Calls an export with distinctive arguments and checks the one recorded call.
template <class R, class... P, std::size_t... I>
void checkForwarding(R (*function)(QVB_Handle, P...), QVB_Handle body, int ordinal,
                     const char *name, std::index_sequence<I...>) {
  SCOPED_TRACE(name);
  qvbfake::reset();
  qvbfake::Result scripted;
  scripted.i = kIntResult;
  scripted.d = kDoubleResult;
  scripted.p = kPointerResult;
  qvbfake::setResult(ordinal, scripted);

  const R result = function(body, argumentFor<P>(static_cast<int>(I) + 1)...);

  EXPECT_TRUE(isScriptedResult(result));
  const auto calls = qvbfake::calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].slot, ordinal);
  EXPECT_EQ(calls[0].name, name);
  EXPECT_EQ(calls[0].backend, "dbvflex");
  ASSERT_EQ(calls[0].args.size(), sizeof...(P) + 1);
  EXPECT_EQ(calls[0].args[0].pointer, body);
  (expectRecorded<P>(calls[0].args[I + 1], static_cast<int>(I) + 1), ...);
}

template <class R, class... P>
void checkForwarding(R (*function)(QVB_Handle, P...), QVB_Handle body, int ordinal,
                     const char *name) {
  checkForwarding(function, body, ordinal, name, std::index_sequence_for<P...>());
}

class ForwardingTest : public FrontTest {};

// Bodies of both backends are served alike; the database backend is used
// here, and a body-file body is created first so that both tables exist and
// a call routed by kind instead of by registration would show.
TEST_F(ForwardingTest, EveryForwarderReachesItsSlotUnchanged) {
  ASSERT_NE(QVB_Create(0, 0), nullptr);
  QVB_Handle body = QVB_CreateFromQVB("d.master");
  ASSERT_NE(body, nullptr);
  int forwarders = 0;
#define QVB_FWD(ordinal, result, name, params, args) \
  checkForwarding(&name, body, ordinal, #name);      \
  ++forwarders;
#define QVB_OWN(ordinal, result, name, params, args)
#define QVB_RSV(ordinal)
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV
  EXPECT_GT(forwarders, 160);
  EXPECT_TRUE(messages().empty());
}

// A handle that no creation function returned is refused with a message; the
// export returns its type's zero and no backend is called.
TEST_F(ForwardingTest, UnknownHandlesAreReportedAndGetZero) {
  ASSERT_NE(QVB_Create(0, 0), nullptr);
  qvbfake::reset();
  int unknown = 0;
  EXPECT_EQ(QVB_NodeCount(&unknown), 0);
  EXPECT_EQ(QVB_Mass2Kilogram(&unknown, 3.0), 0.0);
  EXPECT_EQ(QVB_Invar2(&unknown), nullptr);
  EXPECT_EQ(QVB_Destroy(nullptr), 0);
  double point[3] = {0, 0, 0};
  EXPECT_EQ(QVB_ClosestNode(&unknown, point, 0), -1);
  EXPECT_EQ(QVB_SetFace(&unknown, 2, 1, 2), 0);
  EXPECT_EQ(QVB_write_QVB(&unknown, "p.qvb"), 0);
  EXPECT_EQ(errors().size(), 7u);
  EXPECT_NE(errors().at(0).find("QVB_NodeCount"), std::string::npos);
  EXPECT_TRUE(qvbfake::calls().empty());
}

// A backend that leaves a slot empty gets the same treatment for that slot.
TEST_F(ForwardingTest, SlotsABackendLeftEmptyAreReportedAndGetZero) {
  qvbfake::omitSlot(slot::QVB_NodeCount);
  qvbfake::omitSlot(slot::QVB_Create);
  EXPECT_EQ(QVB_Create(0, 0), nullptr);
  QVB_Handle body = QVB_CreateFromQVB("p.qvb");
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(QVB_NodeCount(body), 0);
  EXPECT_EQ(errors().size(), 2u);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_NodeCount), 0u);
  EXPECT_EQ(QVB_ModeCount(body), 1);
}

}  // namespace
