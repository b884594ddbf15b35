// POSIX implementation of the OS table (dlopen, stat, getenv, uname, file
// descriptors and streams; processes, signals and threads come from
// host_processes_posix.cpp).
#include "platform/os.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <fcntl.h>
#include <dirent.h>
#include <unistd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/host_os.h"

namespace qvb::platform {
namespace {

// The dynamic loader maps every segment a library announces; a file cut short
// (an interrupted copy or install) then faults on first touch and takes the
// whole host down. A library whose segments do not fit in its file is refused
// up front instead. Files that are not ELF at all are left to dlopen, which
// reports them itself.
bool segmentsFitInFile(const char *path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  struct stat status;
  Elf64_Ehdr header;
  bool fits = true;
  if (::fstat(fd, &status) == 0 && ::pread(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == ELFCLASS64) {
    const auto size = static_cast<uint64_t>(status.st_size);
    fits = header.e_phoff + static_cast<uint64_t>(header.e_phnum) * sizeof(Elf64_Phdr) <= size;
    for (int i = 0; fits && i < header.e_phnum; ++i) {
      Elf64_Phdr segment;
      if (::pread(fd, &segment, sizeof segment, static_cast<off_t>(header.e_phoff + i * sizeof segment)) !=
          static_cast<ssize_t>(sizeof segment)) {
        fits = false;
      } else if (segment.p_type == PT_LOAD) {
        fits = segment.p_offset + segment.p_filesz <= size;
      }
    }
  }
  ::close(fd);
  return fits;
}

const char *g_truncatedMessage = nullptr;

void *hostOpen(const char *path) {
  if (path != nullptr && !segmentsFitInFile(path)) {
    g_truncatedMessage = "the file is shorter than the library it describes (cut short?)";
    return nullptr;
  }
  g_truncatedMessage = nullptr;
  return ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void *hostSymbol(void *handle, const char *name) { return ::dlsym(handle, name); }
// dlsym searches the library's dependencies too; the object that defines the
// symbol must be the library itself.
void *hostOwnSymbol(void *handle, const char *name) {
  void *address = ::dlsym(handle, name);
  if (address == nullptr) return nullptr;
  link_map *library = nullptr, *owner = nullptr;
  Dl_info info;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 ||
      ::dladdr1(address, &info, reinterpret_cast<void **>(&owner), RTLD_DL_LINKMAP) == 0 || owner != library)
    return nullptr;
  return address;
}
void hostClose(void *handle) { ::dlclose(handle); }
const char *hostTakeError() {
  if (g_truncatedMessage != nullptr) {
    const char *message = g_truncatedMessage;
    g_truncatedMessage = nullptr;
    return message;
  }
  return ::dlerror();
}

bool hostIsLoadableFile(const char *path) {
  struct stat status;
  return ::stat(path, &status) == 0 && !S_ISDIR(status.st_mode);
}

const char *hostGetEnv(const char *name) { return std::getenv(name); }

bool hostIdentify(SystemIdentity *identity) {
  struct utsname names;
  if (::uname(&names) != 0) return false;
  identity->systemName = names.sysname;
  identity->release = names.release;
  return true;
}

double hostWallClock() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() / 1000.0;
}

// The system's error number of a failed call (never 0, so that a failure
// cannot read as success).
int lastErrno() { return errno != 0 ? errno : EIO; }

int hostCreateFile(const char *path, int *descriptor) {
  const int fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return lastErrno();
  *descriptor = fd;
  return 0;
}

int hostWriteFileAt(int descriptor, const void *data, size_t size, uint64_t offset) {
  const auto *bytes = static_cast<const unsigned char *>(data);
  while (size > 0) {
    const ssize_t written = ::pwrite(descriptor, bytes, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return lastErrno();
    }
    if (written == 0) return EIO;
    bytes += written;
    size -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return 0;
}

int hostSyncFile(int descriptor) { return ::fsync(descriptor) == 0 ? 0 : lastErrno(); }
int hostCloseFile(int descriptor) { return ::close(descriptor) == 0 ? 0 : lastErrno(); }
int hostRenameFile(const char *from, const char *to) { return std::rename(from, to) == 0 ? 0 : lastErrno(); }
int hostRemoveFile(const char *path) { return std::remove(path) == 0 ? 0 : lastErrno(); }
std::FILE *hostOpenStream(const char *path, const char *mode) { return std::fopen(path, mode); }

// Polls for the lock until the deadline: flock has no timeout of its own,
// and a signal-driven one would disturb the host. A file system without
// locks (some network mounts) is written unlocked, as before there were
// locks at all; *locked tells the caller, who warns.
int waitForLock(int fd, std::chrono::steady_clock::time_point deadline, bool *locked) {
  auto pause = std::chrono::milliseconds(1);
  *locked = true;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
      *locked = false;
      return 0;
    }
    if (errno != EWOULDBLOCK) return lastErrno();
    if (std::chrono::steady_clock::now() >= deadline) return ETIMEDOUT;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

int hostLockExistingFile(const char *path, double seconds, int *descriptor, FileStatus *status) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                             std::chrono::duration<double>(seconds));
  for (;;) {
    // Non-blocking: opening a pipe for reading would wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return lastErrno();
    struct stat opened, now;
    int code = ::fstat(fd, &opened) != 0 ? lastErrno() : 0;
    if (code == 0 && !S_ISREG(opened.st_mode)) code = S_ISDIR(opened.st_mode) ? EISDIR : EINVAL;
    bool locked = true;
    if (code == 0) code = waitForLock(fd, deadline, &locked);
    if (code != 0) {
      ::close(fd);
      return code;
    }
    if (::stat(path, &now) == 0 && now.st_dev == opened.st_dev && now.st_ino == opened.st_ino) {
      status->mode = opened.st_mode & 07777;
      status->owner = opened.st_uid;
      status->group = opened.st_gid;
      status->links = opened.st_nlink;
      status->locked = locked;
      *descriptor = fd;
      return 0;
    }
    ::close(fd);  // replaced or removed while this writer waited: take what is there now
  }
}

int hostCreateAnonymousFile(const char *folder, int *descriptor) {
#ifdef O_TMPFILE
  // Naming it later goes through /proc (linkat by descriptor needs privileges).
  if (::access("/proc/self/fd", X_OK) != 0) return EOPNOTSUPP;
  const int fd = ::open(*folder != '\0' ? folder : ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0) return lastErrno();
  *descriptor = fd;
  return 0;
#else
  (void)folder;
  (void)descriptor;
  return EOPNOTSUPP;
#endif
}

int hostLinkAnonymousFile(int descriptor, const char *path) {
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0 ? 0 : lastErrno();
}

int hostLinkFile(const char *from, const char *to) { return ::link(from, to) == 0 ? 0 : lastErrno(); }

int hostSetAccess(int descriptor, const FileStatus &status) {
  // Owner first: changing it clears the set-user and set-group bits.
  if (::fchown(descriptor, status.owner, status.group) != 0)
    (void)!::fchown(descriptor, static_cast<uid_t>(-1), status.group);  // a group of one's own, at least
  return ::fchmod(descriptor, status.mode) == 0 ? 0 : lastErrno();
}

int hostSyncFolder(const char *folder) {
  const int fd = ::open(*folder != '\0' ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return lastErrno();
  int code = ::fsync(fd) == 0 ? 0 : lastErrno();
  if (code == EINVAL) code = 0;  // a file system that cannot sync folders (nothing more to do)
  ::close(fd);
  return code;
}

int hostReserveFileSpace(int descriptor, uint64_t offset, uint64_t size) {
  // fallocate itself, not posix_fallocate: where the file system has no
  // allocation of its own, the C library's stand-in writes zeros through
  // the whole range, which costs as much as the text it would make room for.
  for (;;) {
    if (::fallocate(descriptor, 0, static_cast<off_t>(offset), static_cast<off_t>(size)) == 0) return 0;
    if (errno == EINTR) continue;
    return errno == ENOSYS ? EOPNOTSUPP : lastErrno();
  }
}

// Mappings start on a page boundary: the mapped span begins that far
// before the offset asked for.
uint64_t pageLead(uint64_t offset) { return offset % static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)); }

