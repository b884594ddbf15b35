// The MTX converter's entry point: reads the command line, selects nodes and
// modes, sets the body's units for the run, writes the matrices and puts the
// body's units back on every path that returns.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "convert/arg_tokens.h"
#include "convert/command_line.h"
#include "convert/conversion_context.h"
#include "convert/file_header.h"
#include "convert/list_grammar.h"
#include "convert/matrix_writers.h"
#include "convert/selection.h"
#include "convert/side_outputs.h"
#include "platform/os.h"
#include "platform/worker_threads.h"
#include "qvb.h"
#include "util/progress_report.h"

namespace qvb::convert {

RunState &runState() {
  static RunState state;
  return state;
}

void printError(const char *format, ...) {
  std::va_list args;
  va_start(args, format);
  std::printf("\n**ERROR\a** ");
  std::vprintf(format, args);
  std::printf("\n\n");
  va_end(args);
}

namespace {

// The MTX file name is formed in a buffer of this size.
constexpr size_t kFileNameBuffer = 1000;

// Every output's writes counted: a file that was not written whole is
// reported with its name and the system's reason, and is not left behind.
bool closeOutput(platform::OutputFile &file) {
  if (file.close()) return true;
  printError("%s", file.error().c_str());
  return false;
}

// The MTX file of the last run, for QVB_QVB2MTX_OutputFile.
std::string &lastOutputFile() {
  static std::string file;
  return file;
}

bool setConversionUnits(ConversionContext &context) {
  // Normalised in place in 16-byte fields, as the label table expects.
  char labels[4][kUnitLabelSize] = {};
  std::string *fields[4] = {&context.massLabel, &context.lengthLabel, &context.timeLabel,
                            &context.forceLabel};
  const char *defaults[4] = {"KILOGRAM", "METER", "SECOND", "NEWTON"};
  for (int q = 0; q < 4; ++q) {
    if (fields[q]->empty()) *fields[q] = defaults[q];
    std::strncpy(labels[q], fields[q]->c_str(), kUnitLabelSize - 1);
    QVB_ConvertUnitsLabel(labels[q]);
    *fields[q] = labels[q];
  }
  if (QVB_SetUnits(context.body, labels[0], labels[1], labels[2], labels[3]) == 0) {
    printError("Unable to set units to:\n\tMASS   = %s\n\tLENGHT = %s\n\tTIME   = %s\n\tFORCE  = %s",
               labels[0], labels[1], labels[2], labels[3]);
    return false;
  }
  return true;
}

// The matrix file is named after the body's name up to its first ".", so
// "./x.qvb" makes the hidden ".mtx" and "dir.d/x.qvb" makes "dir.mtx". The
// rule stays; a name other than the body file's own stem is pointed out.
void warnAboutSurprisingName(const std::string &body, const std::string &file) {
  const std::string path = body.substr(0, body.find("::"));
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const std::string stem =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
  const std::string name = file.substr(file.rfind('/') == std::string::npos ? 0 : file.rfind('/') + 1);
  if (name[0] != '.' && file == stem + ".mtx") return;
  std::printf(
      "\n**WARNING\a** The matrix file is %s (the body's name up to its first \".\"); "
      "use -o to name it\n\n",
      file.c_str());
}

bool openOutput(ConversionContext &context, const CommandLine &line) {
  if (!line.outputGiven) {
    const size_t dot = context.nameArgument.find('.');
    context.outputBase = context.nameArgument.substr(0, dot);
  }
  const std::string file = context.outputBase + ".mtx";
  if (file.size() >= kFileNameBuffer || !context.output.open(file)) {
    printError("Unable to open %s.  Consider using -o ", file.c_str());
    return false;
  }
  if (!line.outputGiven) warnAboutSurprisingName(context.nameArgument, file);
  lastOutputFile() = file;
  return true;
}

// Everything up to an open MTX file. On a failure the message has been
// printed and nothing has been written to the MTX file.
bool drive(int argc, char **argv, ConversionContext &context) {
  lastOutputFile().clear();
  if (argc < 2 || argv == nullptr) return false;
  std::vector<std::string> tokens;
  for (int i = 0; i < argc; ++i) {
    if (!appendCommaTokens(argv[i], tokens)) {
      printError("Argument longer than %zu characters: %.40s...", kMaxArgumentLength, argv[i]);
      return false;
    }
  }
  runState() = RunState{};
  CommandLine line;

  size_t nameAt = 1;
  if (tokens.size() > 1 && tokens[1] == "-Q") {
    runState().quiet = true;
    nameAt = 2;
  }
  if (tokens.size() <= nameAt) {
    printError("Please specify the flexible body");
    return false;
  }
  context.nameArgument = tokens[nameAt];
  context.doublePrecision = QVB_Double_Prec(context.body, 0) != 0;

  if (!readSwitches(tokens, nameAt + 1, context, line)) return false;
  if (line.optimize && !writeOptimizedBody(context, line)) return false;
  if (runState().quiet || context.skipInvariants59 || context.rigidOnly) runState().progress = false;

  if (shellStream()) {
    const bool written = writeShellFile(context.body, shellStream()->stream()) && closeOutput(*shellStream());
    shellStream().reset();
    if (!written) return false;
    if (line.exitAfterShell) terminateAndExit(1);
  }

  if (!line.dropNodes.empty() && !line.keepNodes.empty()) {
    printError("-N and +N are mutually exclusive");
    return false;
  }
  if (!line.dropModes.empty() && !line.keepModes.empty()) {
    printError("-M and +M are mutually exclusive");
    return false;
  }
  for (std::vector<int> *list : {&line.dropNodes, &line.keepNodes, &line.dropModes, &line.keepModes})
    sortUnique(*list);
  if (!selectNodes(line, context) || !selectModes(line, context)) return false;

  if (line.dump) {
    // The command ends with 1 either way; a dump that was not written whole
    // says so, and leaves no piece of itself.
    writeDump(context.body, line.dumpBlock, line.dumpFile ? line.dumpFile->stream() : stdout);
    if (line.dumpFile) closeOutput(*line.dumpFile);
    line.dumpFile.reset();
    terminateAndExit(1);
  }
  return setConversionUnits(context) && openOutput(context, line);
}

bool writeMatrices(ConversionContext &context) {
  StreamOutput stream(context.output.stream(), context.threads);
  writeFileHeader(context, stream);
  if (runState().progress) {
    std::printf("Calculating Inertia Invariants\n");
    std::fflush(stdout);
  }
  QVB_RigidBodyForcesOnPrincipalAxes(context.body);
  QVB_DampingOnPrincipalAxes(context.body);
  MtxWriter mtx(stream, context.doublePrecision);
  using Writer = bool (*)(ConversionContext &, MtxWriter &);
  struct Step {
    Writer write;
    const char *phase;  // for a host that shows progress
  };
  static const Step kWriteOrder[] = {
      {writeSelectedNodes, "nodes"},         {writeSelectedModes, "modes"},
      {writeInvariant1, "invariant 1"},      {writeInvariant2, "invariant 2"},
      {writeInvariant3, "invariant 3"},      {writeInvariant4, "invariant 4"},
      {writeInvariants5And9, "invariants 5 and 9"}, {writeInvariant6, "invariant 6"},
      {writeInvariant7, "invariant 7"},      {writeInvariant8, "invariant 8"},
      {writeGeneralizedStiffness, "generalized stiffness"}, {writeModeShapes, "mode shapes"},
      {writePreload, "preload"},             {writeModalLoads, "modal loads"},
      {writeGeneralizedDamping, "damping"},  {writeEdges, "edges"},
      {writeRotorDynamics, "rotor dynamics"}};
  constexpr double kSteps = sizeof kWriteOrder / sizeof kWriteOrder[0];
  double done = 0.0;
  for (const Step &step : kWriteOrder) {
    qvb::util::reportProgress(step.phase, done++ / kSteps);
    const bool written = step.write(context, mtx);
    // A failed write (a full disk) is reported by closing; there is no use
    // computing the rest.
    if (std::ferror(context.output.stream()) || context.output.failed()) break;
    if (!written) return false;
  }
  for (const auto &text : context.textInTheMaking) text->wait();
  const bool closed = closeOutput(context.output);
  if (closed) qvb::util::reportProgress("written", 1.0);
  return closed;
}

}  // namespace

}  // namespace qvb::convert

