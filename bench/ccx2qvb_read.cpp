// Reading speed of the solver's files in the ccx2qvb translator: the matrix
// files (.sti, .mas with .dof), the binary modes (.eig) and the result file
// (.frd), from a folder kept with `ccx2qvb --keep DIR`. Each file is read
// twice and the second (warm cache) time is reported, so the figure is the
// parser's, not the disk's: wall-clock and processor time (on a shared
// machine the second is the parser's own speed).
//
//   ccx2qvb_read_bench DIR
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "eig_file.h"
#include "frd_results.h"
#include "matrix_files.h"

namespace ccx2qvb = qvb::ccx2qvb;

namespace {

struct Seconds {
  double wall, cpu;
};

Seconds seconds(const std::function<void()> &work) {
  work();  // warm the cache
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpu = std::clock();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
}

void report(const std::string &path, Seconds s) {
  std::error_code ignored;
  const double mb = static_cast<double>(std::filesystem::file_size(path, ignored)) / 1e6;
  std::printf("%-12s %8.1f MB  wall %7.3f s %7.0f MB/s  processor %7.3f s %7.0f MB/s\n",
              std::filesystem::path(path).filename().c_str(), mb, s.wall, mb / s.wall, s.cpu, mb / s.cpu);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ccx2qvb_read_bench DIR (a folder kept by ccx2qvb --keep)\n");
    return 1;
  }
  const std::string dir = argv[1];
  try {
    const auto dofs = ccx2qvb::readDofs(dir + "/mass.dof");
    for (const char *name : {"mass.mas", "mass.sti"}) {
      const std::string path = dir + "/" + name;
      report(path, seconds([&] { ccx2qvb::readSymmetric(path, dofs.size()); }));
    }
    const std::string eig = dir + "/modes.eig";
    if (std::filesystem::exists(eig))
      report(eig, seconds([&] { ccx2qvb::readEigenSolution(eig, static_cast<int64_t>(dofs.size())); }));
    const std::string frd = dir + "/modes.frd";
    if (std::filesystem::exists(frd)) {
      double sum = 0;
      report(frd, seconds([&] {
               ccx2qvb::readFrdResults(frd, [&](ccx2qvb::FrdResult, int, int, const double *v) { sum += v[0]; });
             }));
    }
  } catch (const std::exception &e) {
    std::fprintf(stderr, "ccx2qvb_read_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
