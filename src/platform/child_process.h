// Running another program and the scratch folders it works in.
//
// Commands that drive an external solver start it here, wait for it and
// clean up after it; nothing else in the project spawns processes or makes
// temporary folders. Every effect goes through the OS table (os.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qvb::platform {

// The full path of a program: a name with a slash is taken as it is when it
// is an executable file; a bare name is searched in PATH. Empty when there is
// no such executable.
std::string findProgram(const std::string &name);

// Runs argv[0] (a path, see findProgram) with the arguments in folder
// workDir, its standard output and error appended to logFile, and waits for
// it. Returns the exit status (0..255), or -1 with *error set when it could
// not be started or ended by a signal. *processorSeconds (when not null)
// receives the processor time the program used (user and system, all its
// threads): on a shared machine a fairer measure than the wall clock.
// progress (when set) is called about twice a second while the program runs,
// with the seconds since it started; the program's output then reaches the
// log line by line where the system allows (stdbuf), not in large blocks.
// The program dies with the calling thread, also when that is killed
// outright.
int runProgram(const std::vector<std::string> &argv, const std::string &workDir, const std::string &logFile,
               std::string *error, double *processorSeconds = nullptr,
               const std::function<void(double seconds)> &progress = nullptr);

// Makes a fresh folder in the system's temporary folder (TMPDIR, else /tmp)
// named prefix<process number>-XXXXXX, so that a later run can tell whether
// its owner still lives. Empty with *error set on failure.
std::string makeTemporaryFolder(const std::string &prefix, std::string *error);

// Removes the folders makeTemporaryFolder(prefix) made for processes that
// are gone (killed before they could clean up): only real folders (no
// links) of this user. Returns how many it removed.
int removeStaleWorkFolders(const std::string &prefix);

// Removes a folder and everything in it; false when something remained.
bool removeFolder(const std::string &path);

// While one of these lives, an interrupt (SIGINT, SIGTERM, SIGHUP) does not
// end the process at once, so that the command can remove its scratch folder
// first: the program runProgram is waiting for is stopped, runProgram fails,
// and received() names the signal, which the command checks between its own
// steps. After unwinding, endIfInterrupted() ends the process by that same
// signal, as whoever sent it expects. A second interrupt ends the process at
// once. Signals the caller's parent set to be ignored stay ignored. One scope
// at a time.
class InterruptionScope {
 public:
  InterruptionScope();
  ~InterruptionScope();
  InterruptionScope(const InterruptionScope &) = delete;
  InterruptionScope &operator=(const InterruptionScope &) = delete;

  // The interrupt received since the scope began, 0 while none.
  static int received();
  void endIfInterrupted();
};

}  // namespace qvb::platform
