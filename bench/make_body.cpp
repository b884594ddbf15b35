// qvb_bench_make_body OUT.qvb NODES MODES [--no-stress]
// Writes one synthetic body (see synthetic_body.h).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "qvb.h"
#include "synthetic_body.h"

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s OUT.qvb NODES MODES [--no-stress]\n", argv[0]);
    return 2;
  }
  const qvb::bench::BodySize size{std::atoi(argv[2]), std::atoi(argv[3]),
                                !(argc > 4 && std::strcmp(argv[4], "--no-stress") == 0)};
  if (size.nodes <= 0 || size.modes <= 0) {
    std::fprintf(stderr, "NODES and MODES must be positive\n");
    return 2;
  }
  // The backends sit in ../plugins beside the build tree's commands.
  if (std::getenv("TRX_USER_PLUGIN_DIR") == nullptr)
    setenv("TRX_USER_PLUGIN_DIR",
           (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "plugins").c_str(), 1);
  const bool ok = qvb::bench::writeSyntheticBody(argv[1], size);
  QVB_Terminate();
  return ok ? 0 : 1;
}
