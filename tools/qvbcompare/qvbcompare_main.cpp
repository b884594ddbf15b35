// qvbcompare BASE NEW [-v LEVEL] [-t TOLERANCE]
//
// Compares a new body with a base body and prints the comparison report on
// standard output. Exit status: 0 equivalent, 1 different, 2 usage error or a
// body that cannot be opened. A mismatch that makes the comparison
// meaningless (no coordinates or mode shapes, too few base nodes) ends the
// process from inside the comparison with status 255.
#include "qvb.h"
#include "thread_switch.h"
#include "tool_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Bodies from different translators agree to rounding of single-precision
// output and unit conversion, far above double-precision noise but far below
// any modelling change.
constexpr double kDefaultTolerance = 1.0e-6;
constexpr int kDefaultLevel = 1;

enum ExitStatus { kEquivalent = 0, kDifferent = 1, kUsageOrOpen = 2 };

void printUsage(std::FILE *stream) {
  std::fprintf(stream,
               "Usage: qvbcompare BASE NEW [-v LEVEL] [-t TOLERANCE]\n"
               "Compares the body NEW with the reference body BASE block by block.\n"
               "  BASE, NEW     body files: file.qvb (first body), file.qvb::N (body N),\n"
               "                db.master::NAME (body NAME of a database)\n"
               "  -v LEVEL      report level: -1 silent, 0 failures, 1 also warnings and the\n"
               "                verdict (default %d), 2 also every passed check\n"
               "  -t TOLERANCE  largest accepted difference, absolute for values up to 1 and\n"
               "                relative above (default %g)\n"
               "  -j N          form invariants 5 and 9 on N threads (sets QVB_THREADS)\n"
               "  -h            this help\n"
               "Exit status: 0 equivalent, 1 different, 2 usage error or unreadable body.\n",
               kDefaultLevel, kDefaultTolerance);
}

bool parseInt(const char *text, int &value) {
  char *end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < -1000 || parsed > 1000) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool parseDouble(const char *text, double &value) {
  char *end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !(parsed >= 0.0)) return false;
  value = parsed;
  return true;
}

struct Options {
  const char *base = nullptr;
  const char *newer = nullptr;
  int level = kDefaultLevel;
  double tolerance = kDefaultTolerance;
  bool help = false;
};

// Options may stand before, between or after the two body names.
bool parseArguments(int argc, char **argv, Options &options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return true;
    }
    if (arg == "-v" || arg == "-t") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qvbcompare: option %s needs a value\n", arg.c_str());
        return false;
      }
      const char *value = argv[++i];
      const bool ok = arg == "-v" ? parseInt(value, options.level) : parseDouble(value, options.tolerance);
      if (!ok) {
        std::fprintf(stderr, "qvbcompare: invalid value \"%s\" for %s\n", value,
                     arg == "-v" ? "the report level" : "the tolerance (a number >= 0)");
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "qvbcompare: unknown option %s\n", arg.c_str());
      return false;
    } else if (options.base == nullptr) {
      options.base = argv[i];
    } else if (options.newer == nullptr) {
      options.newer = argv[i];
    } else {
      std::fprintf(stderr, "qvbcompare: unexpected argument %s\n", arg.c_str());
      return false;
    }
  }
  if (options.newer == nullptr) {
    std::fprintf(stderr, "qvbcompare: two bodies are needed, BASE and NEW\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  if (!qvb_tool_take_thread_switch("qvbcompare", &argc, argv)) return kUsageOrOpen;
  if (!parseArguments(argc, argv, options)) {
    printUsage(stderr);
    return kUsageOrOpen;
  }
  if (options.help) {
    printUsage(stdout);
    return kEquivalent;
  }
  qvb_tool_default_plugin_dir();

  QVB_Handle base = qvb_tool_open_body(options.base);
  if (base == nullptr) {
    std::fprintf(stderr, "qvbcompare: cannot open the base body \"%s\"\n", options.base);
    return kUsageOrOpen;
  }
  QVB_Handle newer = qvb_tool_open_body(options.newer);
  if (newer == nullptr) {
    std::fprintf(stderr, "qvbcompare: cannot open the new body \"%s\"\n", options.newer);
    return kUsageOrOpen;
  }
  const int verdict = QVB_Compare(base, newer, options.level, options.tolerance);
  // The bodies are only read: the process ending releases them and the
  // backends, so nothing is gained by unloading the backends first.
  return verdict < 0 ? kDifferent : kEquivalent;
}
