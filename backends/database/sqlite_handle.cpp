#include "sqlite_handle.h"

#include <cstring>

namespace qvb::database {

Connection::Connection(const std::string &path, bool create) : path_(path) {
  // Without write permission SQLite opens the file read-only by itself.
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    // "unable to open database file" does not say why; the system does.
    if (const int error = db_ ? sqlite3_system_errno(db_) : 0) why += std::string(": ") + std::strerror(error);
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError(path + " cannot be opened as a database (" + why + ")");
  }
  // A concurrent writer must not make a reader fail at once.
  sqlite3_busy_timeout(db_, 5000);
}

Connection::~Connection() { sqlite3_close(db_); }

void Connection::exec(const char *sql) {
  char *message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    sqlite3_free(message);
    fail("cannot be changed");
  }
}

void Connection::fail(const std::string &what) const {
  // Whatever the call, a file SQLite cannot read is simply not ours.
  if (sqlite3_errcode(db_) == SQLITE_NOTADB) throw DatabaseError(path_ + " is not a body database");
  std::string why = sqlite3_errmsg(db_);
  // SQLite's words ("disk I/O error") hide the cause; the system's say it.
  if (const int error = sqlite3_system_errno(db_)) why += std::string(": ") + std::strerror(error);
  throw DatabaseError(path_ + " " + what + " (" + why + ")");
}

int Connection::errorCode() const { return sqlite3_errcode(db_); }

Statement::Statement(const Connection &connection, const char *sql) : connection_(connection) {
  if (sqlite3_prepare_v2(connection.get(), sql, -1, &stmt_, nullptr) != SQLITE_OK)
    connection.fail("cannot be read");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement &Statement::bind(int position, int64_t value) {
  if (sqlite3_bind_int64(stmt_, position, value) != SQLITE_OK) connection_.fail("cannot take a value");
  return *this;
}

Statement &Statement::bind(int position, const std::string &text) {
  if (sqlite3_bind_text(stmt_, position, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK)
    connection_.fail("cannot take a text");
  return *this;
}

Statement &Statement::bindBlob(int position, const void *data, size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) throw DatabaseError(connection_.path() + " cannot hold a block larger than 2 GB");
  if (sqlite3_bind_blob(stmt_, position, size ? data : "", static_cast<int>(size), SQLITE_STATIC) != SQLITE_OK)
    connection_.fail("cannot take a block");
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  connection_.fail("cannot be read or written");
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string Statement::text(int column) const {
  const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
  return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

Transaction::Transaction(Connection &connection) : connection_(connection) {
  // IMMEDIATE takes the write lock now, so two writers queue instead of one
  // failing half-way.
  connection_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!done_) sqlite3_exec(connection_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  connection_.exec("COMMIT");
  done_ = true;
}

}  // namespace qvb::database
