// Writes a body into a hostile body file while the system fails. The first
// four bytes choose the fault (which file operation fails and with which
// error, or after how many bytes the disk is full), whether the file system
// has unnamed files, and the body position written; the rest is the file
// already there (none when empty). Whatever happens: a write that fails
// leaves that file byte for byte and names it in its message, one that
// succeeds leaves a file whose body at that position reads back as written,
// and no temporary file is ever left beside it.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "block_codec.h"
#include "body_file.h"
#include "support/fake_os.h"
#include "support/fuzz_files.h"
#include "support/test_support.h"

using namespace qvb;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 4) return 0;
  static const int kErrors[] = {EIO, ENOSPC, EFBIG, EDQUOT, EACCES, EROFS, ETIMEDOUT};
  const int64_t operation = data[0] < 32 ? data[0] : -1;
  const int error = kErrors[data[1] % (sizeof kErrors / sizeof kErrors[0])];
  const int64_t bytes = data[2] < 128 ? int64_t(data[2]) * 97 : -1;
  const bool anonymous = (data[3] & 1) == 0;
  const int position = (data[3] >> 1) % 4;

  const std::string folder = qvbfuzz::scratchFolder() + "/writes";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/part.qvb";
  const bool existed = size > 4;
  if (existed) std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(data + 4), size - 4);
  const std::string before = qvbtest::readFile(path);

  body::Body written;
  written.header.title = "written";
  std::string message;
  bool ok;
  {
    qvbtest::FakeOs os;
    if (!anonymous) os.withoutAnonymousFiles();
    os.failFileOperations(operation, error, bytes);
    ok = qvbflex::writeBody(path, written, position, &message);
  }
  // Only the two names may be there: the file and nothing beside it.
  for (const auto &entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename() != "part.qvb") std::abort();
  if (!ok && message.compare(0, path.size(), path) != 0) std::abort();  // a message without the file
  // A folder sync that fails comes after the rename: the new file is there.
  if (ok || message.find("power loss") != std::string::npos) {
    std::string ignored;
    auto read = qvbflex::readBody(path, position == 0 ? 1 : position, false, &ignored);
    if (read == nullptr || read->header.title != "written") std::abort();
  } else if (qvbtest::readFile(path) != before || std::filesystem::exists(path) != existed) {
    std::abort();  // a failed write changed or lost the file
  }
  return 0;
}
