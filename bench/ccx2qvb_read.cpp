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
    namespace tr = qvb::ccx2qvb;
    const auto dofs = tr::readDofs(dir + "/mass.dof");
    tr::SymmetricTriplets stiffness;
    report(dir + "/mass.mas", seconds([&] { tr::readSymmetric(dir + "/mass.mas", dofs.size()); }));
    report(dir + "/mass.sti", seconds([&] { stiffness = tr::readSymmetric(dir + "/mass.sti", dofs.size()); }));
    const std::string eig = dir + "/modes.eig";
    int modes = 0;
    if (std::filesystem::exists(eig)) {
      std::FILE *file = std::fopen(eig.c_str(), "rb");
      int header[4] = {0, 0, 0, 0};
      if (file != nullptr && std::fread(header, sizeof header, 1, file) == 1) modes = header[3];
      if (file != nullptr) std::fclose(file);
      const tr::EigenFileShape shape{static_cast<int64_t>(dofs.size()),
                                     static_cast<int64_t>(tr::offDiagonalCount(stiffness)), modes};
      report(eig, seconds([&] { tr::readEigenSolution(eig, shape); }));
    }
    const std::string frd = dir + "/modes.frd";
    if (std::filesystem::exists(frd) && modes > 0) {
      double sum = 0;
      // Every node the file holds counts; the expectation is what a kept
      // free-free run of the whole mesh holds.
      std::size_t nodes = 0;
      tr::readFrdResults(frd, {0, 0}, [&](tr::FrdResult, int set, int, const double *) {
        nodes += set == 1;
        return false;
      });
      report(frd, seconds([&] {
               tr::readFrdResults(frd, {modes, nodes / 2}, [&](tr::FrdResult, int, int, const double *v) {
                 sum += v[0];
                 return true;
               });
             }));
    }
  } catch (const std::exception &e) {
    std::fprintf(stderr, "ccx2qvb_read_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
