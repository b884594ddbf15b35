#include "eig_file.h"

#include <cmath>
#include <cstring>

#include "errors.h"
#include "platform/mapped_file.h"
#include "result_file.h"

namespace qvb::ccx2qvb {

EigenSolution readEigenSolution(const std::string &path, const EigenFileShape &shape) {
  const auto file = openResultFile(path);
  const unsigned char *bytes = file->data();
  const size_t size = file->size();
  int32_t header[4];
  if (size < sizeof header) throw ResultFileError(path + " is cut: " + std::to_string(size) + " bytes");
  std::memcpy(header, bytes, sizeof header);
  if (header[0] != 0 || header[1] != 1 || header[2] != 0 || header[3] != shape.modes)
    throw ResultFileError(path + " is not the eigen-solution the job asked for (" + std::to_string(shape.modes) +
                          " real modes without preload; its header says " + std::to_string(header[0]) + " " +
                          std::to_string(header[1]) + " " + std::to_string(header[2]) + " " +
                          std::to_string(header[3]) + ")");
  const int64_t nev = header[3], neq = shape.equations, nzs = shape.offDiagonals;
  const int64_t expected = 16 + 8 * (nev + 2 * (neq + nzs) + nev * neq);
  if (static_cast<int64_t>(size) != expected)
    throw ResultFileError(path + " has " + std::to_string(size) + " bytes where " + std::to_string(nev) +
                          " modes of " + std::to_string(neq) + " equations take " + std::to_string(expected) +
                          (static_cast<int64_t>(size) < expected ? " (the file is cut)" : ""));
  EigenSolution s;
  s.equations = neq;
  s.modeCount = static_cast<int>(nev);
  const unsigned char *at = bytes + 16;
  auto take = [&](std::vector<double> *into, int64_t count) {
    into->resize(static_cast<size_t>(count));
    std::memcpy(into->data(), at, static_cast<size_t>(count) * 8);
    at += count * 8;
  };
  take(&s.eigenvalues, nev);
  take(&s.stiffnessDiagonal, neq);
  at += 8 * (nzs + neq + nzs);  // K off-diagonal, M diagonal and off-diagonal
  take(&s.modes, nev * neq);
  for (double v : s.modes)
    if (!std::isfinite(v)) throw ResultFileError(path + " holds a mode value that is not a finite number");
  return s;
}

}  // namespace qvb::ccx2qvb
