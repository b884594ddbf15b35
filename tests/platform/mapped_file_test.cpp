// File mappings: the bytes are the file's at any size, large files start
// on a huge-page boundary, and read-ahead hints are harmless anywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "platform/mapped_file.h"
#include "test_support.h"

namespace qvb::platform {
namespace {

std::string pattern(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 1;
  for (char &c : bytes) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  return bytes;
}

TEST(MappedFile, MapsTheBytesOfSmallAndLargeFiles) {
  qvbtest::TempDir dir;
  for (size_t size : {size_t{0}, size_t{100}, (size_t{5} << 20) + 123}) {
    const std::string path = dir.file("f" + std::to_string(size)), bytes = pattern(size);
    std::ofstream(path, std::ios::binary) << bytes;
    std::string error;
    auto file = MappedFile::open(path, &error);
    ASSERT_NE(file, nullptr) << error;
    ASSERT_EQ(file->size(), size);
    if (size == 0) continue;
    EXPECT_TRUE(std::string(reinterpret_cast<const char *>(file->data()), size) == bytes) << size;
    if (size > (size_t{2} << 20)) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(file->data()) % (size_t{2} << 20), 0u);
    }
    file->willRead(file->data() + 1, size - 1);
    file->willRead(file->data(), size + 4096);  // beyond the end: ignored
    file->willRead(nullptr, 10);  // not in the mapping: ignored
  }
  std::string error;
  EXPECT_EQ(MappedFile::open(dir.file("missing"), &error), nullptr);
  EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
}  // namespace qvb::platform
