// POSIX implementation of child processes and scratch folders.
#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

extern char **environ;

namespace qvb::platform {
namespace {

// What the interrupt handler shares with runProgram; only lock-free
// sig_atomic_t values, as a handler may touch nothing else.
volatile std::sig_atomic_t g_interrupt = 0;
volatile std::sig_atomic_t g_child = 0;
const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[3];

extern "C" void onInterrupt(int signal) {
  g_interrupt = signal;
  const pid_t child = static_cast<pid_t>(g_child);
  if (child > 0) ::kill(child, SIGTERM);
}

bool isExecutableFile(const std::string &path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string findProgram(const std::string &name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
  const char *path = std::getenv("PATH");
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
               std::string *error, double *processorSeconds) {
  if (argv.empty()) {
    *error = "no program to run";
    return -1;
  }
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The child reads nothing from our terminal and writes its chatter to the log.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  // The log is opened before changing folder, so a relative name means the caller's folder.
  posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int started = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) {
    *error = std::string("cannot start ") + argv[0] + ": " + std::strerror(started);
    return -1;
  }
  g_child = pid;
  // An interrupt that came just before the child was known still stops it.
  if (g_interrupt != 0) ::kill(pid, SIGTERM);
  int status = 0;
  struct rusage usage {};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      g_child = 0;
      *error = std::string("cannot wait for ") + argv[0] + ": " + std::strerror(errno);
      return -1;
    }
  }
  g_child = 0;
  if (g_interrupt != 0) {
    *error = argv[0] + std::string(" stopped: interrupted by signal ") + std::to_string(g_interrupt);
    return -1;
  }
  if (processorSeconds != nullptr)
    *processorSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  *error = argv[0] + std::string(" ended by signal ") + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  return -1;
}

std::string makeTemporaryFolder(const std::string &prefix, std::string *error) {
  const char *tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    *error = "cannot make a temporary folder " + pattern + ": " + std::strerror(errno);
    return {};
  }
  return buffer.data();
}

bool removeFolder(const std::string &path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
  return !std::filesystem::exists(path, ignored);
}

InterruptionScope::InterruptionScope() {
  g_interrupt = 0;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // The handler is undone as it runs: a second interrupt ends the process.
  action.sa_flags = SA_RESETHAND;
  for (int k = 0; k < 3; ++k) {
    ::sigaction(kInterrupts[k], nullptr, &g_previous[k]);
    if (g_previous[k].sa_handler != SIG_IGN) ::sigaction(kInterrupts[k], &action, nullptr);
  }
}

InterruptionScope::~InterruptionScope() {
  for (int k = 0; k < 3; ++k) ::sigaction(kInterrupts[k], &g_previous[k], nullptr);
}

int InterruptionScope::received() { return g_interrupt; }

void InterruptionScope::endIfInterrupted() {
  const int signal = g_interrupt;
  if (signal == 0) return;
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

}  // namespace qvb::platform
