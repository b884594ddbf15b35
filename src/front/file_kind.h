// Which storage a file name belongs to, decided from its extension alone.
#pragma once

namespace qvb::front {

enum FileKind : int {
  kBodyFile = 0,  // ".qvb", served by the "qvbflex" backend
  kDatabase = 1,  // ".master", served by the "dbvflex" backend
  kOtherFile = 2  // no backend
};

// The extension is the text from the last "." up to the first blank or ":"
// after it, compared without regard to case. A null name is kind 2.
FileKind fileKindOf(const char *name);

}  // namespace qvb::front
