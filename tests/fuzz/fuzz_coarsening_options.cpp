// The advanced-coarsening option parser and the sketch file name rule, on
// hostile writer options and body file names.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "script_bridge/coarsening_options.h"

using namespace qvb::coarsen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string bodyFile = in.ConsumeRandomLengthString(256);
  const std::string options = in.ConsumeRemainingBytesAsString();
  const ParsedCoarseningOptions parsed = parseCoarseningOptions(options, bodyFile);
  // Exactly one of the two outcomes, and a refusal always says why.
  if (parsed.ok == !parsed.error.empty()) std::abort();
  if (parsed.ok) {
    const CoarseningRequest &r = parsed.request;
    if (r.levelCode < -1 || r.levelCode > 1 || r.sketchName.empty()) std::abort();
  }
  sketchFileName(options, bodyFile);
  return 0;
}