extern "C" QVB_API int QVB_QVB2MTX(int argc, char **argv, QVB_Handle body) {
  using namespace qvb::convert;
  const double mass = QVB_Mass2Kilogram(body, 1.0);
  const double force = QVB_Force2Newton(body, 1.0);
  const double length = QVB_Length2Meter(body, 1.0);
  const double time = QVB_Time2Second(body, 1.0);
  int result = -1;
  try {
    ConversionContext context;
    context.body = body;
    context.threads = qvb::platform::threadsAskedFor();
    if (drive(argc, argv, context) && writeMatrices(context)) result = 0;
  } catch (const std::bad_alloc &) {
    QVB_Error("Failed to allocate memory at line %d in file %s.\n", __LINE__, kSourceName);
  } catch (const std::exception &e) {
    QVB_Error("The conversion stopped: %s", e.what());
  }
  // A failed run must not leave a half-read shell file open.
  shellStream().reset();
  QVB_SetUnitsByMultiplierOnSI(body, mass, length, time, force);
  return result;
}

extern "C" QVB_API const char *QVB_QVB2MTX_OutputFile(void) { return qvb::convert::lastOutputFile().c_str(); }

extern "C" QVB_API const char *qvb2mtx_VersionId(void) {
  return "qvb2mtx 1.0.0 (MTX matrix file ORVIKMAT2)";
}
