// ccx2qvb: a flexible body from a solid finite-element model in a solver deck.
//
//   ccx2qvb DECK.inp -o BODY.qvb [-n MODES] [-i SET]... [--units M L T F] [--keep DIR]
//
// Exit status 0 when the body was written, 1 when the translation failed (the
// body file is then not written at all), 2 for a usage error. Interrupted (INT, TERM, HUP), it removes its temporary
// work folder and then ends by that signal.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "command_support.h"
#include "tool_support.h"
#include "translate.h"

namespace {

const char kUsage[] =
    "usage: ccx2qvb DECK.inp -o BODY.qvb [-n MODES] [-i SET]... [--units MASS LENGTH TIME FORCE]\n"
    "               [--temperature T] [--keep DIR] [--times]\n"
    "\n"
    "Makes a flexible body from the model in DECK.inp (nodes; solids C3D4, C3D10, C3D8, C3D8R,\n"
    "C3D20, C3D20R, C3D6, C3D15; shells S3, S6, S4R, S8, S8R and beams B32 with their sections;\n"
    "point masses and springs; sets; elastic materials with density; includes; the deck's steps\n"
    "are ignored, and so are surface and line elements that no section names). Runs the solver\n"
    "(the CCX environment variable, else ccx on PATH) for the stiffness and mass matrices and for\n"
    "the modes' stresses; the modes themselves are solved here, from those matrices.\n"
    "\n"
    "  -o BODY.qvb       the body file to write\n"
    "  -n MODES          flexible modes to keep (default 20); 6 rigid-body modes come in addition\n"
    "  -i SET            an interface: the node set (or an element set's nodes, such as a mesher's\n"
    "                    surface group) is tied rigidly to a new reference node at its centroid,\n"
    "                    which becomes an interface node of the body (6 degrees of freedom);\n"
    "                    repeatable. With interfaces the body's modes are a Craig-Bampton basis\n"
    "                    (static constraint modes plus MODES normal modes with the interfaces\n"
    "                    held), orthonormalised.\n"
    "  --units M L T F   the deck's units, a consistent set (force = mass x length / time^2;\n"
    "                    default KILOGRAM METER SECOND NEWTON; most decks are in TONNE MILLIMETER\n"
    "                    SECOND NEWTON)\n"
    "  --temperature T   read the materials' temperature tables at T (default: the deck's uniform\n"
    "                    initial temperature)\n"
    "  --keep DIR        keep the solver's work files in DIR (default: a temporary folder)\n"
    "  --times           print the memory estimate and where the time went (seconds per phase)\n"
    "  -h, --help        print this text\n"
    "  --version         print the version\n"
    "\n"
    "Exit status: 0 when the body was written and passed every check of its modes against the\n"
    "solver's own matrices; 1 when the translation failed (the body file is then not written at\n"
    "all); 2 for a usage error.\n";

// A body file (.qvb) or a named body in a database (DB.master::NAME); any
// other name would be taken for a body file with .qvb appended.
bool namesABody(const std::string &output) {
  const size_t selector = output.find("::");
  if (selector != std::string::npos) {
    const std::string file = output.substr(0, selector);
    return file.size() > 7 && file.compare(file.size() - 7, 7, ".master") == 0 && selector + 2 < output.size();
  }
  return output.size() > 4 && output.compare(output.size() - 4, 4, ".qvb") == 0;
}

const char kUsageLine[] =
    "usage: ccx2qvb DECK.inp -o BODY.qvb [-n MODES] [-i SET]... [--units MASS LENGTH TIME FORCE] [--temperature T] "
    "[--keep DIR] [--times]";

[[noreturn]] void usageError(const std::string &problem) {
  std::exit(qvb_tool_usage_error("ccx2qvb", kUsageLine, problem.c_str()));
}

// A whole number or a finite real, all of the text.
long countFrom(const char *text, const char *what) {
  char *end = nullptr;
  const long count = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || count < 1 || count > 100000) usageError(std::string("bad ") + what + " " + text);
  return count;
}
double realFrom(const char *text, const char *what) {
  char *end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value)) usageError(std::string("bad ") + what + " " + text);
  return value;
}

struct CommandLine {
  qvb::ccx2qvb::Options options;
  bool timing = false;
};

