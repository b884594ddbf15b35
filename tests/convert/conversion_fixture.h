// Runs whole conversions on a model body served by the fake backend.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_session.h"
#include "model_body.h"
#include "mtx_reader.h"
#include "support/test_support.h"

namespace convert_test {

using qvbtest::Argv;

struct Outcome {
  int result = 0;
  std::string out;                   // standard output of the run
  std::vector<std::string> messages; // message channel: "W:text" / "E:text"
  MtxFile file;
  std::vector<std::string> problems;  // consistency of the MTX file, if any
  bool fileWritten = false;
};

class ConversionTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Serves `body` (kept in the fixture) and converts it with the arguments
  // that follow the body name; the MTX file, if any, is read back.
  Outcome runConversion(const std::vector<std::string> &switches, const std::string &output = "wing");
  std::string bodyName() const { return dir.file(bodyFile); }
  std::string mtxPath(const std::string &base = "wing") const { return dir.file(base + ".mtx"); }

  qvbfake::Session session;
  qvbtest::TempDir dir;
  std::string bodyFile = "wing.qvb";  // the name the served body goes by
  ModelBody body = richBody();
};

}  // namespace convert_test
