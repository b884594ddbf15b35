// A command test's fixture: translates deck text in a folder of its own and
// reads back what the tests compare (eigenvalues, mass properties, nodal
// masses, interface nodes).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bar_deck.h"
#include "command_support.h"
#include "qvb.h"
#include "support/test_support.h"

namespace ccxtest {

class TranslationTest : public testing::Test {
 protected:
  void SetUp() override { plugins_.emplace("TRX_USER_PLUGIN_DIR", QVB_PLUGIN_DIR); }
  void TearDown() override { QVB_Terminate(); }

  // Translates deck text; the body's eigenvalues (rad/s)^2, none when it
  // failed (the command's output in log_, and in *log when asked).
  std::vector<double> translate(const std::string &deck, const std::string &options, std::string *log = nullptr) {
    writeText(dir_.file("deck.inp"), deck);
    const int status = run(dir_.path(), "'" CCX2QVB "' deck.inp -o body.qvb " + options, "translate.log");
    log_ = qvbtest::readFile(dir_.file("translate.log"));
    if (log != nullptr) *log = log_;
    std::vector<double> lambda;
    nodes_ = interfaces_ = 0;
    nodalMass_.clear();
    QVB_Handle h = status == 0 ? QVB_CreateFromQVB(dir_.file("body.qvb").c_str()) : nullptr;
    if (h == nullptr) return lambda;
    for (int i = 0; i < QVB_ModeCount(h); ++i) {
      double value = 0;
      QVB_Eigenvalue(h, QVB_ModeNumber(h, i), &value, nullptr, nullptr, nullptr, nullptr);
      lambda.push_back(value);
    }
    nodes_ = QVB_NodeCount(h);
    if (int *ids = QVB_InterfaceNodeIDs(h, &interfaces_)) {
      firstInterface_ = ids[0];
      QVB_FreeMemory(ids);
    }
    QVB_TotalMassInertia(h, &mass_, inertia_, centre_);
    for (int i = 0; i < nodes_; ++i) nodalMass_[QVB_NodeID(h, i)] = QVB_NodalMass(h, i);
    QVB_Terminate();
    return lambda;
  }

  qvbtest::TempDir dir_;
  std::optional<qvbtest::ScopedEnv> plugins_;
  std::string log_;
  int nodes_ = 0, interfaces_ = 0, firstInterface_ = 0;
  double mass_ = 0, inertia_[9] = {0}, centre_[3] = {0};
  std::map<int, double> nodalMass_;  // by node ID
};

}  // namespace ccxtest
