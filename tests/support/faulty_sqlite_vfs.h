// A database's file operations are SQLite's own, made through its OS layer
// (a "VFS"), not through the library's platform seam. This fake wraps
// SQLite's default VFS for one scope and fails its writes, syncs and
// truncations from a chosen point on, the way a full disk or a failing device
// would; the stores' connections use the default VFS and so meet the faults.
// Static state: one FaultySqliteVfs at a time. Link SQLite::SQLite3.
#pragma once

#include <sqlite3.h>

#include <cstdint>

namespace qvbtest {

class FaultySqliteVfs {
 public:
  // Every write, sync or truncation from the `operation`-th (from 0) on fails
  // (negative: none does, they are only counted).
  explicit FaultySqliteVfs(int64_t operation) {
    State &s = state();
    s = State{};
    s.failFrom = operation;
    s.real = sqlite3_vfs_find(nullptr);
    s.vfs = *s.real;
    s.vfs.zName = "qvbtest-faulty";
    s.vfs.szOsFile = static_cast<int>(sizeof(File)) + s.real->szOsFile;
    s.vfs.xOpen = open;
    s.vfs.pNext = nullptr;
    sqlite3_vfs_register(&s.vfs, 1);
  }
  ~FaultySqliteVfs() {
    sqlite3_vfs_unregister(&state().vfs);
    sqlite3_vfs_register(state().real, 1);
  }
  FaultySqliteVfs(const FaultySqliteVfs &) = delete;
  FaultySqliteVfs &operator=(const FaultySqliteVfs &) = delete;

  // Writes, syncs and truncations seen (to find every point of a write).
  int64_t operations() const { return state().operations; }

 private:
  // Our file record, followed in the same allocation by the real VFS's.
  struct File {
    sqlite3_file base;
    sqlite3_file *real;
  };
  struct State {
    sqlite3_vfs *real = nullptr;
    sqlite3_vfs vfs{};
    sqlite3_io_methods methods{};
    int64_t failFrom = -1, operations = 0;
  };
  static State &state() {
    static State instance;
    return instance;
  }
  static sqlite3_file *real(sqlite3_file *file) { return reinterpret_cast<File *>(file)->real; }
  static bool fault() {
    State &s = state();
    const int64_t operation = s.operations++;
    return s.failFrom >= 0 && operation >= s.failFrom;
  }

  static int open(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags) {
    File *ours = reinterpret_cast<File *>(file);
    ours->real = reinterpret_cast<sqlite3_file *>(ours + 1);
    ours->base.pMethods = nullptr;
    const int rc = state().real->xOpen(state().real, name, ours->real, flags, outFlags);
    if (ours->real->pMethods == nullptr) return rc;
    // The same methods as the real file, with the three that change the disk wrapped.
    State &s = state();
    s.methods = *ours->real->pMethods;
    s.methods.xClose = [](sqlite3_file *f) {
      const int closed = real(f)->pMethods->xClose(real(f));
      f->pMethods = nullptr;
      return closed;
    };
    s.methods.xRead = [](sqlite3_file *f, void *data, int size, sqlite3_int64 offset) {
      return real(f)->pMethods->xRead(real(f), data, size, offset);
    };
    s.methods.xWrite = [](sqlite3_file *f, const void *data, int size, sqlite3_int64 offset) {
      return fault() ? SQLITE_FULL : real(f)->pMethods->xWrite(real(f), data, size, offset);
    };
    s.methods.xTruncate = [](sqlite3_file *f, sqlite3_int64 size) {
      return fault() ? SQLITE_IOERR_TRUNCATE : real(f)->pMethods->xTruncate(real(f), size);
    };
    s.methods.xSync = [](sqlite3_file *f, int flags) {
      return fault() ? SQLITE_IOERR_FSYNC : real(f)->pMethods->xSync(real(f), flags);
    };
    s.methods.xFileSize = [](sqlite3_file *f, sqlite3_int64 *size) { return real(f)->pMethods->xFileSize(real(f), size); };
    s.methods.xLock = [](sqlite3_file *f, int lock) { return real(f)->pMethods->xLock(real(f), lock); };
    s.methods.xUnlock = [](sqlite3_file *f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); };
    s.methods.xCheckReservedLock = [](sqlite3_file *f, int *out) {
      return real(f)->pMethods->xCheckReservedLock(real(f), out);
    };
    s.methods.xFileControl = [](sqlite3_file *f, int op, void *arg) {
      return real(f)->pMethods->xFileControl(real(f), op, arg);
    };
    s.methods.xSectorSize = [](sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); };
    s.methods.xDeviceCharacteristics = [](sqlite3_file *f) {
      return real(f)->pMethods->xDeviceCharacteristics(real(f));
    };
    if (s.methods.iVersion >= 2) {
      s.methods.xShmMap = [](sqlite3_file *f, int page, int size, int extend, void volatile **out) {
        return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
      };
      s.methods.xShmLock = [](sqlite3_file *f, int offset, int n, int flags) {
        return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
      };
      s.methods.xShmBarrier = [](sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); };
      s.methods.xShmUnmap = [](sqlite3_file *f, int remove) { return real(f)->pMethods->xShmUnmap(real(f), remove); };
    }
    if (s.methods.iVersion >= 3) {
      // Pages read through a memory map could bypass xRead; none are handed out.
      s.methods.xFetch = [](sqlite3_file *, sqlite3_int64, int, void **out) {
        *out = nullptr;
        return SQLITE_OK;
      };
      s.methods.xUnfetch = [](sqlite3_file *, sqlite3_int64, void *) { return SQLITE_OK; };
    }
    file->pMethods = &s.methods;
    return rc;
  }
};

}  // namespace qvbtest
