// The one place that knows the operating system.
//
// Everything the library, its plug-ins and the commands need from the OS
// (dynamic loading, file status, creating, writing, syncing, renaming and
// removing files, file streams, environment reads, system identification,
// child processes, interrupt signals and threads) goes through the table
// below, so tests can replace any of it to inject faults or to pretend to be
// another system. Nothing outside src/platform includes dlfcn.h, fcntl.h,
// unistd.h or sys/utsname.h, or opens a file itself. (Mapped files and large
// arrays, mapped_file.h and large_array.h, are here as well.)
//
// One table per process: libqvb carries it and exports this namespace to the
// commands, which link no copy of their own. Plug-ins are self-contained and
// keep a hidden copy (a host other than libqvb may load them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qvb::platform {

// What the running system calls itself (the uname sysname and release).
struct SystemIdentity {
  std::string systemName;
  std::string release;
};

// What a writer keeps of a file it replaces.
struct FileStatus {
  uint32_t mode = 0;  // permission bits
  uint32_t owner = 0, group = 0;
  uint64_t links = 1;  // names the file has (hard links)
  bool locked = true;  // false where the file system gives no advisory locks
};

// How a child process ended.
struct ProcessEnd {
  int exitStatus = -1;          // 0..255 when it exited, else -1
  int signal = 0;               // the signal that ended it, else 0
  double processorSeconds = 0;  // user and system time of all its threads
};

// The raw OS operations. Every pointer must be set; a test override usually
// copies hostOs() and replaces one or two members.
struct OsInterface {
  // Loads a shared library with all symbols bound now and kept local.
  // Returns null on failure; takeLibraryError() then describes it.
  void *(*openLibrary)(const char *path);
  // Address of an exported symbol, or null.
  void *(*findSymbol)(void *handle, const char *name);
  // As findSymbol, but only a symbol the library defines itself: null for
  // one that the lookup finds in a library it depends on.
  void *(*findOwnSymbol)(void *handle, const char *name);
  void (*closeLibrary)(void *handle);
  // The loader's text for the last failure since the previous call, or null
  // when there was none. Reading it clears it, like dlerror.
  const char *(*takeLibraryError)();
  // True when the path's status can be read and it is not a directory.
  bool (*isLoadableFile)(const char *path);
  // The value of an environment variable, or null when it is not defined.
  const char *(*getEnv)(const char *name);
  // Fills the identity; false when the system would not say.
  bool (*identifySystem)(SystemIdentity *identity);
  // Wall-clock time in seconds since the epoch, millisecond resolution.
  double (*wallClock)();

  // Files the library writes. Each returns 0 or the system's error number
  // (an errno value), so that a replacement can fail any step the way the
  // system would.
  // Creates a file that must not exist yet (EEXIST otherwise), for writing
  // (and reading, which a writable mapping of it needs).
  int (*createFile)(const char *path, int *descriptor);
  // Writes all `size` bytes at `offset`; on failure some may have been written.
  int (*writeFileAt)(int descriptor, const void *data, size_t size, uint64_t offset);
  // Returns once the file's bytes are on the disk.
  int (*syncFile)(int descriptor);
  int (*closeFile)(int descriptor);
  // Puts `from` in the place of `to` in one step (replacing `to`).
  int (*renameFile)(const char *from, const char *to);
  int (*removeFile)(const char *path);
  // A C stream on the file (fopen modes), for text; null with errno set.
  std::FILE *(*openStream)(const char *path, const char *mode);

  // Replacing a file whole (replaced_file.h builds on these).
  // Opens the existing file and takes its exclusive advisory lock, waiting
  // up to `seconds` for other holders (ETIMEDOUT after that); ENOENT when
  // there is no such file. Once locked, the path must still name the file
  // that was opened (a writer that held the lock may have replaced it):
  // otherwise the new file there is locked instead. Fills *status.
  int (*lockExistingFile)(const char *path, double seconds, int *descriptor, FileStatus *status);
  // Creates a file with no name in the folder, for writing and reading;
  // EOPNOTSUPP (or another error number) where the file system cannot.
  int (*createAnonymousFile)(const char *folder, int *descriptor);
  // Gives an anonymous file a name that must not exist yet (EEXIST).
  int (*linkAnonymousFile)(int descriptor, const char *path);
  // Gives the file `from` the second name `to`, which must not exist yet.
  int (*linkFile)(const char *from, const char *to);
  // Sets the permission bits, then the owner and group where the process
  // may (an unprivileged process keeps what it can and is not refused).
  int (*setAccess)(int descriptor, const FileStatus &status);
  // Returns once the folder's entries (a rename into it) are on the disk.
  int (*syncFolder)(const char *folder);

  // Writing a file in place (in_place_run.h).
  // Allocates the bytes [offset, offset + size) of a file opened for writing
  // on the disk, growing the file to cover them; EOPNOTSUPP where the file
  // system cannot, without writing anything.
  int (*reserveFileSpace)(int descriptor, uint64_t offset, uint64_t size);
  // Maps the bytes [offset, offset + size) of the file shared and writable:
  // *bytes is the address of the byte at offset.
  int (*mapForWriting)(int descriptor, uint64_t offset, size_t size, char **bytes);
  // Undoes mapForWriting with the same offset and size.
  int (*unmapForWriting)(char *bytes, uint64_t offset, size_t size);