int hostMapForWriting(int descriptor, uint64_t offset, size_t size, char **bytes) {
  const uint64_t lead = pageLead(offset);
  void *span = ::mmap(nullptr, size + lead, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor,
                      static_cast<off_t>(offset - lead));
  if (span == MAP_FAILED) return lastErrno();
  *bytes = static_cast<char *>(span) + lead;
  return 0;
}

int hostUnmapForWriting(char *bytes, uint64_t offset, size_t size) {
  const uint64_t lead = pageLead(offset);
  return ::munmap(bytes - lead, size + lead) == 0 ? 0 : lastErrno();
}

const OsInterface kHost = {hostOpen,        hostSymbol,      hostOwnSymbol,  hostClose,       hostTakeError,
                           hostIsLoadableFile, hostGetEnv,   hostIdentify,   hostWallClock,   hostCreateFile,
                           hostWriteFileAt, hostSyncFile,    hostCloseFile,  hostRenameFile,  hostRemoveFile,
                           hostOpenStream, hostLockExistingFile, hostCreateAnonymousFile, hostLinkAnonymousFile,
                           hostLinkFile, hostSetAccess, hostSyncFolder, hostReserveFileSpace,
                           hostMapForWriting, hostUnmapForWriting, host::startProcess, host::waitProcess,
                           host::signalProcess, host::catchSignal, host::releaseSignal, host::endBySignal,
                           host::startThread, host::joinThread};

