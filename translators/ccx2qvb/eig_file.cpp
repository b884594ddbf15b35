#include "eig_file.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "platform/mapped_file.h"

namespace qvb::ccx2qvb {

EigenSolution readEigenSolution(const std::string &path, int64_t equations) {
  std::string error;
  auto file = qvb::platform::MappedFile::open(path, &error);
  if (!file) throw std::runtime_error("cannot read " + path + ": " + error);
  const unsigned char *bytes = file->data();
  const size_t size = file->size();
  int32_t header[4];
  if (size < sizeof header) throw std::runtime_error(path + ": too short for an eigen-solution");
  std::memcpy(header, bytes, sizeof header);
  if (header[0] != 0 || header[1] != 1 || header[2] != 0 || header[3] <= 0)
    throw std::runtime_error(path + ": not a real symmetric eigen-solution without preload (header " +
                             std::to_string(header[0]) + " " + std::to_string(header[1]) + " " +
                             std::to_string(header[2]) + " " + std::to_string(header[3]) + ")");
  const int64_t nev = header[3];
  const int64_t fixedDoubles = nev + 2 * equations + nev * equations;
  const int64_t rest = static_cast<int64_t>(size) - 16 - 8 * fixedDoubles;
  if (rest < 0 || rest % 16 != 0)
    throw std::runtime_error(path + ": size " + std::to_string(size) + " does not fit " + std::to_string(nev) +
                             " modes of " + std::to_string(equations) + " equations");
  const int64_t offDiagonal = rest / 16;
  EigenSolution s;
  s.equations = equations;
  s.modeCount = static_cast<int>(nev);
  const unsigned char *at = bytes + 16;
  auto take = [&](std::vector<double> *into, int64_t count) {
    into->resize(static_cast<size_t>(count));
    std::memcpy(into->data(), at, static_cast<size_t>(count) * 8);
    at += count * 8;
  };
  take(&s.eigenvalues, nev);
  take(&s.stiffnessDiagonal, equations);
  at += 8 * (offDiagonal + equations + offDiagonal);  // K off-diagonal, M diagonal and off-diagonal
  take(&s.modes, nev * equations);
  return s;
}

}  // namespace qvb::ccx2qvb