  // Child processes (child_process.h builds on these). 0 or an errno value.
  // Starts the program argv[0] (a path; argv ends with null) in folder
  // workDir, reading nothing and appending its output and errors to logFile
  // (a relative name is the caller's folder). The child dies with the
  // calling thread, also when that is killed outright, so no solver runs on
  // for a command that is gone. *process receives its number.
  int (*startProcess)(const char *const *argv, const char *workDir, const char *logFile, long *process);
  // Waits up to `seconds` for the process to end and collects it: 0 with
  // *end filled, ETIMEDOUT while it runs on, EINTR when a signal came first.
  int (*waitProcess)(long process, double seconds, ProcessEnd *end);
  // Sends the signal; 0 only asks whether the process exists (ESRCH if not).
  int (*signalProcess)(long process, int signal);

  // Interrupt signals (InterruptionScope). catchSignal makes handler run on
  // the signal, once (the default action is back as it runs), and keeps what
  // was there; false, changing nothing, for a signal that is ignored (the
  // parent wanted it so) or cannot be caught. releaseSignal puts back what
  // catchSignal replaced. endBySignal ends the process by the signal's
  // default action.
  bool (*catchSignal)(int signal, void (*handler)(int));
  void (*releaseSignal)(int signal);
  void (*endBySignal)(int signal);

  // Threads (worker_threads.h): 0, or an errno value (EAGAIN when the
  // system has no more threads to give).
  int (*startThread)(void *(*body)(void *), void *argument, uint64_t *thread);
  int (*joinThread)(uint64_t thread);
};

// The real operating system.
const OsInterface &hostOs();

// The table in use (hostOs() unless a test installed another).
const OsInterface &os();

// Installs a replacement table; null restores the host. The caller keeps the
// table alive while it is installed.
void installOs(const OsInterface *replacement);

// Installs a replacement for one scope.
class ScopedOs {
 public:
  explicit ScopedOs(const OsInterface &replacement) { installOs(&replacement); }
  ~ScopedOs() { installOs(nullptr); }
  ScopedOs(const ScopedOs &) = delete;
  ScopedOs &operator=(const ScopedOs &) = delete;
};

// Convenience wrappers over os(). The library wrappers keep the text of the
// most recent loader failure, so that it can be asked for later (the way a
// thread's "last error" works elsewhere): each open or symbol lookup first
// forgets the previous text, then records its own failure, if any.
void *openLibrary(const char *path);
void *findSymbol(void *handle, const char *name);
// Looks up a symbol the library defines itself, without touching the kept
// failure text: for optional entry points, whose absence is normal and must
// not read as an error, and which must never be a dependency's function of
// the same name (a plug-in linked with this library would otherwise run the
// library's own "_terminate" as its own).
void *probeOwnSymbol(void *handle, const char *name);
void closeLibrary(void *handle);
// The kept failure text, or null when the last operation succeeded.
const char *lastLibraryError();

bool isLoadableFile(const char *path);
// True for a plain file (not a folder, device, pipe or socket).
bool isRegularFile(const char *path);
// The same status probe, for any file: true when the path is there and is
// not a directory.
inline bool isFile(const char *path) { return isLoadableFile(path); }
const char *getEnv(const char *name);
bool identifySystem(SystemIdentity *identity);
double wallClock();

// The file operations of the table (0 or an errno value).
int createFile(const char *path, int *descriptor);
int writeFileAt(int descriptor, const void *data, size_t size, uint64_t offset);
int syncFile(int descriptor);
int closeFile(int descriptor);
int renameFile(const char *from, const char *to);
int removeFile(const char *path);
std::FILE *openStream(const char *path, const char *mode);
int lockExistingFile(const char *path, double seconds, int *descriptor, FileStatus *status);
int createAnonymousFile(const char *folder, int *descriptor);
int linkAnonymousFile(int descriptor, const char *path);
int linkFile(const char *from, const char *to);
int setAccess(int descriptor, const FileStatus &status);
int syncFolder(const char *folder);
int reserveFileSpace(int descriptor, uint64_t offset, uint64_t size);
int mapForWriting(int descriptor, uint64_t offset, size_t size, char **bytes);
int unmapForWriting(char *bytes, uint64_t offset, size_t size);
// Gives up a lock taken by lockExistingFile (closes its descriptor).
void releaseLock(int descriptor);

// The file a path names once symbolic links are followed (the path itself
// when it is no link, or when the file a link names does not exist yet).
// 0 or the system's error number (ELOOP for a cycle).
int followLinks(const std::string &path, std::string *target);
// The names in a folder (without "." and ".."); empty when it cannot be read.
std::vector<std::string> folderEntries(const std::string &folder);
// False only when no process with this number runs (the system says so).
bool isProcessRunning(long id);
// The child process and thread operations of the table.
int startProcess(const char *const *argv, const char *workDir, const char *logFile, long *process);
int waitProcess(long process, double seconds, ProcessEnd *end);
int signalProcess(long process, int signal);
int startThread(void *(*body)(void *), void *argument, uint64_t *thread);
int joinThread(uint64_t thread);

// This process's number, for names no other process picks at the same time.
long processId();
// The running program's own file, or "" when the system will not say.
std::string executablePath();
// True when the path is a folder.
bool isDirectory(const char *path);
// True when the stream writes to a terminal (a person is watching it).
bool isTerminal(std::FILE *stream);

}  // namespace qvb::platform