const OsInterface *g_current = &kHost;

// The kept failure text. Static storage with no destructor: libraries are
// still unloaded by other static objects' destructors at process exit. Plain
// state, like the rest of the loader: used from one thread at a time.
char g_lastError[1025];
bool g_hasLastError = false;

void forgetError() {
  os().takeLibraryError();  // drop anything stale left by earlier calls
  g_hasLastError = false;
}

void keepError() {
  const char *text = os().takeLibraryError();
  g_hasLastError = text != nullptr;
  if (text != nullptr) std::snprintf(g_lastError, sizeof g_lastError, "%s", text);
}

}  // namespace

const OsInterface &hostOs() { return kHost; }
const OsInterface &os() { return *g_current; }
void installOs(const OsInterface *replacement) { g_current = replacement != nullptr ? replacement : &kHost; }

void *openLibrary(const char *path) {
  if (path == nullptr) return nullptr;
  forgetError();
  void *handle = os().openLibrary(path);
  if (handle == nullptr) keepError();
  return handle;
}

void *findSymbol(void *handle, const char *name) {
  if (handle == nullptr || name == nullptr) return nullptr;
  forgetError();
  void *address = os().findSymbol(handle, name);
  if (address == nullptr) keepError();
  return address;
}

void *probeOwnSymbol(void *handle, const char *name) {
  if (handle == nullptr || name == nullptr) return nullptr;
  void *address = os().findOwnSymbol(handle, name);
  if (address == nullptr) os().takeLibraryError();
  return address;
}

void closeLibrary(void *handle) {
  if (handle != nullptr) os().closeLibrary(handle);
}

const char *lastLibraryError() { return g_hasLastError ? g_lastError : nullptr; }

bool isLoadableFile(const char *path) { return path != nullptr && *path != '\0' && os().isLoadableFile(path); }

