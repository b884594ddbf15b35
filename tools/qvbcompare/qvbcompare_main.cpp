// qvbcompare BASE NEW [-v LEVEL] [-t TOLERANCE] [-Q]
//
// Compares a new body with a base body and prints the comparison report on
// standard output. Exit status: 0 equivalent, 1 different, 2 usage error or a
// body that cannot be opened. A mismatch that makes the comparison
// meaningless (no coordinates or mode shapes, too few base nodes) ends the
// process from inside the comparison with status 255.
#include "command_support.h"
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
               "Usage: qvbcompare BASE NEW [-v LEVEL] [-t TOLERANCE] [-Q]\n"
               "Compares the body NEW with the reference body BASE block by block.\n"
               "  BASE, NEW     body files: file.qvb (first body), file.qvb::N (body N),\n"
               "                db.master::NAME (body NAME of a database)\n"
               "  -v LEVEL, -vLEVEL, --level LEVEL, --level=LEVEL\n"
               "                report level: -1 silent, 0 failures, 1 also warnings and the\n"
               "                verdict (default %d), 2 also every passed check\n"
               "  -t TOLERANCE, -tTOLERANCE, --tolerance TOLERANCE, --tolerance=TOLERANCE\n"
               "                largest accepted difference, absolute for values up to 1 and\n"
               "                relative above (default %g; docs/user-guide.md gives each\n"
               "                check's measure)\n"
               "  -j N          check the files and form invariants on N threads\n"
               "                (sets QVB_THREADS)\n"
               "  -Q            no progress line\n"
               "  -h, --help    this help\n"
               "  --version     the version\n"
               "On a terminal, while the report goes to a file or pipe (or with -v -1), a\n"
               "progress line (phase and percent) is shown on standard error.\n"
               "Exit status: 0 equivalent, 1 different, 2 usage error or unreadable body,\n"
               "255 a mismatch that makes further comparison meaningless (the report\n"
               "says which).\n",
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
  bool version = false;
  bool quiet = false;
};

// An option with a value: "-t X", "-tX", "--tolerance X" or "--tolerance=X".
// False when argv[i] is not this option; otherwise true, with value set (and
// i past it) or missing set when no value follows.
bool optionValue(int argc, char **argv, int &i, const char *shortName, const char *longName, const char *&value,
                 bool &missing) {
  const std::string arg = argv[i];
  const std::string longEquals = std::string(longName) + "=";
  if (arg == shortName || arg == longName) {
    if (i + 1 >= argc) {
      missing = true;
      return true;
    }
    value = argv[++i];
    return true;
  }
  if (arg.rfind(longEquals, 0) == 0) {
    value = argv[i] + longEquals.size();
    return true;
  }
  // "-t1e-4", "-v2" and "-v-1": the value glued to the short option.
  if (arg.size() > 2 && arg.rfind(shortName, 0) == 0) {
    value = argv[i] + 2;
    return true;
  }
  return false;
}

// Options may stand before, between or after the two body names.
bool parseArguments(int argc, char **argv, Options &options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return true;
    }
    if (arg == "--version") {
      options.version = true;
      return true;
    }
    if (arg == "-Q") {
      options.quiet = true;
      continue;
    }
    const char *value = nullptr;
    bool missing = false;
    const bool isLevel = optionValue(argc, argv, i, "-v", "--level", value, missing);
    if (isLevel || optionValue(argc, argv, i, "-t", "--tolerance", value, missing)) {
      if (missing) {
        std::fprintf(stderr, "qvbcompare: option %s needs a value\n", arg.c_str());
        return false;
      }
      const bool ok = isLevel ? parseInt(value, options.level) : parseDouble(value, options.tolerance);
      if (!ok) {
        std::fprintf(stderr, "qvbcompare: invalid value \"%s\" for %s\n", value,
                     isLevel ? "the report level" : "the tolerance (a number >= 0)");
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
    std::fprintf(stderr, "qvbcompare -h shows the usage\n");
    return kUsageOrOpen;
  }
  if (options.help) {
    printUsage(stdout);
    return kEquivalent;
  }
  if (options.version) {
    qvb_tool_print_version("qvbcompare");
    return kEquivalent;
  }
  qvb_tool_default_plugin_dir();
  qvb_tool_route_messages("qvbcompare");

  QVB_Handle base = qvb_tool_open_reported("the base body", options.base);
  if (base == nullptr) return kUsageOrOpen;
  QVB_Handle newer = qvb_tool_open_reported("the new body", options.newer);
  if (newer == nullptr) return kUsageOrOpen;
  // The report and a progress line would share one terminal line; the line
  // is shown only while the report goes elsewhere or is silenced.
  const bool reportOnTerminal = options.level >= 0 && qvb_tool_output_is_terminal() == 1;
  qvb_tool_progress_start(options.quiet || reportOnTerminal);
  std::fflush(stdout);
  const int verdict = QVB_Compare(base, newer, options.level, options.tolerance);
  qvb_tool_progress_end();
  // The bodies are only read: the process ending releases them and the
  // backends, so nothing is gained by unloading the backends first.
  return verdict < 0 ? kDifferent : kEquivalent;
}
