// QVB_write_QVB: write a body to a body file or into a database.
#include <cstring>
#include <string>

#include "front/body_registry.h"
#include "front/file_kind.h"
#include "front/file_selector.h"
#include "util/c_boundary.h"
#include "qvb/qvb_interface.h"

using namespace qvb::front;
using qvb::util::guarded;

namespace {

constexpr const char *kFunction = "QVB_write_QVB";

// "db.master::wing" writes the body as "wing"; without a name the database
// decides ("*"). Names that would not fit the fixed buffers are refused.
int writeToDatabase(s_FLEX_INTERFACE *table, QVB_Handle h, const char *file) {
  const FileSpec spec = splitFileSpec(file);
  const std::string body = spec.hasSelector ? spec.selector : "*";
  if (!acceptText(kFunction, "body name", body.c_str(), kBodyNameBufferSize)) return 0;
  return table->QVB_write_QVB_DB(h, spec.file.c_str(), body.c_str());
}

// Any other name is written as a body file under the name with ".qvb" added
// ("part.txt" becomes "part.txt.qvb"), so the result can be read back.
int writeWithExtension(s_FLEX_INTERFACE *table, QVB_Handle h, const char *file) {
  static const char kExtension[] = ".qvb";
  if (std::strlen(file) + std::strlen(kExtension) >= kFileNameBufferSize) {
    QVB_Error("%s: file name %s is too long to add %s (at most %zu characters)", kFunction, file,
              kExtension, kFileNameBufferSize - 1 - std::strlen(kExtension));
    return 0;
  }
  std::string extended(file);
  extended += kExtension;
  return table->QVB_write_QVB(h, extended.c_str());
}

}  // namespace

extern "C" {

// Every path uses the table of the body's own backend, whatever the file kind.
QVB_API int QVB_write_QVB(QVB_Handle h, const char *file) {
  return guarded(QVB_Error, kFunction, 0, [&] {
    // The limit of every reader too: nothing is written that cannot be read.
    if (!acceptText(kFunction, "file name", file, kFileNameBufferSize)) return 0;
    const FileKind kind = fileKindOf(file);
    s_FLEX_INTERFACE *table = tableForCall(h, kind == kDatabase ? 102 : 101, kFunction);
    if (table == nullptr) return 0;
    if (kind == kBodyFile) return table->QVB_write_QVB(h, file);
    if (kind == kDatabase) return writeToDatabase(table, h, file);
    return writeWithExtension(table, h, file);
  });
}

}  // extern "C"