bool isRegularFile(const char *path) {
  struct stat status;
  return path != nullptr && ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

const char *getEnv(const char *name) { return name != nullptr ? os().getEnv(name) : nullptr; }

bool identifySystem(SystemIdentity *identity) { return identity != nullptr && os().identifySystem(identity); }

double wallClock() { return os().wallClock(); }

int createFile(const char *path, int *descriptor) {
  return path != nullptr && descriptor != nullptr ? os().createFile(path, descriptor) : EINVAL;
}
int writeFileAt(int descriptor, const void *data, size_t size, uint64_t offset) {
  return size == 0 ? 0 : os().writeFileAt(descriptor, data, size, offset);
}
int syncFile(int descriptor) { return os().syncFile(descriptor); }
int closeFile(int descriptor) { return os().closeFile(descriptor); }
int renameFile(const char *from, const char *to) {
  return from != nullptr && to != nullptr ? os().renameFile(from, to) : EINVAL;
}
int removeFile(const char *path) { return path != nullptr ? os().removeFile(path) : EINVAL; }
std::FILE *openStream(const char *path, const char *mode) {
  if (path == nullptr || mode == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  return os().openStream(path, mode);
}

int lockExistingFile(const char *path, double seconds, int *descriptor, FileStatus *status) {
  return path != nullptr && descriptor != nullptr && status != nullptr
             ? os().lockExistingFile(path, seconds, descriptor, status)
             : EINVAL;
}
int createAnonymousFile(const char *folder, int *descriptor) {
  return folder != nullptr && descriptor != nullptr ? os().createAnonymousFile(folder, descriptor) : EINVAL;
}
int linkAnonymousFile(int descriptor, const char *path) {
  return path != nullptr ? os().linkAnonymousFile(descriptor, path) : EINVAL;
}
int linkFile(const char *from, const char *to) {
  return from != nullptr && to != nullptr ? os().linkFile(from, to) : EINVAL;
}
int setAccess(int descriptor, const FileStatus &status) { return os().setAccess(descriptor, status); }
int syncFolder(const char *folder) { return folder != nullptr ? os().syncFolder(folder) : EINVAL; }
int reserveFileSpace(int descriptor, uint64_t offset, uint64_t size) {
  return size == 0 ? 0 : os().reserveFileSpace(descriptor, offset, size);
}
int mapForWriting(int descriptor, uint64_t offset, size_t size, char **bytes) {
  return size > 0 && bytes != nullptr ? os().mapForWriting(descriptor, offset, size, bytes) : EINVAL;
}
int unmapForWriting(char *bytes, uint64_t offset, size_t size) {
  return bytes != nullptr ? os().unmapForWriting(bytes, offset, size) : EINVAL;
}

void releaseLock(int descriptor) {
  if (descriptor >= 0) ::close(descriptor);
}

int followLinks(const std::string &path, std::string *target) {
  std::string current = path;
  for (int hops = 0;; ++hops) {
    struct stat status;
    if (::lstat(current.c_str(), &status) != 0) {
      if (errno != ENOENT) return lastErrno();
      break;  // a file yet to be written (also where a link points)
    }
    if (!S_ISLNK(status.st_mode)) break;
    if (hops == 40) return ELOOP;  // the system's own limit
    char named[4096];
    const ssize_t length = ::readlink(current.c_str(), named, sizeof named);
    if (length < 0) return lastErrno();
    if (static_cast<size_t>(length) == sizeof named) return ENAMETOOLONG;
    const std::string link(named, static_cast<size_t>(length));
    // A relative link is read from the link's own folder.
    const size_t slash = current.rfind('/');
    current = link[0] == '/' || slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
  }
  *target = current;
  return 0;
}

std::vector<std::string> folderEntries(const std::string &folder) {
  std::vector<std::string> names;
  DIR *entries = ::opendir(folder.empty() ? "." : folder.c_str());
  if (entries == nullptr) return names;
  while (const dirent *entry = ::readdir(entries)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(entries);
  return names;
}

bool isProcessRunning(long id) { return id > 0 && os().signalProcess(id, 0) != ESRCH; }

int startProcess(const char *const *argv, const char *workDir, const char *logFile, long *process) {
  return argv != nullptr && argv[0] != nullptr && workDir != nullptr && logFile != nullptr && process != nullptr
             ? os().startProcess(argv, workDir, logFile, process)
             : EINVAL;
}
int waitProcess(long process, double seconds, ProcessEnd *end) {
  return end != nullptr ? os().waitProcess(process, seconds, end) : EINVAL;
}
int signalProcess(long process, int signal) { return os().signalProcess(process, signal); }
int startThread(void *(*body)(void *), void *argument, uint64_t *thread) {
  return body != nullptr && thread != nullptr ? os().startThread(body, argument, thread) : EINVAL;
}
int joinThread(uint64_t thread) { return os().joinThread(thread); }

long processId() { return static_cast<long>(::getpid()); }

std::string executablePath() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  return std::string(path, static_cast<size_t>(length));
}

bool isDirectory(const char *path) {
  struct stat status;
  return path != nullptr && ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool isTerminal(std::FILE *stream) { return stream != nullptr && ::isatty(::fileno(stream)) == 1; }

}  // namespace qvb::platform
