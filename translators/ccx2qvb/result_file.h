// Opening a result file the solver wrote: it must exist as a regular file
// (a pipe left in a kept work folder would block the reader forever) and is
// read through a mapping.
#pragma once

#include <memory>
#include <string>

#include "platform/mapped_file.h"

namespace qvb::ccx2qvb {

// Throws ResultFileError naming the file when it is missing, empty, not a
// regular file or cannot be read.
std::shared_ptr<const platform::MappedFile> openResultFile(const std::string &path);

}  // namespace qvb::ccx2qvb
