#include "conversion_fixture.h"

#include <filesystem>

namespace convert_test {

namespace {
std::vector<std::string> *gMessages = nullptr;
void collect(const char *message, int severity) {
  if (gMessages != nullptr) gMessages->push_back((severity == 0 ? "E:" : severity == 1 ? "W:" : "I:") + std::string(message));
}
}  // namespace

void ConversionTest::SetUp() { QVB_SetMsgHandler(&collect); }

void ConversionTest::TearDown() {
  QVB_SetMsgHandler(nullptr);
  gMessages = nullptr;
}

Outcome ConversionTest::runConversion(const std::vector<std::string> &switches, const std::string &output) {
  Outcome outcome;
  QVB_Handle handle = body.serve();
  std::vector<std::string> args{"qvb2mtx", bodyName()};
  args.insert(args.end(), switches.begin(), switches.end());
  Argv argv(args);
  std::filesystem::remove(mtxPath(output));
  gMessages = &outcome.messages;
  testing::internal::CaptureStdout();
  outcome.result = QVB_QVB2MTX(argv.argc(), argv.argv(), handle);
  outcome.out = testing::internal::GetCapturedStdout();
  gMessages = nullptr;
  outcome.fileWritten = std::filesystem::exists(mtxPath(output));
  if (outcome.fileWritten) outcome.problems = readMtx(mtxPath(output), outcome.file);
  return outcome;
}

}  // namespace convert_test
