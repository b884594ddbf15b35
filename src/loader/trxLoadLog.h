// The load log: a text file that records every load, lookup and unload, for
// finding out why a plug-in does not load on a user's machine. It is opened
// (for appending) by the first trxDynamicLibrary constructed while the
// environment variable ORVIK_I_CAN_NOT_LOAD_MY_LIBRARY names a file, and
// stays open for the life of the process: each line is flushed as written,
// so nothing is lost when the process ends without closing it.
#pragma once

namespace trxLoadLog {

// Opens the log if the variable is set and no log is open yet.
void openIfRequested();

// Writes head followed by tail (null counts as empty) and a newline, when a
// log is open.
void line(const char *head, const char *tail = nullptr);

// Closes the log (tests use this to start over).
void close();

}  // namespace trxLoadLog
