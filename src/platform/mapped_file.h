// A file's bytes mapped read-only into memory.
//
// Reading a large file through a mapping costs no copy and no fresh memory:
// the pages are the system's file cache itself. The bytes stay valid while
// the object lives, also when the file is replaced by renaming another file
// over it. Truncating or rewriting the file in place while it is mapped is
// not safe (touching a page that no longer exists stops the process), which
// is why readers that keep views also offer a copying mode. Pages are not
// mapped ahead at opening: a reader of one body, or of the surface mesh
// only, must not pull a whole large file from disk. Files of 2 MiB and more
// are mapped on a 2 MiB boundary and marked for huge pages, so that pieces
// of the file cache of that size are mapped one entry each.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace qvb::platform {

class MappedFile {
 public:
  // The whole file, or null with *error set to the system's reason ("No such
  // file or directory"). An empty file maps to no bytes.
  static std::shared_ptr<const MappedFile> open(const std::string &path, std::string *error);

  ~MappedFile();
  MappedFile(const MappedFile &) = delete;
  MappedFile &operator=(const MappedFile &) = delete;

  const unsigned char *data() const { return data_; }
  size_t size() const { return size_; }

  // Announces that the bytes [at, at + size) of the mapping are about to be
  // read through: their pages are mapped in one call where the system can,
  // instead of one fault per few pages on first touch (page faults:
  // bench/README.md). Only a hint; nothing changes if refused.
  void willRead(const unsigned char *at, size_t size) const;

 private:
  MappedFile(const unsigned char *data, size_t size) : data_(data), size_(size) {}
  const unsigned char *data_;
  size_t size_;
};

}  // namespace qvb::platform
