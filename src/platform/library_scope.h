// Widening the reach of a library that is already loaded.
#pragma once

namespace qvb::platform {

// Makes the symbols of the loaded library at path available to every
// library loaded after it. Libraries are loaded with their symbols kept
// local, which suits plug-ins; an interpreter runtime is different: its
// extension modules are separate files that expect the runtime's symbols to
// be there without linking to it. False when the library is not loaded.
bool shareSymbolsGlobally(const char *path);

}  // namespace qvb::platform
