// Where the library itself was loaded from.
#pragma once

#include <string>

namespace qvb::platform {

// The folder of the shared object (or executable) this code is part of, as
// the dynamic loader mapped it; empty when the loader will not say. Lets the
// library find files installed beside it wherever the installation was moved.
std::string folderOfThisLibrary();

}  // namespace qvb::platform
