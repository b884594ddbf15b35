#include "messages.h"

#include <cstdarg>
#include <cstdio>

namespace qvb::body {
namespace {

s_MSG_HANDLERS handlers{nullptr, nullptr, nullptr};

// Formats once into the 1,000-byte message size of the whole system and hands
// the text over as "%s", so that no handler formats it a second time.
void deliver(QVB_MsgFunction function, const char *prefix, const char *format, va_list args) {
  char text[1000];
  std::vsnprintf(text, sizeof text, format, args);
  if (function) function("%s", text);
  else std::fprintf(stderr, "%s%s\n", prefix, text);
}

}  // namespace

void setMessageHandlers(const s_MSG_HANDLERS *given) {
  handlers = given ? *given : s_MSG_HANDLERS{nullptr, nullptr, nullptr};
}

#define QVB_DELIVER(member, prefix) \
  va_list args;                     \
  va_start(args, format);           \
  deliver(handlers.member, prefix, format, args); \
  va_end(args)

void reportError(const char *format, ...) { QVB_DELIVER(error, "ERROR:  "); }
void reportWarning(const char *format, ...) { QVB_DELIVER(warning, "WARNING:  "); }
void reportInfo(const char *format, ...) { QVB_DELIVER(info, ""); }

#undef QVB_DELIVER

}  // namespace qvb::body
