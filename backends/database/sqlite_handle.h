// Small owning wrappers around SQLite connections and statements, so that
// every early return closes what was opened.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qvb::database {

// A failed database call; what() carries SQLite's own words.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Connection {
 public:
  // Opens with write access where the system grants it (so that a reader
  // can roll back the journal of a killed writer), read-only otherwise;
  // `create` makes a missing file.
  Connection(const std::string &path, bool create);
  ~Connection();
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;

  sqlite3 *get() const { return db_; }
  const std::string &path() const { return path_; }
  void exec(const char *sql);
  // Throws "<file> <what> (<SQLite's and the system's cause>)", or "<file> is
  // not a body database" for a file SQLite cannot read as a database.
  [[noreturn]] void fail(const std::string &what) const;
  // SQLite's result code of the last call (SQLITE_NOTADB, ...).
  int errorCode() const;

 private:
  sqlite3 *db_ = nullptr;
  std::string path_;
};

class Statement {
 public:
  Statement(const Connection &connection, const char *sql);
  ~Statement();
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  Statement &bind(int position, int64_t value);
  Statement &bind(int position, const std::string &text);
  Statement &bindBlob(int position, const void *data, size_t size);
  // True while a row is available; throws on errors.
  bool step();
  void reset();

  int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string text(int column) const;
  const void *blob(int column) const { return sqlite3_column_blob(stmt_, column); }
  size_t blobSize(int column) const { return static_cast<size_t>(sqlite3_column_bytes(stmt_, column)); }

 private:
  const Connection &connection_;
  sqlite3_stmt *stmt_ = nullptr;
};

// Rolls back unless commit() was reached, so that a throw anywhere inside a
// write leaves the database as it was.
class Transaction {
 public:
  explicit Transaction(Connection &connection);
  ~Transaction();
  void commit();

 private:
  Connection &connection_;
  bool done_ = false;
};

}  // namespace qvb::database
