#include "conversion_fixture.h"

#include <filesystem>

namespace convert_test {

namespace {
std::vector<std::string> *g_messages = nullptr;
void Collect(const char *message, int severity) {
  if (g_messages != nullptr) g_messages->push_back((severity == 0 ? "E:" : severity == 1 ? "W:" : "I:") + std::string(message));
}
}  // namespace

Argv::Argv(const std::vector<std::string> &args) : storage_(args) {
  for (std::string &s : storage_) pointers_.push_back(s.data());
  pointers_.push_back(nullptr);
}

void ConversionTest::SetUp() { QVB_SetMsgHandler(&Collect); }

void ConversionTest::TearDown() {
  QVB_SetMsgHandler(nullptr);
  g_messages = nullptr;
}

Outcome ConversionTest::Convert(const std::vector<std::string> &switches, const std::string &output) {
  Outcome outcome;
  QVB_Handle handle = body.Serve();
  std::vector<std::string> args{"qvb2mtx", BodyName()};
  args.insert(args.end(), switches.begin(), switches.end());
  Argv argv(args);
  std::filesystem::remove(MtxPath(output));
  g_messages = &outcome.messages;
  testing::internal::CaptureStdout();
  outcome.result = QVB_QVB2MTX(argv.argc(), argv.argv(), handle);
  outcome.out = testing::internal::GetCapturedStdout();
  g_messages = nullptr;
  outcome.file_written = std::filesystem::exists(MtxPath(output));
  if (outcome.file_written) outcome.problems = ReadMtx(MtxPath(output), outcome.file);
  return outcome;
}

}  // namespace convert_test
