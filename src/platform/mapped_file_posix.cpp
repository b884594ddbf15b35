#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/mapped_file.h"

namespace qvb::platform {

std::shared_ptr<const MappedFile> MappedFile::open(const std::string &path, std::string *error) {
  auto failed = [&](int code) {
    if (error) *error = std::strerror(code);
    return nullptr;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return failed(errno);
  struct stat status;
  int code = 0;
  if (fstat(fd, &status) != 0) code = errno;
  else if (S_ISDIR(status.st_mode)) code = EISDIR;
  else if (!S_ISREG(status.st_mode)) code = ENODEV;  // pipes and devices have no bytes to map
  if (code != 0) {
    ::close(fd);
    return failed(code);
  }
  const size_t size = static_cast<size_t>(status.st_size);
  void *data = nullptr;
  if (size > 0) {
    data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
      const int code = errno;
      ::close(fd);
      return failed(code);
    }
  }
  ::close(fd);  // the mapping keeps the file
  return std::shared_ptr<const MappedFile>(new MappedFile(static_cast<const unsigned char *>(data), size));
}

void MappedFile::willRead(const unsigned char *at, size_t size) const {
#ifdef MADV_POPULATE_READ
  if (size == 0 || at < data_ || at + size > data_ + size_) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = reinterpret_cast<uintptr_t>(at) / page * page;
  madvise(reinterpret_cast<void *>(first), reinterpret_cast<uintptr_t>(at) + size - first, MADV_POPULATE_READ);
#else
  (void)at;
  (void)size;
#endif
}

MappedFile::~MappedFile() {
  if (size_ > 0) munmap(const_cast<unsigned char *>(data_), size_);
}

}  // namespace qvb::platform
