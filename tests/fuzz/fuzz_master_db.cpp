// Reads a hostile database file.
//
// First byte even: the rest is the whole file, as a damaged or foreign file
// would arrive (seeded with a real database). First byte odd: the rest is a
// list of block rows that are written, with matching checksums, into a
// database of our own schema, so that hostile block contents reach the
// decoder behind a valid file. Each record: block number (2 bytes, signed),
// length (2 bytes), payload.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "block_codec.h"
#include "body_database.h"
#include "kernels/crc32c.h"
#include "support/fuzz_files.h"
#include "support/test_support.h"

using namespace qvb;

namespace {

// An empty database of our schema holding one body named "fuzz" without
// blocks, as bytes.
const std::string &emptyDatabase() {
  static const std::string bytes = [] {
    const std::string path = qvbfuzz::scratchFolder() + "/template.master";
    std::string error;
    body::Body empty;
    if (!database::writeBody(path, empty, "fuzz", &error)) std::abort();
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "DELETE FROM blocks; PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return qvbtest::readFile(path);
  }();
  return bytes;
}

void insertBlocks(const std::string &path, const uint8_t *data, size_t size) {
  sqlite3 *db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) std::abort();
  // One transaction without syncing: the disk is not under test here.
  sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt *insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO blocks(body_id, block, crc32c, data) VALUES (1, ?, ?, ?)", -1,
                     &insert, nullptr);
  std::map<int, std::vector<uint8_t>> rows;  // what the table holds afterwards
  size_t at = 0;
  while (size - at >= 4) {
    const int block = int16_t(data[at] | (data[at + 1] << 8));
    const size_t length = data[at + 2] | (size_t(data[at + 3]) << 8);
    at += 4;
    const size_t taken = length < size - at ? length : size - at;
    sqlite3_bind_int(insert, 1, block);
    sqlite3_bind_int64(insert, 2, kernels::crc32c(0, data + at, taken));
    static const uint8_t kNothing = 0;
    sqlite3_bind_blob(insert, 3, taken ? data + at : &kNothing, int(taken), SQLITE_TRANSIENT);
    if (sqlite3_step(insert) == SQLITE_DONE) rows[block].assign(data + at, data + at + taken);
    sqlite3_reset(insert);
    at += taken;
  }
  sqlite3_finalize(insert);
  // The body's row gives the counts its blocks decode to, as for a body the
  // library wrote, so that the blocks (not a stale row) decide how it reads.
  try {
    const auto decoded = body::decodeBody(body::EncodedBlocks(rows.begin(), rows.end()));
    sqlite3_stmt *counts = nullptr;
    sqlite3_prepare_v2(db, "UPDATE bodies SET node_count = ?, mode_count = ? WHERE id = 1", -1, &counts, nullptr);
    sqlite3_bind_int(counts, 1, decoded->nodeCount());
    sqlite3_bind_int(counts, 2, decoded->modeCount());
    sqlite3_step(counts);
    sqlite3_finalize(counts);
  } catch (const std::exception &) {
    // Blocks that do not decode are refused by the reader as well.
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const std::string path = qvbfuzz::scratchFolder() + "/input.master";
  // A journal left by the previous input would be replayed into this one.
  std::remove((path + "-wal").c_str());
  std::remove((path + "-shm").c_str());
  std::remove((path + "-journal").c_str());
  if (data[0] & 1) {
    const std::string &empty = emptyDatabase();
    qvbfuzz::writeScratchFile("input.master", empty.data(), empty.size());
    insertBlocks(path, data + 1, size - 1);
  } else {
    qvbfuzz::writeScratchFile("input.master", data + 1, size - 1);
  }

  std::string error;
  const int count = database::bodyCount(path, &error);
  for (int index = 1; index <= count && index <= 3; ++index) {
    database::BodyInfo info;
    database::bodyInfo(path, index, &info, &error);
    for (bool surfaceOnly : {false, true}) {
      auto read = database::readBody(path, index, "", surfaceOnly, &error);
      if (read) body::decodeBody(body::encodeBody(*read));
    }
  }
  database::readBody(path, 0, "fuzz", false, &error);
  return 0;
}
