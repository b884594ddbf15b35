// Telling the host's progress handler (QVB_SetProgressHandler) how far long
// work has come. Costs one test when no host listens.
#pragma once

namespace qvb::util {

// phase: what is under way; fraction: the share of the whole work done.
void reportProgress(const char *phase, double fraction);

}  // namespace qvb::util
