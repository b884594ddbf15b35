// qvbcompare [-Q] [-v LEVEL] [-t TOLERANCE] [-j N] BASE NEW
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

#include <getopt.h>

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

enum ExitStatus { kEquivalent = 0, kDifferent = 1, kUsageOrOpen = QVB_TOOL_USAGE_ERROR };

constexpr const char kUsageLine[] = "usage: qvbcompare [-Q] [-v LEVEL] [-t TOLERANCE] [-j N] BASE NEW";

void printUsage(std::FILE *stream) {
  std::fprintf(stream,
               "%s\n"
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
               kUsageLine, kDefaultLevel, kDefaultTolerance);
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

// getopt_long: options may stand before, between or after the two body
// names; "-t X", "-tX", "--tolerance X" and "--tolerance=X" all work. A
// usage error has been reported (and false returned) when this returns false.
bool parseArguments(int argc, char **argv, Options &options) {
  static const option kLong[] = {{"help", no_argument, nullptr, 'h'},
                                 {"version", no_argument, nullptr, 'V'},
                                 {"level", required_argument, nullptr, 'v'},
                                 {"tolerance", required_argument, nullptr, 't'},
                                 {nullptr, 0, nullptr, 0}};
  auto refuse = [](const std::string &problem) {
    qvb_tool_usage_error("qvbcompare", kUsageLine, problem.c_str());
    return false;
  };
  opterr = 0;  // the messages are ours
  optind = 1;
  for (int c; (c = getopt_long(argc, argv, "+hQv:t:", kLong, nullptr)) != -1 || optind < argc;) {
    if (c == -1) {  // a body name: take it and go on past it
      if (options.base == nullptr)
        options.base = argv[optind];
      else if (options.newer == nullptr)
        options.newer = argv[optind];
      else
        return refuse(std::string("unexpected argument ") + argv[optind]);
      ++optind;
      continue;
    }
    switch (c) {
      case 'h':
        options.help = true;
        return true;
      case 'V':
        options.version = true;
        return true;
      case 'Q':
        options.quiet = true;
        break;
      case 'v':
        if (!parseInt(optarg, options.level)) return refuse(std::string("invalid report level \"") + optarg + "\"");
        break;
      case 't':
        if (!parseDouble(optarg, options.tolerance))
          return refuse(std::string("invalid tolerance \"") + optarg + "\" (a number >= 0)");
        break;
      default: {
        const std::string given = argv[optind - 1];
        return refuse(std::strchr("vt", optopt) != nullptr && optopt != 0 ? "option " + given + " needs a value"
                                                                          : "unknown option " + given);
      }
    }
  }
  if (options.newer == nullptr) return refuse("two bodies are needed, BASE and NEW");
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  if (!qvb_tool_take_thread_switch("qvbcompare", &argc, argv)) return kUsageOrOpen;
  if (!parseArguments(argc, argv, options)) return kUsageOrOpen;
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
