// Converter command lines that once crashed, hung or exhausted memory, each
// run in-process on the full test body: a line that succeeds leaves a consistent
// matrix file, one that fails says why.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "hardening_fixture.h"
#include "mtx_reader.h"
#include "support/library_table.h"

namespace hardening {
namespace {

class ConverterRegressionTest : public HardeningTest {
 protected:
  void SetUp() override {
    here_ = std::filesystem::current_path();
    std::filesystem::current_path(temp_.path());
    body_ = qvbtest::buildLibraryBody({1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_NE(body_, nullptr) << describeMessages();
  }
  void TearDown() override {
    if (body_) QVB_Destroy(body_);
    std::filesystem::current_path(here_);
  }

  int convert(std::vector<std::string> words) {
    words.insert(words.begin(), "qvb2mtx");
    qvbtest::Argv argv(words);
    testing::internal::CaptureStdout();
    const int result = QVB_QVB2MTX(argv.argc(), argv.argv(), body_);
    printed_ = testing::internal::GetCapturedStdout();
    return result;
  }

  std::filesystem::path here_;
  QVB_Handle body_ = nullptr;
  std::string printed_;
};

TEST_F(ConverterRegressionTest, HostileButHarmlessCommandLinesFailCleanlyOrSucceed) {
  struct Line {
    std::vector<std::string> words;
    int result;
  };
  const std::vector<Line> lines = {
      {{"panel.qvb", "+N"}, 0},         // a list switch at the very end
      {{"panel.qvb", "+N", "5:"}, -1},  // an open range at the end
      {{"panel.qvb", "-c", ":"}, -1},
      {{"panel.qvb", "-I", "1", "2"}, -1},              // an incomplete coordinate group
      {{"panel.qvb", "-m", std::string(40, 'k')}, -1},  // a unit label longer than its field
      {{"panel.qvb", std::string(1000, 'x')}, -1},      // an argument over the length limit
      {{"panel.qvb", ",,,", "-L"}, 0},                  // arguments made only of separators
      {{"panel.qvb", "+N", "1:2000000000"}, -1},        // a range no body can use
  };
  for (const Line &line : lines) {
    std::string shown;
    for (const std::string &w : line.words) shown += w.substr(0, 20) + " ";
    std::filesystem::remove("panel.mtx");
    EXPECT_EQ(convert(line.words), line.result) << shown << "\n" << printed_;
    if (line.result == 0) {
      convert_test::MtxFile file;
      EXPECT_EQ(convert_test::readMtx("panel.mtx", file), std::vector<std::string>{}) << shown;
    } else {
      EXPECT_NE(printed_, "") << shown << "fails without saying why";
    }
  }
}

// A converted body lists exactly its own modes, whatever their numbers.
std::vector<int> convertedModes() {
  convert_test::MtxFile file;
  EXPECT_EQ(convert_test::readMtx("panel.mtx", file), std::vector<std::string>{});
  std::vector<int> numbers;
  if (const convert_test::MtxMatrix *modes = file.find("SELMOD"))
    for (const std::vector<double> &line : modes->lines) numbers.push_back(static_cast<int>(line.at(0)));
  return numbers;
}

// The address sanitizer reserves terabytes of address space up front, so
// an address-space limit would stop its own allocator; there only the time
// limit applies.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceLimit = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSpaceLimit = false;
#else
constexpr bool kAddressSpaceLimit = true;
#endif
#else
constexpr bool kAddressSpaceLimit = true;
#endif

// Bounds the calling child process to 1 GB of address space and 20 seconds.
void limitThisChild() {
  const rlimit memory{1ul << 30, 1ul << 30};
  if (kAddressSpaceLimit) setrlimit(RLIMIT_AS, &memory);
  alarm(20);
}

// Runs a conversion in a limited child; true when it returned -1 by itself.
bool failsCleanlyInLimitedChild(const std::function<int()> &run) {
  int status = -1;
  printedByChild([&] { return limitThisChild(), run() == -1 ? 0 : 1; }, &status);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A selection file that names itself, once or under many spellings
// ("./many.sel", ".//many.sel", ...: each was read once, 1.9 GB for 3,000 of
// them), is refused at its first repeat, which names the first spelling.
TEST_F(ConverterRegressionTest, ASelectionFileThatNamesItselfStops) {
  std::ofstream("loop.sel") << "-S loop.sel\n";
  EXPECT_TRUE(failsCleanlyInLimitedChild([&] { return convert({"panel.qvb", "-S", "loop.sel"}); }));
  std::string spellings;
  for (int k = 1; k <= 3000; ++k) spellings += "-S ." + std::string(k % 40 + 1, '/') + "many.sel\n";
  std::ofstream("many.sel") << spellings;
  EXPECT_TRUE(failsCleanlyInLimitedChild([&] { return convert({"panel.qvb", "-S", "many.sel"}); }));
  EXPECT_EQ(convert({"panel.qvb", "-S", "many.sel"}), -1);
  EXPECT_NE(printed_.find("Selection file ." + std::string(2, '/') + "many.sel is many.sel again"), std::string::npos)
      << printed_.substr(0, 400);
}

// Selection files that are no text of switches: refused with a message that
// names the file, in bounded memory and time (a device was read forever, a
// 250 KB file of repeated ranges took 1.9 GB).
TEST_F(ConverterRegressionTest, HostileSelectionFilesAreRefused) {
  std::string nul("+N 1\0 2\n", 8), repeated, edges;
  for (int k = 0; k < 12000; ++k) repeated += "+N 1:9999999\n";  // about 160 KB
  for (int k = 1; k <= 200; ++k) edges += "-C " + std::to_string(k) + " 1:9999999\n";  // took 8 GB
  std::ofstream("nul.sel", std::ios::binary) << nul;
  std::ofstream("big.sel") << std::string(2 << 20, ' ') << "-L\n";
  std::ofstream("ranges.sel") << repeated;
  std::ofstream("edges.sel") << edges;
  const std::pair<std::string, std::string> cases[] = {{"/dev/zero", "not a plain file"},
                                                       {"/dev/urandom", "not a plain file"},
                                                       {"nul.sel", "NUL"},
                                                       {"big.sel", "larger than"},
                                                       {"ranges.sel", "Incorrect argument to +N"},
                                                       {"edges.sel", "-C list more than"}};
  for (const auto &[file, cause] : cases) {
    // In-process only once it is known to end.
    if (!failsCleanlyInLimitedChild([&] { return convert({"panel.qvb", "-S", file}); })) {
      ADD_FAILURE() << file << " was not refused in bounded memory and time";
      continue;
    }
    EXPECT_EQ(convert({"panel.qvb", "-S", file}), -1) << file;
    EXPECT_NE(printed_.find(cause), std::string::npos) << file << ": " << printed_;
    if (file != "ranges.sel" && file != "edges.sel") {
      EXPECT_NE(printed_.find(file), std::string::npos) << printed_;
    }
  }
}

// Every output of the converter counts its writes. On a full disk (a file
// size limit with its signal ignored) the matrix file, the shell file and
// the dump each fail with the file's name and the system's reason, the
// conversion gives -1 (a dump ends the process with 1, failed or not), and
// no piece of the file is left; a previous matrix file stays as it was.
// (The matrix file reported success, truncated, before.)
TEST_F(ConverterRegressionTest, OutputsThatCannotBeWrittenWholeFailAndLeaveNothing) {
  std::ofstream("panel.mtx") << "previous";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"panel.qvb"}, "panel.mtx"}, {{"panel.qvb", "-s", "panel.shell"}, "panel.shell"},
      {{"panel.qvb", "-d", "panel.dump"}, "panel.dump"}};
  for (const auto &[words, file] : cases) {
    int status = -1;
    const std::string printed = printedByChild(
        [&, &words = words] {
          signal(SIGXFSZ, SIG_IGN);
          const rlimit small{64, 64};
          setrlimit(RLIMIT_FSIZE, &small);
          std::vector<std::string> line = words;
          line.insert(line.begin(), "qvb2mtx");
          qvbtest::Argv argv(line);
          return QVB_QVB2MTX(argv.argc(), argv.argv(), body_) == -1 ? 0 : 1;
        },
        &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (file == "panel.dump" ? 1 : 0)) << file << " " << status;
    EXPECT_NE(printed.find(file + " cannot be written: " + std::strerror(EFBIG)), std::string::npos) << printed;
    if (file != "panel.mtx") {
      EXPECT_FALSE(std::filesystem::exists(file)) << file;
    }
  }
  EXPECT_EQ(qvbtest::readFile("panel.mtx"), "previous");
  EXPECT_EQ(folderEntries("."), (std::vector<std::string>{"panel.mtx"}));
}

// A small body that declares far more modes than the nodes that carry its
// mode shapes can hold fails at once, before the mode-by-mode matrices are
// allocated: 20,000 modes on 4 nodes took 9.4 GB; 3,000 modes on 500 bare
// nodes (shapes at one of them, a 177 KB file) took 2.2 GB and wrote 2.9 GB.
TEST_F(ConverterRegressionTest, ABodyDeclaringMoreModesThanItsNodesCarryIsRefused) {
  for (const auto &[nodes, modes] : {std::pair<int, int>{4, 20000}, {500, 3000}}) {
    QVB_Destroy(body_);
    body_ = QVB_Create(nodes, modes);
    for (int node = 1; node <= nodes; ++node) {
      QVB_SetNodeCoordinates(body_, node, node, 0, 0);
      QVB_SetNodalMass(body_, node, 1.0);
    }
    for (int mode = 1; mode <= modes; ++mode) QVB_SetMode(body_, mode, 1, 0, 1, 0, 0, 0, 0, 0);
    ASSERT_EQ(QVB_ModeCount(body_), modes);
    const std::string cause = std::to_string(modes) + " modes with shapes at 1 nodes";
    const pid_t child = fork();
    if (child == 0) {
      limitThisChild();
      _exit(convert({"panel.qvb"}) == -1 && printed_.find(cause) != std::string::npos ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cause << ", status " << status;
  }
}

// Bodies whose modes are not numbered 1..M, or that have fewer than six
// modes, are ordinary; converting them must not read outside any array.
TEST_F(ConverterRegressionTest, BodiesWithGapsInTheModeNumbersOrFewerThanSixModesConvert) {
  for (const std::vector<int> &modes : {std::vector<int>{7, 8, 9, 10, 11, 12, 13}, std::vector<int>{1, 2, 3}}) {
    QVB_Destroy(body_);
    body_ = qvbtest::buildLibraryBody(modes);
    EXPECT_EQ(convert({"panel.qvb"}), 0) << printed_;
    EXPECT_EQ(convertedModes(), modes);
  }
}

}  // namespace
}  // namespace hardening
