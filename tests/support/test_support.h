// Helpers shared by every test binary: environment variables set for one
// scope, temporary folders and whole files.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace qvbtest {

// Sets (or unsets, with std::nullopt) one environment variable and restores
// its previous state when the scope ends.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
    else ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the scope ends.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvbtest-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::string file(const std::string &name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Argument strings as the writable argv of an entry point (argv[0]: the program).
class Argv {
 public:
  explicit Argv(const std::vector<std::string> &args) : storage_(args) {
    for (std::string &s : storage_) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(pointers_.size()) - 1; }
  char **argv() { return pointers_.data(); }

 private:
  std::vector<std::string> storage_;
  std::vector<char *> pointers_;
};

// The whole file ("" when it cannot be read), and the file replaced by `bytes`.
inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void writeFile(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs work() in a child process whose standard output is a pipe (which no
// file size limit stops) and returns what it printed; *status is the
// child's wait status, its exit code being work()'s result.
inline std::string printedByChild(const std::function<int()> &work, int *status) {
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    dup2(channel[1], 1);
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // a killed child has said all it printed
    close(channel[0]);
    const int result = work();
    std::fflush(stdout);
    _exit(result);
  }
  close(channel[1]);
  std::string printed;
  char buffer[4096];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) printed.append(buffer, static_cast<size_t>(n));
  close(channel[0]);
  waitpid(child, status, 0);
  return printed;
}

}  // namespace qvbtest
