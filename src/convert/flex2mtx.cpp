// The MTX converter's entry point: reads the command line, selects nodes and
// modes, sets the body's units for the run, writes the matrices and puts the
// body's units back on every path that returns.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "convert/arg_tokens.h"
#include "convert/command_line.h"
#include "convert/conversion_context.h"
#include "convert/file_header.h"
#include "convert/list_grammar.h"
#include "convert/matrix_writers.h"
#include "convert/selection.h"
#include "convert/side_outputs.h"
#include "qvb.h"

namespace qvb::convert {

RunState &Run() {
  static RunState state;
  return state;
}

void PrintError(const char *format, ...) {
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

bool SetConversionUnits(ConversionContext &context) {
  // Normalised in place in 16-byte fields, as the label table expects.
  char labels[4][kUnitLabelSize] = {};
  std::string *fields[4] = {&context.mass_label, &context.length_label, &context.time_label,
                            &context.force_label};
  const char *defaults[4] = {"KILOGRAM", "METER", "SECOND", "NEWTON"};
  for (int q = 0; q < 4; ++q) {
    if (fields[q]->empty()) *fields[q] = defaults[q];
    std::strncpy(labels[q], fields[q]->c_str(), kUnitLabelSize - 1);
    QVB_ConvertUnitsLabel(labels[q]);
    *fields[q] = labels[q];
  }
  if (QVB_SetUnits(context.body, labels[0], labels[1], labels[2], labels[3]) == 0) {
    PrintError("Unable to set units to:\n\tMASS   = %s\n\tLENGHT = %s\n\tTIME   = %s\n\tFORCE  = %s",
               labels[0], labels[1], labels[2], labels[3]);
    return false;
  }
  return true;
}

bool OpenOutput(ConversionContext &context, const CommandLine &line) {
  if (!line.output_given) {
    const size_t dot = context.name_argument.find('.');
    context.output_base = context.name_argument.substr(0, dot);
  }
  const std::string file = context.output_base + ".mtx";
  if (file.size() < kFileNameBuffer) context.output.reset(std::fopen(file.c_str(), "w"));
  if (!context.output) {
    PrintError("Unable to open %s.  Consider using -o ", file.c_str());
    return false;
  }
  return true;
}

// Everything up to an open MTX file. On a failure the message has been
// printed and nothing has been written to the MTX file.
bool Drive(int argc, char **argv, ConversionContext &context) {
  if (argc < 2 || argv == nullptr) return false;
  std::vector<std::string> tokens;
  for (int i = 0; i < argc; ++i) {
    if (!AppendCommaTokens(argv[i], tokens)) {
      PrintError("Argument longer than %zu characters: %.40s...", kMaxArgumentLength, argv[i]);
      return false;
    }
  }
  Run() = RunState{};
  CommandLine line;

  size_t name_at = 1;
  if (tokens.size() > 1 && tokens[1] == "-Q") {
    Run().quiet = true;
    name_at = 2;
  }
  if (tokens.size() <= name_at) {
    PrintError("Please specify the flexible body");
    return false;
  }
  context.name_argument = tokens[name_at];
  context.double_precision = QVB_Double_Prec(context.body, 0) != 0;

  if (!ReadSwitches(tokens, name_at + 1, context, line)) return false;
  if (line.optimize && !WriteOptimizedBody(context, line)) return false;
  if (Run().quiet || context.skip_invariants_5_9 || context.rigid_only) Run().progress = false;

  if (ShellStream()) {
    const bool written = WriteShellFile(context.body, ShellStream().get());
    ShellStream().reset();
    if (!written) return false;
    if (line.exit_after_shell) TerminateAndExit(1);
  }

  if (!line.drop_nodes.empty() && !line.keep_nodes.empty()) {
    PrintError("-N and +N are mutually exclusive");
    return false;
  }
  if (!line.drop_modes.empty() && !line.keep_modes.empty()) {
    PrintError("-M and +M are mutually exclusive");
    return false;
  }
  for (std::vector<int> *list : {&line.drop_nodes, &line.keep_nodes, &line.drop_modes, &line.keep_modes})
    SortUnique(*list);
  if (!SelectNodes(line, context) || !SelectModes(line, context)) return false;

  if (line.dump && line.dump_stream) {
    WriteDump(context.body, line.dump_block, line.dump_stream.get());
    line.dump_stream.reset();
    TerminateAndExit(1);
  }
  return SetConversionUnits(context) && OpenOutput(context, line);
}

bool WriteMatrices(ConversionContext &context) {
  WriteFileHeader(context);
  if (Run().progress) {
    std::printf("Calculating Inertia Invariants\n");
    std::fflush(stdout);
  }
  QVB_RigidBodyForcesOnPrincipalAxes(context.body);
  QVB_DampingOnPrincipalAxes(context.body);
  MtxWriter mtx(context.output.get(), context.double_precision);
  using Writer = bool (*)(ConversionContext &, MtxWriter &);
  static const Writer kWriteOrder[] = {
      WriteSelectedNodes, WriteSelectedModes, WriteInvariant1,   WriteInvariant2,
      WriteInvariant3,    WriteInvariant4,    WriteInvariants5And9, WriteInvariant6,
      WriteInvariant7,    WriteInvariant8,    WriteGeneralizedStiffness, WriteModeShapes,
      WritePreload,       WriteModalLoads,    WriteGeneralizedDamping, WriteEdges,
      WriteRotorDynamics};
  for (Writer write : kWriteOrder)
    if (!write(context, mtx)) return false;
  return std::fclose(context.output.release()) == 0;
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
    if (Drive(argc, argv, context) && WriteMatrices(context)) result = 0;
  } catch (const std::bad_alloc &) {
    QVB_Error("Failed to allocate memory at line %d in file %s.\n", __LINE__, kSourceName);
  } catch (const std::exception &e) {
    QVB_Error("The conversion stopped: %s", e.what());
  }
  // A failed run must not leave a half-read shell file open.
  ShellStream().reset();
  QVB_SetUnitsByMultiplierOnSI(body, mass, length, time, force);
  return result;
}

extern "C" QVB_API const char *qvb2mtx_VersionId(void) {
  return "qvb2mtx 1.0.0 (MTX matrix file ORVIKMAT2)";
}
