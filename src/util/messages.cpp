// The message channel: QVB_Error, QVB_Warning, QVB_Info and the host's handler.
//
// Every diagnostic of the library and of the backends it loads leaves through
// these three reporters, so a host that installs one handler sees everything.
#include "qvb/qvb_messages.h"

#include "platform/os.h"

#include <cstdarg>
#include <cstdio>

namespace {

// One process-wide handler; null means "print to the standard streams".
QVB_MsgHandler g_handler = nullptr;

enum Severity { kError = 0, kWarning = 1, kInfo = 2 };

// One formatted message, stack-allocated per call. A message that does not
// fit is cut at 999 characters rather than overflowing: the library's own
// texts stay far below the limit, and a cut message is still useful.
constexpr std::size_t kMessageBufferSize = 1000;

void printPieces(char *text, std::FILE *stream, const char *lineFormat, bool printEmptyTail) {
  char *piece = text;
  for (char *p = text; *p != '\0'; ++p) {
    if (*p == '\n') {
      *p = '\0';
      std::fprintf(stream, lineFormat, piece);
      piece = p + 1;
    }
  }
  // The tail after the last newline: errors and warnings always print it
  // (so a trailing newline yields a prefix-only line); information skips an
  // empty tail so that a trailing newline adds no blank line.
  if (printEmptyTail || *piece != '\0') std::fprintf(stream, lineFormat, piece);
}

void report(Severity severity, const char *format, std::va_list args) {
  char buffer[kMessageBufferSize];
  buffer[0] = '\0';
  if (format != nullptr) std::vsnprintf(buffer, sizeof buffer, format, args);

  if (g_handler != nullptr) {
    g_handler(buffer, severity);
    return;
  }
  switch (severity) {
    case kError: printPieces(buffer, stderr, "ERROR:  %s\n", true); break;
    case kWarning: printPieces(buffer, stderr, "WARNING:  %s\n", true); break;
    case kInfo: printPieces(buffer, stdout, "%s\n", false); break;
  }
}

}  // namespace

extern "C" {

QVB_API void QVB_Error(const char *format, ...) {
  std::va_list args;
  va_start(args, format);
  report(kError, format, args);
  va_end(args);
}

QVB_API void QVB_Warning(const char *format, ...) {
  std::va_list args;
  va_start(args, format);
  report(kWarning, format, args);
  va_end(args);
}

QVB_API void QVB_Info(const char *format, ...) {
  // Read at every call, never cached: a host may toggle quiet mode mid-run.
  // Any definition counts, even an empty value.
  if (qvb::platform::getEnv("HLK_QVB_QUIET_MODE") != nullptr) return;
  std::va_list args;
  va_start(args, format);
  report(kInfo, format, args);
  va_end(args);
}

QVB_API void QVB_SetMsgHandler(QVB_MsgHandler handler) { g_handler = handler; }

}  // extern "C"
