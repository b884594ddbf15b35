#include "body_to_write.h"

#include <stdexcept>
#include <string>

#include "body_reduction.h"
#include "messages.h"
#include "platform/os.h"
#include "sketch_file.h"
#include "surface_coarsening.h"
#include "writer_options.h"

namespace qvb::coarsening {
namespace {

constexpr const char *kOptionsVariable = "TRX_QVBWRITE_OPTIONS";

// The sketch's nodes must all be nodes of the body: a sketch made for
// another body (or another version of this one) is refused, not guessed at.
bool checkAgainstBody(const Sketch &sketch, const std::string &file, const body::Body &b, std::string *error) {
  for (size_t k = 0; k < sketch.nodes.size(); ++k)
    if (b.nodeIndex(sketch.nodes[k]) < 0) {
      *error = file + ", line " + std::to_string(sketch.nodeLines[k]) + ": node " + std::to_string(sketch.nodes[k]) +
               " is not a node of the body";
      return false;
    }
  return true;
}

BodyToWrite failed(std::string error) {
  BodyToWrite out;
  out.error = std::move(error);
  return out;
}

BodyToWrite reduceAsAsked(const body::Body &b) {
  BodyToWrite out;
  out.body = &b;
  const char *text = platform::getEnv(kOptionsVariable);
  if (text == nullptr) return out;
  const WriterOptions options = parseWriterOptions(text);
  if (!options.error.empty()) return failed(std::string(kOptionsVariable) + ": " + options.error);
  if (!options.ignored.empty()) {
    std::string list;
    for (const std::string &name : options.ignored) list += (list.empty() ? "" : ", ") + name;
    body::reportWarning("%s: the body writer ignores %s", kOptionsVariable, list.c_str());
  }
  try {
    if (!options.sketchFile.empty()) {
      Sketch sketch;
      std::string error;
      if (!readSketch(options.sketchFile, &sketch, &error) || !checkAgainstBody(sketch, options.sketchFile, b, &error))
        return failed(error);
      out.reduced = reduceBody(b, sketch.nodes, sketch.faces);
    } else if (options.coarsen) {
      const CoarseSurface surface = coarsenSurface(b, options.level, options.value);
      out.reduced = reduceBody(b, surface.nodes, surface.faces);
    }
  } catch (const std::invalid_argument &e) {
    return failed(std::string("the body cannot be coarsened: ") + e.what());
  }
  if (out.reduced) {
    // Mode shapes are independent vectors of six values a node: fewer nodes
    // than that would make a body every reader refuses as damaged.
    const int modes = out.reduced->modeCount();
    const size_t nodes = out.reduced->kinds[0].nodes.size();
    if (modes > 6 * static_cast<long long>(nodes))
      return failed("the coarsened body would keep mode shapes at " + std::to_string(nodes) +
                    " nodes, too few for its " + std::to_string(modes) +
                    " modes (at most six a node); ask a lighter level or smaller cells");
    out.body = out.reduced.get();
  }
  return out;
}

}  // namespace

BodyToWrite bodyToWrite(const body::Body &b, const std::string &target) {
  BodyToWrite out = reduceAsAsked(b);
  if (out.body == nullptr) body::reportError("%s was not written: %s", target.c_str(), out.error.c_str());
  return out;
}

}  // namespace qvb::coarsening
