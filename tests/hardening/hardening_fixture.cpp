#include "hardening_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace hardening {
namespace {

void collect(const char *text, int severity) { messages().push_back({severity, text ? text : ""}); }

}  // namespace

std::vector<Message> &messages() {
  static std::vector<Message> reported;
  return reported;
}

bool anErrorMentions(const std::vector<std::string> &pieces) {
  for (const Message &m : messages()) {
    if (m.severity != 0) continue;
    bool all = true;
    for (const std::string &piece : pieces) all = all && m.text.find(piece) != std::string::npos;
    if (all) return true;
  }
  return false;
}

std::string describeMessages() {
  std::string text;
  for (const Message &m : messages()) text += "[" + std::to_string(m.severity) + "] " + m.text + "\n";
  return text.empty() ? "(no messages)" : text;
}

std::vector<std::string> folderEntries(const std::string &folder) {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

HardeningTest::HardeningTest() {
  messages().clear();
  QVB_SetMsgHandler(collect);
}

HardeningTest::~HardeningTest() {
  // Every test starts from unbound backends and an empty registry.
  QVB_Terminate();
  QVB_SetMsgHandler(nullptr);
}

}  // namespace hardening
