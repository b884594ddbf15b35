#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/mapped_file.h"

namespace qvb::platform {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// The file at a 2 MiB boundary of the address space, marked for huge pages.
// Where the file cache holds a file in 2 MiB pieces (as it does for files
// written in large writes, or read ahead through such a mapping), each piece
// is then mapped by one entry instead of 512, and the first read of each
// entry is what costs (page faults: bench/README.md). Small files, or a refused
// reservation, get an ordinary mapping. MAP_FAILED on failure, as mmap.
void *mapAligned(int fd, size_t size) {
  void *reserved = size < kHugePage ? MAP_FAILED
                                    : mmap(nullptr, size + kHugePage, PROT_NONE,
                                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (reserved == MAP_FAILED) return mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  const uintptr_t start = reinterpret_cast<uintptr_t>(reserved);
  const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  void *data = mmap(reinterpret_cast<void *>(aligned), size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0);
  if (data == MAP_FAILED) {
    munmap(reserved, size + kHugePage);
    return MAP_FAILED;
  }
  // Give back the reservation around the file.
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t end = aligned + (size + page - 1) / page * page, reservedEnd = start + size + kHugePage;
  if (aligned > start) munmap(reserved, aligned - start);
  if (reservedEnd > end) munmap(reinterpret_cast<void *>(end), reservedEnd - end);
#ifdef MADV_HUGEPAGE
  madvise(data, size, MADV_HUGEPAGE);  // a wish: refused, the pages stay small
#endif
  return data;
}

}  // namespace

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
    data = mapAligned(fd, size);
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
  const uintptr_t begin = reinterpret_cast<uintptr_t>(at), start = reinterpret_cast<uintptr_t>(data_);
  if (size == 0 || begin < start || begin - start > size_ || size > size_ - (begin - start)) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = begin / page * page;
  madvise(reinterpret_cast<void *>(first), begin + size - first, MADV_POPULATE_READ);
#else
  (void)at;
  (void)size;
#endif
}

MappedFile::~MappedFile() {
  if (size_ > 0) munmap(const_cast<unsigned char *>(data_), size_);
}

}  // namespace qvb::platform
