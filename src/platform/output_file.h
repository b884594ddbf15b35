// A file that a command writes through a C stream (text the converter
// formats with fprintf, fwrite or a buffer of its own), with every write's
// result counted.
//
// The stream's bytes go through the platform seam, and the first failure
// (a full disk, a file size limit, a failing device) is kept with the
// system's reason. Closing flushes and checks everything; only then is the
// file put in place, whole (FileReplacement: a failed or abandoned output
// leaves the previous file, or none, and no piece of the new one, so a
// truncated file can never pass for a finished one). Outputs are not synced
// to the disk: they can be made again, and large ones would wait for the
// disk at every close.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/file_replacement.h"
#include "platform/in_place_run.h"

namespace qvb::platform {

class OutputFile {
 public:
  OutputFile();
  ~OutputFile();  // abandons an output that was not closed
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // Starts writing `path`; false with error() set.
  bool open(const std::string &path);
  // The stream to write to (null unless open).
  std::FILE *stream() const { return stream_; }
  // The next `size` bytes of the file, after all that the stream holds, to
  // be written in place; the stream goes on after them. Null where the file
  // system cannot allocate them ahead or map them (write them through the
  // stream instead), or with failed() true when the disk refused them. The
  // run is written before close() and does not outlive this object.
  std::unique_ptr<InPlaceRun> appendInPlace(uint64_t size);
  // True once a write (or an in-place run) failed: close() reports why.
  bool failed() const;
  // Flushes and puts the file in place. False with error() set when any
  // write, the flush or putting it in place failed.
  bool close();
  // "<file> cannot be written: <the system's reason>".
  const std::string &error() const { return error_; }

 private:
  struct Sink;
  bool fail(const std::string &what);
  std::string path_, error_;
  FileReplacement replacement_;
  std::unique_ptr<Sink> sink_;
  std::FILE *stream_ = nullptr;
};

}  // namespace qvb::platform
