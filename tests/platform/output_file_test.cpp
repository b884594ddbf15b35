// An output written partly through its stream and partly in place, from two
// threads, while the file system fails at each step in turn.
#include "platform/output_file.h"
#include "support/fake_os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

// Two windows that start off the page boundaries, written by two threads.
constexpr size_t kFirst = 5000, kRun = 3 * 4096 + 7;

// Writes "head\n", the run, "tail\n"; the run in place where it can.
bool writeOutput(const std::string &path, std::string *error) {
  qvb::platform::OutputFile file;
  bool ok = file.open(path);
  if (ok) {
    std::fputs("head\n", file.stream());
    if (auto run = file.appendInPlace(kRun)) {
      auto first = run->map(0, kFirst), second = run->map(kFirst, kRun - kFirst);
      if (first && second) {
        std::thread other([&] { std::memset(first->bytes(), 'a', kFirst); });
        std::memset(second->bytes(), 'b', kRun - kFirst);
        other.join();
      }
    } else if (!file.failed()) {
      const std::string text = std::string(kFirst, 'a') + std::string(kRun - kFirst, 'b');
      std::fwrite(text.data(), 1, text.size(), file.stream());
    }
    std::fputs("tail\n", file.stream());
    ok = file.close();
  }
  *error = file.error();
  return ok;
}

std::string bytesOf(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whichever single step fails, the run either puts the whole file in place,
// or names the file and the reason and leaves nothing; where the disk cannot take the bytes ahead the
// stream writes them, the same bytes.
TEST(OutputFile, InPlaceRunsAreWholeOrNothingUnderEveryFault) {
  const std::string expected = "head\n" + std::string(kFirst, 'a') + std::string(kRun - kFirst, 'b') + "tail\n";
  for (const bool reservable : {true, false}) {
    qvbtest::TempDir temp;
    const std::string path = temp.file("out.mtx");
    qvbtest::FakeOs fake;
    if (!reservable) fake.withoutSpaceReservation();
    fake.failFileOperations(-1);
    std::string error;
    ASSERT_TRUE(writeOutput(path, &error)) << error;
    EXPECT_EQ(bytesOf(path), expected) << "reservable " << reservable;
    const int64_t operations = fake.fileOperations();
    for (int64_t fault = 0; fault < operations; ++fault) {
      SCOPED_TRACE("fault at operation " + std::to_string(fault) + ", reservable " + std::to_string(reservable));
      std::filesystem::remove(path);
      fake.failFileOperations(fault, ENOSPC, -1, /*onlyThatOne=*/true);
      if (writeOutput(path, &error)) {
        EXPECT_EQ(bytesOf(path), expected);
        continue;
      }
      EXPECT_EQ(error.rfind(path + " cannot be ", 0), 0u) << error;
      EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
      EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << "a piece of the output was left";
    }
  }
}

}  // namespace
