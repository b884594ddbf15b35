// ccx2qvb: a flexible body from a solid finite-element model in a solver deck.
//
//   ccx2qvb DECK.inp -o BODY.qvb [-n MODES] [-i NSET]... [--units M L T F] [--keep DIR]
//
// Exit status 0 when the body was written, 1 otherwise (the body file is then
// not written at all). Interrupted (INT, TERM, HUP), it removes its temporary
// work folder and then ends by that signal.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "tool_support.h"
#include "translate.h"

namespace {

const char kUsage[] =
    "usage: ccx2qvb DECK.inp -o BODY.qvb [-n MODES] [-i NSET]... [--units MASS LENGTH TIME FORCE]\n"
    "               [--temperature T] [--keep DIR] [--times]\n"
    "\n"
    "Makes a flexible body from the solid model in DECK.inp (nodes, elements C3D4, C3D10,\n"
    "C3D8, C3D8R, C3D20, C3D20R, C3D6, C3D15, sets, isotropic materials with density,\n"
    "solid sections, includes; the deck's steps are ignored). Runs the solver (the CCX\n"
    "environment variable, else ccx on PATH) for the mass matrix and the modes.\n"
    "\n"
    "  -o BODY.qvb       the body file to write\n"
    "  -n MODES          flexible modes to keep (default 20); 6 rigid-body modes come in addition\n"
    "  -i NSET           an interface: the node set is tied rigidly to a new reference node at\n"
    "                    its centroid, which becomes an interface node of the body (6 degrees\n"
    "                    of freedom); repeatable. With interfaces the body's modes are a\n"
    "                    Craig-Bampton basis (static constraint modes plus MODES normal modes\n"
    "                    with the interfaces held), orthonormalised.\n"
    "  --units M L T F   the deck's units, a consistent set (force = mass x length / time^2;\n"
    "                    default KILOGRAM METER SECOND NEWTON; most decks are in TONNE MILLIMETER\n"
    "                    SECOND NEWTON)\n"
    "  --temperature T   read the materials' temperature tables at T (default: the deck's uniform\n"
    "                    initial temperature)\n"
    "  --keep DIR        keep the solver's work files in DIR (default: a temporary folder)\n"
    "  --times           print where the time went (seconds per phase)\n"
    "  -h, --help        print this text\n"
    "  --version         print the version\n"
    "\n"
    "Exit status: 0 when the body was written and passed every check of its modes against the\n"
    "solver's own matrices; 1 otherwise (the body file is then not written at all).\n";

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

[[noreturn]] void usageError(const std::string &message) {
  std::fprintf(stderr, "ccx2qvb: %s\n\n%s", message.c_str(), kUsage);
  std::exit(1);
}

}  // namespace

int main(int argc, char **argv) {
  qvb::ccx2qvb::Options options;
  bool timing = false;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    auto value = [&](const char *what) -> std::string {
      if (i + 1 >= args.size()) usageError(a + " needs " + what);
      return args[++i];
    };
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--version") {
      std::printf("ccx2qvb %s\n", CCX2QVB_VERSION);
      return 0;
    } else if (a == "-o") {
      options.output = value("a body file name");
    } else if (a == "-n") {
      const std::string n = value("a mode count");
      char *end = nullptr;
      const long count = std::strtol(n.c_str(), &end, 10);
      if (end == n.c_str() || *end != '\0' || count < 1 || count > 100000) usageError("bad mode count " + n);
      options.modes = static_cast<int>(count);
    } else if (a == "-i") {
      options.interfaces.push_back(value("a node set name"));
    } else if (a == "--units") {
      for (int k = 0; k < 4; ++k) options.units[k] = value("four unit names (mass, length, time, force)");
      options.unitsGiven = true;
    } else if (a == "--temperature") {
      const std::string t = value("a temperature");
      char *end = nullptr;
      const double temperature = std::strtod(t.c_str(), &end);
      if (end == t.c_str() || *end != '\0' || !std::isfinite(temperature)) usageError("bad temperature " + t);
      options.temperature = temperature;
    } else if (a == "--keep") {
      options.keep = value("a folder");
    } else if (a == "--times") {
      timing = true;
    } else if (!a.empty() && a[0] == '-') {
      usageError("unknown option " + a);
    } else if (options.deck.empty()) {
      options.deck = a;
    } else {
      usageError("more than one deck given (" + options.deck + ", " + a + ")");
    }
  }
  if (options.deck.empty()) usageError("no deck given");
  if (options.output.empty()) usageError("no body file given (-o BODY.qvb)");
  if (!namesABody(options.output))
    usageError("-o " + options.output + " names no body: give a file ending in .qvb or DB.master::NAME");

  qvb_tool_default_plugin_dir();
  std::vector<std::string> warnings;
  auto warn = [&] {
    for (const std::string &w : warnings) std::fprintf(stderr, "ccx2qvb: warning: %s\n", w.c_str());
  };
  // Ctrl-C or a TERM during a translation still removes the solver's
  // temporary work folder (hundreds of MB on a large model).
  qvb::platform::InterruptionScope interruption;
  try {
    const qvb::ccx2qvb::Timing t = qvb::ccx2qvb::translate(options, &warnings);
    warn();
    if (timing) {  // one line per phase, for the benchmark
      const std::pair<const char *, double> phases[] = {
          {"ccx", t.solver}, {"parse", t.parse},     {"reduction", t.reduction}, {"mass", t.mass},
          {"results", t.results}, {"body", t.body}, {"own", t.own}, {"total", t.solver + t.own},
          {"ccx-processor", t.solverProcessor}, {"own-processor", t.ownProcessor}};
      for (const auto &[name, seconds] : phases) std::fprintf(stderr, "ccx2qvb: time %s %.3f s\n", name, seconds);
      std::fprintf(stderr,
                   "ccx2qvb: read %.1f MB of solver files; own time %.1f %% of the solver's (processor time %.1f %%)\n",
                   t.bytesRead / 1e6, t.solver > 0 ? 100.0 * t.own / t.solver : 0.0,
                   t.solverProcessor > 0 ? 100.0 * t.ownProcessor / t.solverProcessor : 0.0);
    }
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
