// The body writer's options and its sketch file reader, on hostile text:
// the first line is the options, the rest a sketch file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "sketch_file.h"
#include "writer_options.h"

using namespace qvb::coarsening;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const size_t end = text.find('\n');
  const WriterOptions options = parseWriterOptions(text.substr(0, end));
  if (options.coarsen && (options.level < -1 || options.level > 1 || !(options.value >= 0.0))) std::abort();

  Sketch sketch;
  std::string error;
  const bool ok = parseSketch(end == std::string::npos ? "" : text.substr(end + 1), "fuzz.ske", &sketch, &error);
  // A refusal names the file and line; a sketch read is consistent: one
  // line per node and face, every face on listed nodes.
  if (!ok) {
    if (error.rfind("fuzz.ske, line ", 0) != 0) std::abort();
    return 0;
  }
  const std::unordered_set<int> listed(sketch.nodes.begin(), sketch.nodes.end());
  if (listed.size() != sketch.nodes.size() || sketch.nodeLines.size() != sketch.nodes.size()) std::abort();
  size_t faces = 0;
  for (size_t i = 0; i < sketch.faces.size(); i += 1 + sketch.faces[i], ++faces) {
    if (sketch.faces[i] < 1 || i + sketch.faces[i] >= sketch.faces.size()) std::abort();
    for (int k = 1; k <= sketch.faces[i]; ++k)
      if (!listed.count(sketch.faces[i + k])) std::abort();
  }
  if (faces != sketch.faceLines.size()) std::abort();
  return 0;
}