CommandLine parse(int argc, char **argv) {
  enum { kUnits = 256, kTemperature, kKeep, kTimes, kVersion };
  const option longOptions[] = {{"help", no_argument, nullptr, 'h'},
                                {"version", no_argument, nullptr, kVersion},
                                {"units", required_argument, nullptr, kUnits},
                                {"temperature", required_argument, nullptr, kTemperature},
                                {"keep", required_argument, nullptr, kKeep},
                                {"times", no_argument, nullptr, kTimes},
                                {nullptr, 0, nullptr, 0}};
  CommandLine line;
  qvb::ccx2qvb::Options &o = line.options;
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":ho:n:i:", longOptions, nullptr)) != -1;) {
    switch (c) {
      case 'h': std::fputs(kUsage, stdout); std::exit(0);
      case kVersion: qvb_tool_print_version("ccx2qvb"); std::exit(0);
      case 'o': o.output = optarg; break;
      case 'n': o.modes = static_cast<int>(countFrom(optarg, "mode count")); break;
      case 'i': o.interfaces.push_back(optarg); break;
      case kUnits:  // four words: the first is the option's value, three follow it
        if (optind + 3 > argc) usageError("--units needs four unit names (mass, length, time, force)");
        o.units[0] = optarg;
        for (int k = 1; k < 4; ++k) o.units[k] = argv[optind++];
        o.unitsGiven = true;
        break;
      case kTemperature: o.temperature = realFrom(optarg, "temperature"); break;
      case kKeep: o.keep = optarg; break;
      case kTimes: line.timing = true; break;
      case ':': usageError(std::string(argv[optind - 1]) + " needs a value");
      default: usageError(std::string("unknown option ") + argv[optind - 1]);
    }
  }
  if (optind >= argc) usageError("no deck given");
  if (optind + 1 < argc) usageError(std::string("more than one deck given (") + argv[optind] + ", " + argv[optind + 1] + ")");
  o.deck = argv[optind];
  if (o.output.empty()) usageError("no body file given (-o BODY.qvb)");
  if (!namesABody(o.output))
    usageError("-o " + o.output + " names no body: give a file ending in .qvb or DB.master::NAME");
  return line;
}

// One line per phase, for the benchmark.
void printTimes(const qvb::ccx2qvb::Timing &t) {
  const std::pair<const char *, double> phases[] = {{"ccx", t.solver},
                                                    {"parse", t.parse},
                                                    {"eigen", t.eigen},
                                                    {"reduction", t.reduction},
                                                    {"verify", t.verify},
                                                    {"mass", t.mass},
                                                    {"results", t.results},
                                                    {"body", t.body},
                                                    {"own", t.own},
                                                    {"total", t.solver + t.own},
                                                    {"ccx-processor", t.solverProcessor},
                                                    {"own-processor", t.ownProcessor}};
  for (const auto &[name, seconds] : phases) std::fprintf(stderr, "ccx2qvb: time %s %.3f s\n", name, seconds);
  std::fprintf(stderr, "ccx2qvb: memory estimate %.3f GB\n", t.memoryNeed / 1e9);
  std::fprintf(stderr, "ccx2qvb: own time %.1f %% of the solver's (processor time %.1f %%)\n",
               t.solver > 0 ? 100.0 * t.own / t.solver : 0.0,
               t.solverProcessor > 0 ? 100.0 * t.ownProcessor / t.solverProcessor : 0.0);
}

}  // namespace

int main(int argc, char **argv) {
  const CommandLine line = parse(argc, argv);
  qvb_tool_default_plugin_dir();
  std::vector<std::string> warnings;
  auto warn = [&] {
    for (const std::string &w : warnings) std::fprintf(stderr, "ccx2qvb: warning: %s\n", w.c_str());
  };
  // Ctrl-C or a TERM during a translation still removes the solver's
  // temporary work folder (hundreds of MB on a large model).
  qvb::platform::InterruptionScope interruption;
  try {
    const qvb::ccx2qvb::Timing t = qvb::ccx2qvb::translate(line.options, &warnings);
    warn();
    if (line.timing) printTimes(t);
  } catch (const std::exception &e) {
    warn();
    std::fprintf(stderr, "ccx2qvb: error: %s\n", e.what());
    QVB_Terminate();
    interruption.endIfInterrupted();
    return 1;
  }
  QVB_Terminate();
  return 0;
}
