// QVB_SetFace: the variadic form of QVB_SetFaceList.
#include <cstdarg>
#include <vector>

#include "front/body_registry.h"
#include "util/c_boundary.h"
#include "qvb/qvb_interface.h"

extern "C" {

// The node list is built here and released when the slot returns: the
// backend copies it, as it must for QVB_SetFaceList, whose callers own and
// free their arrays. An empty face passes a null list.
QVB_API int QVB_SetFace(QVB_Handle h, int count, ...) {
  static const char *const function = "QVB_SetFace";
  s_FLEX_INTERFACE *table = qvb::front::tableForCall(h, 44, function);
  if (table == nullptr) return 0;
  if (count < 0) {
    QVB_Error("%s: a face cannot have %d nodes", function, count);
    return 0;
  }
  std::vector<int> nodes;
  const bool built = qvb::util::guarded(QVB_Error, function, false, [&] {
    nodes.resize(static_cast<std::size_t>(count));
    return true;
  });
  if (!built) return 0;

  std::va_list arguments;
  va_start(arguments, count);
  for (int &node : nodes) node = va_arg(arguments, int);
  va_end(arguments);
  return table->QVB_SetFaceList(h, count, nodes.empty() ? nullptr : nodes.data());
}

}  // extern "C"
