// Child processes and scratch folders, over the OS table (os.h).
#include "platform/child_process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/os.h"

namespace qvb::platform {
namespace {

// What the interrupt handler shares with runProgram: only lock-free
// sig_atomic_t values and a table fixed before the handler can run.
volatile std::sig_atomic_t g_interrupt = 0;
volatile std::sig_atomic_t g_child = 0;
const OsInterface *volatile g_handlerOs = nullptr;
const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// How often runProgram's progress hears from it.
constexpr double kProgressSeconds = 0.5;

extern "C" void onInterrupt(int signal) {
  g_interrupt = signal;
  const long child = g_child;
  if (child > 0 && g_handlerOs != nullptr) g_handlerOs->signalProcess(child, SIGTERM);
}

bool isExecutableFile(const std::string &path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string temporaryRoot() {
  const char *tmp = getEnv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

// The process that made the folder `name` (prefix<number>-XXXXXX), or 0
// when the name is not of that form.
long folderOwner(const std::string &name, const std::string &prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  size_t at = prefix.size();
  long owner = 0;
  while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])) && owner < 100000000)
    owner = owner * 10 + (name[at++] - '0');
  if (at == prefix.size() || at >= name.size() || name[at] != '-' || name.size() != at + 7) return 0;
  for (size_t k = at + 1; k < name.size(); ++k)
    if (!std::isalnum(static_cast<unsigned char>(name[k]))) return 0;
  return owner;
}

// Waits for the child to end, asking progress along the way. Fills *end, or
// returns the error number of a wait that failed.
int awaitChild(long child, const std::function<void(double)> &progress, ProcessEnd *end) {
  const double start = wallClock();
  for (;;) {
    const int code = waitProcess(child, kProgressSeconds, end);
    if (code != ETIMEDOUT && code != EINTR) return code;
    if (progress) progress(wallClock() - start);
  }
}

}  // namespace

std::string findProgram(const std::string &name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
  const char *path = getEnv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

int runProgram(const std::vector<std::string> &argv, const std::string &workDir, const std::string &logFile,
               std::string *error, double *processorSeconds, const std::function<void(double)> &progress) {
  if (argv.empty()) {
    *error = "no program to run";
    return -1;
  }
  std::vector<const char *> args;
  // A program's C library keeps its output in large blocks when it goes to a
  // file: whoever watches the progress would read a log that lags behind by
  // minutes. Where the system has stdbuf, it runs the program with its
  // output written line by line (stdbuf then becomes the program itself).
  const std::string lineBuffering = progress && isExecutableFile(argv[0]) ? findProgram("stdbuf") : std::string();
  if (!lineBuffering.empty()) args = {lineBuffering.c_str(), "-oL", "-eL"};
  for (const std::string &a : argv) args.push_back(a.c_str());
  args.push_back(nullptr);
  long child = 0;
  if (const int code = startProcess(args.data(), workDir.c_str(), logFile.c_str(), &child)) {
    *error = "cannot start " + argv[0] + ": " + std::strerror(code);
    return -1;
  }
  g_child = static_cast<std::sig_atomic_t>(child);
  // An interrupt that came just before the child was known still stops it.
  if (g_interrupt != 0) signalProcess(child, SIGTERM);
  ProcessEnd end;
  int code = 0;
  try {
    code = awaitChild(child, progress, &end);
  } catch (...) {  // from progress: the child must not outlive the wait
    signalProcess(child, SIGKILL);
    waitProcess(child, 10, &end);
    g_child = 0;
    throw;
  }
  g_child = 0;
  if (code != 0) {
    *error = "cannot wait for " + argv[0] + ": " + std::strerror(code);
    return -1;
  }
  if (g_interrupt != 0) {
    *error = argv[0] + " stopped: interrupted by signal " + std::to_string(g_interrupt);
    return -1;
  }
  if (processorSeconds != nullptr) *processorSeconds = end.processorSeconds;
  if (end.exitStatus >= 0) return end.exitStatus;
  *error = argv[0] + " ended by signal " + std::to_string(end.signal);
  return -1;
}

std::string makeTemporaryFolder(const std::string &prefix, std::string *error) {
  const std::string pattern = temporaryRoot() + "/" + prefix + std::to_string(processId()) + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    *error = "cannot make a temporary folder " + pattern + ": " + std::strerror(errno);
    return {};
  }
  return buffer.data();
}

int removeStaleWorkFolders(const std::string &prefix) {
  const std::string root = temporaryRoot();
  int removed = 0;
  for (const std::string &name : folderEntries(root)) {
    const long owner = folderOwner(name, prefix);
    if (owner <= 0 || owner == processId()) continue;
    const std::string path = root + "/" + name;
    struct stat status;
    // lstat: a link of that name is not followed to whatever it names.
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) continue;
    if (signalProcess(owner, 0) != ESRCH) continue;  // alive, or not ours to judge
    if (removeFolder(path)) ++removed;
  }
  return removed;
}

bool removeFolder(const std::string &path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
  return !std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

InterruptionScope::InterruptionScope() {
  g_interrupt = 0;
  g_handlerOs = &os();
  for (const int signal : kInterrupts) os().catchSignal(signal, onInterrupt);
}

InterruptionScope::~InterruptionScope() {
  for (const int signal : kInterrupts) os().releaseSignal(signal);
  g_interrupt = 0;  // would stop the children of later runs
}

int InterruptionScope::received() { return g_interrupt; }

void InterruptionScope::endIfInterrupted() {
  if (const int signal = g_interrupt) os().endBySignal(signal);
}

}  // namespace qvb::platform
