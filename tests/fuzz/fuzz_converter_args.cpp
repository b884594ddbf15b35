// The converter's command line and selection file, run in-process on a small
// real body. Input: the selection file text, a NUL, then the arguments one
// per line. The target works in a scratch folder and refuses inputs that
// could leave it (any "/") or end the process (-O, -s, -d), and ranges wide
// enough to exhaust memory (see docs/reliability.md).
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "qvb.h"
#include "support/fuzz_files.h"
#include "support/library_table.h"

namespace {

QVB_Handle g_body = nullptr;

// The converter splits every argument and selection word at commas and
// compares whole tokens, so do the same before looking for the switches
// that end the process.
bool endsProcess(const std::string &text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(", \t\n\r\v\f", start);
    if (end == std::string::npos) end = text.size();
    const std::string token = text.substr(start, end - start);
    if (token == "-O" || token == "-s" || token == "-d") return true;
    start = end + 1;
  }
  return false;
}

bool hasLongNumber(const std::string &text) {
  int run = 0;
  for (char c : text) {
    run = std::isdigit(static_cast<unsigned char>(c)) ? run + 1 : 0;
    if (run >= 7) return true;
  }
  return false;
}

void removeOutputs() {
  std::error_code ignored;
  for (const auto &entry : std::filesystem::directory_iterator(qvbfuzz::scratchFolder(), ignored))
    if (entry.path().filename() != "sel") std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  setenv("TRX_USER_PLUGIN_DIR", QVB_FUZZ_PLUGIN_DIR, 1);
  if (chdir(qvbfuzz::scratchFolder().c_str()) != 0) std::abort();
  // Eight modes numbered 1..8: with gaps in the numbering, or fewer than six
  // modes, every run reads outside an array (known faults listed in
  // docs/reliability.md), which would hide everything else.
  g_body = qvbtest::buildLibraryBody({1, 2, 3, 4, 5, 6, 7, 8});
  if (g_body == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  if (input.find('/') != std::string::npos || hasLongNumber(input)) return -1;
  const size_t split = input.find('\0');
  const std::string selection = split == std::string::npos ? "" : input.substr(0, split);
  const std::string arguments = split == std::string::npos ? input : input.substr(split + 1);
  // Words over 999 characters are read in pieces, and a piece could be a
  // switch the filter never saw.
  if (selection.size() > 999 || endsProcess(selection)) return -1;
  // A selection file that reads itself again never ends (docs/reliability.md).
  if (selection.find("-S") != std::string::npos) return -1;
  qvbfuzz::writeScratchFile("sel", selection.data(), selection.size());

  std::vector<std::string> words{"qvb2mtx"};
  size_t start = 0;
  while (start <= arguments.size() && words.size() < 64) {
    size_t end = arguments.find('\n', start);
    if (end == std::string::npos) end = arguments.size();
    // The converter sees C strings: an argument ends at its first NUL.
    const std::string word = arguments.substr(start, end - start);
    words.push_back(word.substr(0, word.find('\0')));
    if (endsProcess(words.back())) return -1;
    start = end + 1;
  }
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  QVB_QVB2MTX(static_cast<int>(words.size()), argv.data(), g_body);
  removeOutputs();
  return 0;
}
