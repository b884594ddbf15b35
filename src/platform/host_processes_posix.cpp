// The host's child processes, interrupt signals and threads (POSIX, with
// Linux's parent-death signal where it exists).
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/host_os.h"

namespace qvb::platform::host {
namespace {

int lastErrno() { return errno != 0 ? errno : EIO; }

// In the child between fork and exec: only async-signal-safe calls (the
// parent may have other threads, whose locks the child inherits held).
[[noreturn]] void failInChild(int report, int error) {
  while (::write(report, &error, sizeof error) < 0 && errno == EINTR) {
  }
  ::_exit(127);
}

[[noreturn]] void runChild(const char *const *argv, const char *workDir, const char *logFile, pid_t parent,
                           int report) {
#ifdef __linux__
  // A parent killed outright (SIGKILL) cannot stop its child; the kernel does
  // it then. A parent that died before this line is caught by the check.
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) failInChild(report, errno);
#endif
  if (::getppid() != parent) ::_exit(127);
  const int input = ::open("/dev/null", O_RDONLY);
  if (input < 0 || ::dup2(input, 0) < 0) failInChild(report, errno);
  const int output = ::open(logFile, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (output < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) failInChild(report, errno);
  if (input > 2) ::close(input);
  if (output > 2) ::close(output);
  if (::chdir(workDir) != 0) failInChild(report, errno);
  ::execv(argv[0], const_cast<char *const *>(argv));
  failInChild(report, errno);
}

void reap(pid_t pid) {
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

double secondsOf(const timeval &time) { return static_cast<double>(time.tv_sec) + time.tv_usec * 1e-6; }

// What catchSignal replaced, per signal number.
struct sigaction g_saved[NSIG];
bool g_caught[NSIG];

}  // namespace

int startProcess(const char *const *argv, const char *workDir, const char *logFile, long *process) {
  // The child reports a failure before exec (its errno) on this pipe, which
  // a successful exec closes unwritten.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return lastErrno();
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) runChild(argv, workDir, logFile, parent, report[1]);
  const int forkError = pid < 0 ? lastErrno() : 0;
  ::close(report[1]);
  int childError = 0;
  ssize_t got = 0;
  if (pid > 0)
    while ((got = ::read(report[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
  ::close(report[0]);
  if (forkError != 0) return forkError;
  if (got > 0) {
    reap(pid);
    return childError != 0 ? childError : EIO;
  }
  *process = pid;
  return 0;
}

int waitProcess(long process, double seconds, ProcessEnd *end) {
  using Clock = std::chrono::steady_clock;
  const auto deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(seconds, 0.0)));
  // Polled: a blocking wait cannot time out, and a child that ends is seen
  // within the longest pause (20 ms), a short one within a millisecond.
  auto pause = std::chrono::microseconds(500);
  for (;;) {
    int status = 0;
    struct rusage usage {};
    const pid_t done = ::wait4(static_cast<pid_t>(process), &status, WNOHANG, &usage);
    if (done == static_cast<pid_t>(process)) {
      end->exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      end->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
      end->processorSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
      return 0;
    }
    if (done < 0 && errno != EINTR) return lastErrno();
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return ETIMEDOUT;
    const auto nap = std::min<Clock::duration>(pause, left);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(nap).count();
    const timespec sleep = {static_cast<time_t>(nanoseconds / 1000000000), static_cast<long>(nanoseconds % 1000000000)};
    if (::nanosleep(&sleep, nullptr) != 0 && errno == EINTR) return EINTR;
    pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
  }
}

int signalProcess(long process, int signal) {
  if (process <= 0) return ESRCH;  // 0 and negative numbers name process groups
  return ::kill(static_cast<pid_t>(process), signal) == 0 ? 0 : lastErrno();
}

bool catchSignal(int signal, void (*handler)(int)) {
  if (signal <= 0 || signal >= NSIG) return false;
  struct sigaction previous {};
  if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return false;
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait in progress returns, so its caller sees the signal.
  action.sa_flags = SA_RESETHAND;
  if (::sigaction(signal, &action, nullptr) != 0) return false;
  g_saved[signal] = previous;
  g_caught[signal] = true;
  return true;
}

void releaseSignal(int signal) {
  if (signal <= 0 || signal >= NSIG || !g_caught[signal]) return;
  ::sigaction(signal, &g_saved[signal], nullptr);
  g_caught[signal] = false;
}

void endBySignal(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
}

static_assert(sizeof(pthread_t) <= sizeof(uint64_t), "a thread's handle must fit the table's number");

int startThread(void *(*body)(void *), void *argument, uint64_t *thread) {
  pthread_t id;
  const int error = ::pthread_create(&id, nullptr, body, argument);
  if (error != 0) return error;
  *thread = 0;
  std::memcpy(thread, &id, sizeof id);
  return 0;
}

int joinThread(uint64_t thread) {
  pthread_t id;
  std::memcpy(&id, &thread, sizeof id);
  return ::pthread_join(id, nullptr);
}

}  // namespace qvb::platform::host
