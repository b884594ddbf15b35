// Which body a "file::selector" specification names, as the storage backends
// and the commands read it (docs/user-guide.md, "Opening bodies"):
//
//   specification := file [ "::" selector ]    trailing blanks are ignored
//   body file:  selector := index
//   database:   selector := index | "*" | name
//   index := decimal digits only, value 1 to 2147483647
//   name  := any other non-empty text
//
// A database is a file whose extension is ".master" in any letter case; every
// other file is read as a body file. The file is the text before the first
// "::". Refused, with a reason: an empty selector ("part.qvb::"), index 0,
// an index too large for an int, and for body files anything but plain
// digits ("::1x", "::+1", "::-1", ":: 1"). Trailing blanks are dropped
// because Fortran hosts pass names padded to a fixed length.
//
// The front's QVB_ParseFileName and QVB_CreateFromQVB keep their own, older
// reading (atoi of a selector that starts with a digit), which hosts rely on.
#pragma once

#include <string>

namespace qvb::util {

enum class SelectorGrammar {
  kBodyIndex,    // body files: a body number
  kIndexOrName,  // databases: a body number, "*" or a body name
  // kIndexOrName for files named "*.master" (any letter case), else kBodyIndex:
  // for callers that do not know the store, such as the commands.
  kFromExtension,
};

struct BodySelection {
  std::string file;  // without the selector and the trailing blanks
  int index = 0;     // the body number; 0 when none was given, or by name
  std::string name;  // a database body's name; empty when by number or "*"
};

// Splits a "file::selector" text by `grammar`. False with *error set (naming the
// specification and the cause) when the selector is not one of the grammar.
bool parseBodySelection(const char *specification, SelectorGrammar grammar, BodySelection *selection,
                        std::string *error);

// The body number a store opens when a "::k" selector and the caller's
// index (below 1: none) may both name one: the one given, body 1 when
// neither is. False, with *error naming the file and selector, when both are
// given and differ: either choice would surprise one of the two.
bool combineBodyNumbers(const char *specification, int selectorIndex, int callerIndex, int *number,
                        std::string *error);

}  // namespace qvb::util
