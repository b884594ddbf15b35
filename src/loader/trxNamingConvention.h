// How a system names libraries and writes path lists. The search is written
// once against this value, so it can run (and be tested) under either
// convention regardless of the machine it runs on.
#pragma once

struct trxNamingConvention {
  const char *extension;         // added to names that lack it
  char directorySeparator;       // written between a directory and a name
  char listSeparator;            // splits PATH-like lists
  const char *currentDirectory;  // searched last
};

// The machine this library is built for.
inline constexpr trxNamingConvention kHostNaming = {".so", '/', ':', "./"};

// The Windows form: ".dll", backslashes, ";"-separated lists.
inline constexpr trxNamingConvention kWindowsNaming = {".dll", '\\', ';', ".\\"};
