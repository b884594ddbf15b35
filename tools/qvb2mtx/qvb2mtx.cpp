// qvb2mtx: writes the matrices of a flexible body into an MTX matrix file.
//
//   qvb2mtx [-Q] BODY[::k] [switches...] [-j N]
//
// The command opens the body, hands its whole command line to the converter
// and shuts the library down. Exit status 0 when the MTX file was written,
// 1 otherwise (some switches end the process from inside the converter), 2
// for a usage error of the command's own (no body, a bad -j).
// What the converter prints is its own; around it the command adds --version,
// one-line errors on standard error, the name of the file written and, on a
// terminal, a progress line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "command_support.h"
#include "qvb.h"
#include "thread_switch.h"
#include "tool_support.h"

namespace {

#define QVB2MTX_USAGE_LINE "usage: qvb2mtx [-Q] BODY[::k] [switches...] [-j N]"

const char kUsage[] = QVB2MTX_USAGE_LINE
    "\n"
    "\n"
    "Writes the matrices of the flexible body BODY (a .qvb file, optionally\n"
    "with ::k to pick its k-th body, or a .master database with ::name) into\n"
    "an MTX matrix file named after BODY up to its first dot (wing.qvb gives\n"
    "wing.mtx). Arguments may also be separated by commas. A LIST is numbers,\n"
    "a:b ranges and \":\" (from the last value to the next number); it ends at\n"
    "the next argument that starts with + or -.\n"
    "\n"
    "  -Q                  quiet: no progress output (only as first argument)\n"
    "  -o NAME             output file NAME.mtx (a trailing .mtx is dropped)\n"
    "  -m LABEL            mass unit (default KILOGRAM)\n"
    "  -l LABEL            length unit (default METER)\n"
    "  -t LABEL            time unit (default SECOND)\n"
    "  -f LABEL            force unit (default NEWTON)\n"
    "  +N LIST             node IDs to keep (the others are left out)\n"
    "  -N LIST             node IDs to leave out\n"
    "  +M LIST             mode numbers to keep (the others are left out)\n"
    "  -M LIST             mode numbers to leave out\n"
    "  -S FILE             read further switches from FILE\n"
    "  -F                  leave out invariants 5 and 9\n"
    "  -E                  rigid-body data only (SELNOD, INVAR1, INVAR2, INVAR7)\n"
    "  -L                  print progress while computing invariants\n"
    "  -sscale X           stiffness scale X > 0: multiplies GENSTIFF (with -O,\n"
    "                      the body's generalized stiffness)\n"
    "  -mscale X           mass scale X > 0: multiplies the invariants written\n"
    "                      (with -O, the body's mass data)\n"
    "  -C NUMBER LIST      define edge NUMBER with the listed node entries\n"
    "  -c ALL | LIST       add the body's free edges (all, or by index)\n"
    "  -H HZ               high-frequency threshold in Hz\n"
    "  -s FILE             write a shell file of nodes and faces; without -o or\n"
    "                      -d the command then ends with status 1\n"
    "  -d FILE | -         dump the body's blocks to FILE or standard output\n"
    "  -b BLOCK            dump only block BLOCK (1 to 37)\n"
    "  -O FILE             write an optimized body to FILE (applies -I, -sscale,\n"
    "                      -mscale) instead of an MTX file\n"
    "  -I ID X Y Z ...     new coordinates for interface nodes (with -O)\n"
    "  -j N                format text and form invariants on N threads\n"
    "                      (sets QVB_THREADS; the output is the same for any N)\n"
    "  -h                  print this text (also --help)\n"
    "  --version           print the version\n"
    "\n"
    "When the MTX file is written, its name is printed (not with -Q). On a\n"
    "terminal a progress line (phase and percent) is shown on standard error;\n"
    "-Q and -L (the converter's own progress) turn it off.\n"
    "\n"
    "Exit status: 0 the MTX file (or, with -O, the optimized body) was written;\n"
    "1 it was not (the messages say why: a body that cannot be opened, a bad\n"
    "switch of the converter), and also after -d, and after -s without -o or -d,\n"
    "once their file is written; 2 a usage error (no body given, a bad -j).\n"
    "\n"
    "The storage backends are looked up in TRX_USER_PLUGIN_DIR, by default the\n"
    "plug-in folder installed beside this command.\n";

bool hasArgument(int argc, char **argv, const char *wanted) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], wanted) == 0) return true;
  return false;
}

// Whether a switch is on the command line, also inside comma-separated
// arguments ("x.qvb,-L"), which the converter splits the same way.
bool hasSwitch(int argc, char **argv, const std::string &wanted) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::size_t start = 0;
    while (start <= argument.size()) {
      std::size_t end = argument.find(',', start);
      if (end == std::string::npos) end = argument.size();
      if (argument.compare(start, end - start, wanted) == 0) return true;
      start = end + 1;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char **argv) {
  // -j belongs to the command: the converter's own switches never see it.
  if (!qvb_tool_take_thread_switch("qvb2mtx", &argc, argv)) return QVB_TOOL_USAGE_ERROR;
  if (hasArgument(argc, argv, "-h") || hasArgument(argc, argv, "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (hasArgument(argc, argv, "--version")) {
    qvb_tool_print_version("qvb2mtx");
    return 0;
  }
  const bool quiet = argc > 1 && std::strcmp(argv[1], "-Q") == 0;
  const int nameAt = quiet ? 2 : 1;
  if (argc <= nameAt) return qvb_tool_usage_error("qvb2mtx", QVB2MTX_USAGE_LINE, "no body given");
  qvb_tool_default_plugin_dir();
  qvb_tool_route_messages("qvb2mtx");

  const std::string bodyName = argv[nameAt];
  QVB_Handle body = qvb_tool_open_reported("the flexible body", bodyName.c_str());
  if (body == nullptr) {
    QVB_Terminate();
    return 1;
  }
  // -L is the converter's own progress output on standard output; it ends
  // without a newline, which the command adds so the prompt starts a line.
  const bool converterProgress = !quiet && hasSwitch(argc, argv, "-L");
  qvb_tool_progress_start(quiet || converterProgress);
  const int result = QVB_QVB2MTX(argc, argv, body);
  qvb_tool_progress_end();
  if (converterProgress) std::putchar('\n');
  if (result == 0 && !quiet) std::printf("qvb2mtx: wrote %s\n", QVB_QVB2MTX_OutputFile());
  QVB_Destroy(body);
  QVB_Terminate();
  return result == 0 ? 0 : 1;
}
