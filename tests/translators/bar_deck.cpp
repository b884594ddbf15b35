#include "bar_deck.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace ccxtest {
namespace {

// The solver's midside order: the edges of the corner numbering, in turn.
const int kHexEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
const int kTetEdges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
// Six tets around the diagonal 0-6 of a brick (a conforming split when every
// brick uses the same diagonal), each positively oriented.
const int kTets[6][4] = {{0, 1, 2, 6}, {0, 2, 3, 6}, {0, 3, 7, 6}, {0, 7, 4, 6}, {0, 4, 5, 6}, {0, 5, 1, 6}};

}  // namespace

std::string barModel(const Bar &bar) {
  std::ostringstream out;
  out.precision(17);
  // Corner grid, then midside nodes created on demand per edge.
  std::vector<std::array<double, 3>> xyz;
  auto corner = [&](int i, int j, int k) { return 1 + i + (bar.nx + 1) * (j + (bar.ny + 1) * k); };
  for (int k = 0; k <= bar.nz; ++k)
    for (int j = 0; j <= bar.ny; ++j)
      for (int i = 0; i <= bar.nx; ++i)
        xyz.push_back({bar.origin + bar.length * i / bar.nx, bar.width * (static_cast<double>(j) / bar.ny - 0.5),
                       bar.height * (static_cast<double>(k) / bar.nz - 0.5)});
  std::map<std::pair<int, int>, int> midside;
  auto middle = [&](int a, int b) {
    auto key = std::make_pair(std::min(a, b), std::max(a, b));
    auto it = midside.find(key);
    if (it != midside.end()) return it->second;
    const auto &p = xyz[static_cast<size_t>(a - 1)], &q = xyz[static_cast<size_t>(b - 1)];
    xyz.push_back({(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2});
    const int id = static_cast<int>(xyz.size());
    midside.emplace(key, id);
    return id;
  };
  const bool tets = bar.type == "C3D4" || bar.type == "C3D10";
  const bool quadratic = bar.type == "C3D10" || bar.type == "C3D20" || bar.type == "C3D20R";
  std::vector<std::vector<int>> elements;
  for (int k = 0; k < bar.nz; ++k)
    for (int j = 0; j < bar.ny; ++j)
      for (int i = 0; i < bar.nx; ++i) {
        const int c[8] = {corner(i, j, k),         corner(i + 1, j, k),         corner(i + 1, j + 1, k),
                          corner(i, j + 1, k),     corner(i, j, k + 1),         corner(i + 1, j, k + 1),
                          corner(i + 1, j + 1, k + 1), corner(i, j + 1, k + 1)};
        if (!tets) {
          std::vector<int> e(c, c + 8);
          if (quadratic)
            for (const auto &edge : kHexEdges) e.push_back(middle(c[edge[0]], c[edge[1]]));
          elements.push_back(e);
        } else {
          for (const auto &t : kTets) {
            std::vector<int> e = {c[t[0]], c[t[1]], c[t[2]], c[t[3]]};
            if (quadratic)
              for (const auto &edge : kTetEdges) e.push_back(middle(e[static_cast<size_t>(edge[0])], e[static_cast<size_t>(edge[1])]));
            elements.push_back(e);
          }
        }
      }
  const int offset = bar.idOffset;
  const std::string &s = bar.suffix;
  out << "*NODE\n";
  for (size_t n = 0; n < xyz.size(); ++n)
    out << n + 1 + offset << ", " << xyz[n][0] << ", " << xyz[n][1] << ", " << xyz[n][2] << "\n";
  out << "*ELEMENT, TYPE=" << bar.type << ", ELSET=EALL" << s << "\n";
  for (size_t e = 0; e < elements.size(); ++e) {
    out << e + 1 + offset;
    for (size_t k = 0; k < elements[e].size(); ++k) out << (k == 15 ? ",\n" : ", ") << elements[e][k] + offset;
    out << "\n";
  }
  auto nodeSet = [&](const char *name, auto keep) {
    out << "*NSET, NSET=" << name << s << "\n";
    int count = 0;
    for (size_t n = 0; n < xyz.size(); ++n)
      if (keep(xyz[n])) out << n + 1 + offset << (++count % 16 == 0 ? ",\n" : ", ");
    out << "\n";
  };
  const double tol = 1e-9, start = bar.origin, end = bar.origin + bar.length;
  nodeSet("END0", [&](const std::array<double, 3> &p) { return p[0] < start + tol; });
  nodeSet("END1", [&](const std::array<double, 3> &p) { return p[0] > end - tol; });
  nodeSet("EDGE0", [&](const std::array<double, 3> &p) {
    return p[0] < start + tol && p[2] < -bar.height / 2 + tol;
  });
  if (!tets) {
    out << "*ELSET, ELSET=LAST" << s << "\n";
    for (int k = 0; k < bar.nz; ++k)
      for (int j = 0; j < bar.ny; ++j) out << 1 + offset + (bar.nx - 1) + bar.nx * (j + bar.ny * k) << ",\n";
  }
  out << "*MATERIAL, NAME=STEEL" << s << "\n*ELASTIC\n" << bar.young << ", " << bar.poisson << "\n*DENSITY\n"
      << bar.density << "\n*SOLID SECTION, ELSET=EALL" << s << ", MATERIAL=STEEL" << s << "\n";
  return out.str();
}

void writeText(const std::string &path, const std::string &text) {
  std::ofstream file(path);
  file << text;
  if (!file.good()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

}  // namespace ccxtest
