#include "discrete_deck.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "solver_number.h"

namespace qvb::ccx2qvb {
namespace {

// One element set: its *ELEMENT block, then the card that gives its value.
void addSet(std::string *out, const std::string &type, const std::string &set, const std::vector<std::string> &lines,
            const std::string &card) {
  *out += "*ELEMENT, TYPE=" + type + ", ELSET=" + set + "\n";
  for (const std::string &line : lines) *out += line + "\n";
  *out += card;
}

// A value with a decimal point: the solver's *SPRING tells the constant's
// line from a line of directions by it ("5e+07" alone fails to read).
std::string value(double v) {
  std::string text = Number(v).text;  // "20" or "5e+07" at most: short enough for one more character
  if (text.find('.') == std::string::npos) text.insert(std::min(text.find_first_of("eE"), text.size()), ".");
  return text;
}

}  // namespace

std::string discreteElementDeck(const Model &model) {
  std::string out;
  std::map<double, std::vector<std::string>> masses;
  for (const PointMass &m : model.pointMasses)
    masses[m.mass].push_back(std::to_string(m.element) + ", " + std::to_string(m.node));
  int set = 0;
  for (const auto &[mass, lines] : masses) {
    const std::string name = "QVBP" + std::to_string(++set);
    addSet(&out, "MASS", name, lines, "*MASS, ELSET=" + name + "\n" + value(mass) + "\n");
  }
  // By directions (0 for an axial spring) and constant.
  std::map<std::tuple<int, int, double>, std::vector<std::string>> springs;
  for (const Spring &s : model.springs)
    springs[{s.directions[0], s.directions[1], s.stiffness}].push_back(
        std::to_string(s.element) + ", " + std::to_string(s.nodes[0]) + ", " + std::to_string(s.nodes[1]));
  set = 0;
  for (const auto &[key, lines] : springs) {
    const auto &[first, second, stiffness] = key;
    const std::string name = "QVBS" + std::to_string(++set);
    const std::string directions = first == 0 ? "" : std::to_string(first) + ", " + std::to_string(second) + "\n";
    addSet(&out, first == 0 ? "SPRINGA" : "SPRING2", name, lines,
           "*SPRING, ELSET=" + name + "\n" + directions + value(stiffness) + "\n");
  }
  return out;
}

}  // namespace qvb::ccx2qvb
