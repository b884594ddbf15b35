#include "command_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/os.h"
#include "tool_support.h"

namespace {

std::string g_command = "qvb";
// While a body is being opened, its errors are kept for the one failure
// line instead of being printed as they come.
bool g_holdErrors = false;
std::string g_heldErrors;

void printLines(std::FILE *stream, const char *prefix, const char *text) {
  const char *start = text;
  for (const char *p = text;; ++p) {
    if (*p == '\n' || *p == '\0') {
      if (p > start) std::fprintf(stream, "%s%.*s\n", prefix, static_cast<int>(p - start), start);
      if (*p == '\0') break;
      start = p + 1;
    }
  }
}

void onMessage(const char *text, int severity) {
  if (text == nullptr) return;
  if (severity == 2) {
    printLines(stdout, "", text);
    return;
  }
  if (severity == 0 && g_holdErrors) {
    std::string reason = text;
    while (!reason.empty() && reason.back() == '\n') reason.pop_back();
    for (char &c : reason)
      if (c == '\n') c = ' ';
    if (!reason.empty()) g_heldErrors += (g_heldErrors.empty() ? "" : "; ") + reason;
    return;
  }
  const std::string prefix = g_command + (severity == 0 ? ": " : ": warning: ");
  printLines(stderr, prefix.c_str(), text);
}

struct Progress {
  bool shown = false;   // a terminal is there to show it
  bool pending = false; // a line is on the screen without its newline
  int lastPercent = -1;
  std::string lastPhase;
};
Progress g_progress;

}  // namespace

extern "C" void qvb_tool_print_version(const char *command) {
  std::printf("%s %s\n", command != nullptr ? command : "qvb", QVB_TOOL_VERSION);
}

extern "C" int qvb_tool_usage_error(const char *command, const char *usageLine, const char *problem) {
  std::fprintf(stderr, "%s: %s\n%s\nTry '%s --help' for more information.\n", command, problem, usageLine, command);
  return QVB_TOOL_USAGE_ERROR;
}

extern "C" void qvb_tool_route_messages(const char *command) {
  if (command != nullptr) g_command = command;
  QVB_SetMsgHandler(onMessage);
}

extern "C" QVB_Handle qvb_tool_open_reported(const char *what, const char *specification) {
  g_holdErrors = true;
  g_heldErrors.clear();
  QVB_Handle body = qvb_tool_open_body(specification);
  g_holdErrors = false;
  if (body == nullptr) {
    std::fprintf(stderr, "%s: cannot open %s %s%s%s\n", g_command.c_str(), what,
                 specification != nullptr ? specification : "(none)", g_heldErrors.empty() ? "" : ": ",
                 g_heldErrors.c_str());
  } else if (!g_heldErrors.empty()) {
    std::fprintf(stderr, "%s: %s\n", g_command.c_str(), g_heldErrors.c_str());
  }
  g_heldErrors.clear();
  return body;
}

extern "C" void qvb_tool_progress_start(int quiet) {
  g_progress = Progress{};
  g_progress.shown = quiet == 0 && qvb::platform::isTerminal(stderr);
  QVB_SetProgressHandler(qvb_tool_progress);
  // Some switches end the process from inside the library; the line still
  // gets its newline then.
  static bool endsAtExit = false;
  if (g_progress.shown && !endsAtExit) endsAtExit = std::atexit(qvb_tool_progress_end) == 0;
}

extern "C" int qvb_tool_output_is_terminal(void) { return qvb::platform::isTerminal(stdout) ? 1 : 0; }

extern "C" void qvb_tool_progress(const char *phase, double fraction) {
  if (!g_progress.shown || phase == nullptr) return;
  int percent = static_cast<int>(fraction * 100.0 + 0.5);
  percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  // Rewriting the same text costs a terminal write for nothing.
  if (percent == g_progress.lastPercent && g_progress.lastPhase == phase) return;
  g_progress.lastPercent = percent;
  g_progress.lastPhase = phase;
  // \033[K clears what a longer earlier phase name left on the line.
  std::fprintf(stderr, "\r%s: %s %3d%%\033[K", g_command.c_str(), phase, percent);
  std::fflush(stderr);
  g_progress.pending = true;
}

extern "C" void qvb_tool_progress_end(void) {
  QVB_SetProgressHandler(nullptr);
  if (g_progress.pending) {
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  g_progress.pending = false;
}
