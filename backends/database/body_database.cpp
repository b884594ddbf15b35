#include "body_database.h"

#include <ctime>
#include <exception>
#include <new>

#include "block_codec.h"
#include "kernels/crc32c.h"
#include "platform/os.h"
#include "sqlite_handle.h"
#include "util/body_selector.h"

namespace qvb::database {
namespace {

constexpr int kSchemaVersion = 1;

// The schema: one row per body, its blocks as checksummed blobs. The
// application id marks the file as ours before any table is read.
constexpr int kApplicationId = 0x51564244;  // "QVBD"

const char *const kCreateSchema = R"sql(
CREATE TABLE IF NOT EXISTS qvb_schema(version INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS bodies(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  created TEXT NOT NULL,
  modified TEXT NOT NULL,
  node_count INTEGER NOT NULL,
  mode_count INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS blocks(
  body_id INTEGER NOT NULL REFERENCES bodies(id) ON DELETE CASCADE,
  block INTEGER NOT NULL,
  crc32c INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(body_id, block));
)sql";

bool fileExists(const std::string &path) { return platform::isFile(path.c_str()); }

std::string nowIso8601() {
  std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// What a file opened as a database holds.
enum class Contents {
  kNothing,  // no table at all: an empty file, or one whose first write never committed
  kOurs,
};

// Refuses a file that is not one of our databases (checked before anything
// is read from it or written to it). A file without any table is a new
// database, whatever an interrupted first write left in its header.
Contents examine(Connection &db, const std::string &path) {
  const auto notOurs = [&](const std::string &why) { return DatabaseError(path + " is not a body database (" + why + ")"); };
  Statement id(db, "PRAGMA application_id");
  const int64_t applicationId = id.step() ? id.integer(0) : 0;
  Statement tables(db, "SELECT COUNT(*), SUM(name IN ('qvb_schema', 'bodies', 'blocks')) FROM sqlite_master WHERE type = 'table'");
  tables.step();
  if (tables.integer(0) == 0 && (applicationId == 0 || applicationId == kApplicationId)) return Contents::kNothing;
  if (applicationId != kApplicationId) throw notOurs("another program's database");
  if (tables.integer(1) != 3) throw notOurs("tables are missing");
  Statement schema(db, "SELECT version FROM qvb_schema");
  const int64_t version = schema.step() ? schema.integer(0) : -1;
  if (version < 1) throw notOurs("no schema version");
  if (version > kSchemaVersion) throw DatabaseError(path + " was written by a newer version of this library");
  return Contents::kOurs;
}

// Opens an existing database for reading; false when it holds no tables yet
// (a new database: no bodies).
std::unique_ptr<Connection> openForReading(const std::string &path, bool *holdsBodies) {
  if (!fileExists(path)) throw DatabaseError(path + ": no such database file");
  auto db = std::make_unique<Connection>(path, false);
  *holdsBodies = examine(*db, path) == Contents::kOurs;
  return db;
}

template <typename F>
auto reporting(std::string *error, decltype(std::declval<F>()()) failure, F &&work) {
  try {
    return work();
  } catch (const std::bad_alloc &) {
    if (error) *error = "out of memory";
  } catch (const std::exception &e) {
    if (error) *error = e.what();
  }
  return failure;
}

// Databases written by earlier versions kept a write-ahead log, whose
// readers need a -shm file beside the database. Leaving it needs the only
// connection; when others are open it is left for a later write, and the
// committed body is not affected either way.
void leaveWriteAheadLog(Connection &db) {
  Statement mode(db, "PRAGMA journal_mode");
  if (!mode.step() || mode.text(0) != "wal") return;
  sqlite3_exec(db.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
}

int64_t bodyIdAt(Connection &db, int index) {
  if (index < 1) return -1;
  Statement st(db, "SELECT id FROM bodies ORDER BY id LIMIT 1 OFFSET ?");
  st.bind(1, index - 1);
  return st.step() ? st.integer(0) : -1;
}

int64_t bodyIdNamed(Connection &db, const std::string &name) {
  Statement st(db, "SELECT id FROM bodies WHERE name = ?");
  st.bind(1, name);
  return st.step() ? st.integer(0) : -1;
}

}  // namespace

std::string defaultBodyName(const body::Body &b) {
  std::string name = b.header.title;
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  return name.empty() ? "body" : name;
}

int bodyCount(const std::string &path, std::string *error) {
  return reporting(error, -1, [&] {
    bool holdsBodies = false;
    auto db = openForReading(path, &holdsBodies);
    if (!holdsBodies) return 0;
    Statement st(*db, "SELECT COUNT(*) FROM bodies");
    st.step();
    return static_cast<int>(st.integer(0));
  });
}

int bodyNumber(const std::string &path, const std::string &name, std::string *error) {
  return reporting(error, -1, [&] {
    bool holdsBodies = false;
    auto db = openForReading(path, &holdsBodies);
    if (!holdsBodies) return 0;
    Statement st(*db,
                 "SELECT (SELECT COUNT(*) FROM bodies AS earlier WHERE earlier.id <= body.id) "
                 "FROM bodies AS body WHERE body.name = ?");
    st.bind(1, name);
    return st.step() ? static_cast<int>(st.integer(0)) : 0;
  });
}

bool bodyInfo(const std::string &path, int index, BodyInfo *info, std::string *error) {
  return reporting(error, false, [&] {
    bool holdsBodies = false;
    auto db = openForReading(path, &holdsBodies);
    if (!holdsBodies) throw DatabaseError(path + " holds no bodies; there is no body " + std::to_string(index));
    Statement st(*db,
                 "SELECT name, node_count, mode_count, created, modified FROM bodies "
                 "ORDER BY id LIMIT 1 OFFSET ?");
    st.bind(1, index - 1);
    if (index < 1 || !st.step())
      throw DatabaseError(path + " has no body " + std::to_string(index));
    info->name = st.text(0);
    info->nodeCount = static_cast<int>(st.integer(1));
    info->modeCount = static_cast<int>(st.integer(2));
    info->created = st.text(3);
    info->modified = st.text(4);
    return true;
  });
}

std::unique_ptr<body::Body> readBody(const std::string &path, int index, const std::string &name,
                                     bool surfaceOnly, std::string *error) {
  return reporting(error, std::unique_ptr<body::Body>(), [&] {
    const std::string wanted = name.empty() ? std::to_string(index) : "named \"" + name + "\"";
    bool holdsBodies = false;
    auto db = openForReading(path, &holdsBodies);
    if (!holdsBodies) throw DatabaseError(path + " holds no bodies; there is no body " + wanted);
    // One read transaction, so a concurrent writer cannot hand us half of
    // an old body and half of a new one.
    db->exec("BEGIN");
    const int64_t id = name.empty() ? bodyIdAt(*db, index) : bodyIdNamed(*db, name);
    if (id < 0) throw DatabaseError(path + " has no body " + wanted);
    Statement st(*db, "SELECT block, crc32c, data FROM blocks WHERE body_id = ? ORDER BY block");
    st.bind(1, id);
    body::EncodedBlocks blocks;
    int rows = 0;
    while (st.step()) {
      ++rows;
      const int block = static_cast<int>(st.integer(0));
      if (surfaceOnly && !body::isSurfaceMeshBlock(block)) continue;
      const auto *data = static_cast<const uint8_t *>(st.blob(2));
      const size_t size = st.blobSize(2);
      if (kernels::crc32c(0, data, size) != static_cast<uint32_t>(st.integer(1)))
        throw DatabaseError(path + ", body " + wanted + ": block " + std::to_string(block) + " fails its checksum");
      blocks.emplace_back(block, std::vector<uint8_t>(data, data + size));
    }
    // Every body we write has blocks and the counts of its row; rows deleted
    // behind our back must not read as a smaller (or empty) valid body.
    if (rows == 0) throw DatabaseError(path + ", body " + wanted + ": its blocks are missing");
    Statement record(*db, "SELECT node_count, mode_count FROM bodies WHERE id = ?");
    record.bind(1, id);
    record.step();
    const int64_t nodes = record.integer(0), modes = record.integer(1);
    db->exec("COMMIT");
    std::unique_ptr<body::Body> b;
    try {
      b = body::decodeBody(blocks);
    } catch (const body::CodecError &e) {
      throw DatabaseError(path + ", body " + wanted + ": " + e.what());
    }
    if (!surfaceOnly && (b->nodeCount() != nodes || b->modeCount() != modes))
      throw DatabaseError(path + ", body " + wanted + ": its blocks hold " + std::to_string(b->nodeCount()) +
                          " nodes and " + std::to_string(b->modeCount()) + " modes, its record " +
                          std::to_string(nodes) + " and " + std::to_string(modes) + " (blocks are missing)");
    return b;
  });
}

bool writeBody(const std::string &path, const body::Body &b, const std::string &requestedName,
               std::string *error) {
  return reporting(error, false, [&] {
    // The selector reads as it does for reading: "::3" is body 3, so a body
    // read from fleet.master::3 is written back over itself (keeping its
    // name); it must exist. Any other text is a name; "*", the title. An
    // empty one ("db.master::") is refused here as it is when reading.
    util::BodySelection selection;
    std::string refusal;
    if (!util::parseBodySelection((path + "::" + requestedName).c_str(), util::SelectorGrammar::kIndexOrName,
                                  &selection, &refusal))
      throw DatabaseError(refusal);
    const int number = selection.index;
    const std::string name = number > 0 ? std::string() : selection.name.empty() ? defaultBodyName(b) : selection.name;
    // Encode first: a body that cannot be encoded never touches the file.
    const body::EncodedBlocks blocks = body::encodeBody(b);
    Connection db(path, number == 0);
    db.exec("PRAGMA foreign_keys=ON");
    // The schema, the application id and the body go in one transaction in
    // the rollback journal, which SQLite writes before the file itself: a
    // first write that is killed or fails leaves a file with no table (a new
    // database again), and a second first writer waits for the lock, then
    // finds the schema. Readers need no -shm file in this journal mode, so
    // they read where they cannot write.
    Transaction transaction(db);
    if (examine(db, path) == Contents::kNothing) {
      db.exec(kCreateSchema);
      db.exec(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
      Statement(db, "INSERT INTO qvb_schema(version) VALUES (1)").step();
    }
    const std::string now = nowIso8601();
    int64_t id = number > 0 ? bodyIdAt(db, number) : bodyIdNamed(db, name);
    if (id < 0 && number > 0) {
      Statement count(db, "SELECT COUNT(*) FROM bodies");
      count.step();
      throw DatabaseError(path + " has no body " + std::to_string(number) + " to replace (it holds " +
                          std::to_string(count.integer(0)) + "); write a new body under a name (" + path + "::NAME)");
    }
    if (id < 0) {
      Statement insert(db,
                       "INSERT INTO bodies(name, created, modified, node_count, mode_count) "
                       "VALUES (?, ?, ?, ?, ?)");
      insert.bind(1, name).bind(2, now).bind(3, now).bind(4, b.nodeCount()).bind(5, b.modeCount());
      insert.step();
      id = sqlite3_last_insert_rowid(db.get());
    } else {
      Statement update(db, "UPDATE bodies SET modified = ?, node_count = ?, mode_count = ? WHERE id = ?");
      update.bind(1, now).bind(2, b.nodeCount()).bind(3, b.modeCount()).bind(4, id);
      update.step();
      Statement(db, "DELETE FROM blocks WHERE body_id = ?").bind(1, id).step();
    }
    Statement insertBlock(db, "INSERT INTO blocks(body_id, block, crc32c, data) VALUES (?, ?, ?, ?)");
    for (const auto &[block, bytes] : blocks) {
      insertBlock.reset();
      insertBlock.bind(1, id).bind(2, block).bind(3, kernels::crc32c(0, bytes.data(), bytes.size()));
      insertBlock.bindBlob(4, bytes.data(), bytes.size());
      insertBlock.step();
    }
    transaction.commit();
    leaveWriteAheadLog(db);
    return true;
  });
}

}  // namespace qvb::database
