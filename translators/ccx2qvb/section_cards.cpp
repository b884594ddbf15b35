#include "section_cards.h"

#include <set>
#include <utility>

#include "solver_number.h"

namespace qvb::ccx2qvb {
namespace {

// Eight numbers a line, as the solver reads the constants of a point; with
// the separators without blanks, 20-character numbers keep a line at 167.
void appendValues(std::string *text, const std::vector<double> &values) {
  for (size_t k = 0; k < values.size(); ++k)
    *text += std::string(Number(values[k]).text) + (k + 1 == values.size() || k % 8 == 7 ? "\n" : ",");
}

std::string materialCards(const Material &material, size_t index) {
  std::string text = "*MATERIAL, NAME=QVBMAT" + std::to_string(index + 1) + "\n";
  if (material.stiffness.empty()) {
    text += "*ELASTIC\n";
    appendValues(&text, {material.youngsModulus, material.poissonRatio});
  } else {
    text += material.stiffness.size() == 9 ? "*ELASTIC, TYPE=ORTHO\n" : "*ELASTIC, TYPE=ANISO\n";
    appendValues(&text, material.stiffness);
  }
  text += "*DENSITY\n";
  appendValues(&text, {material.densityValue});
  return text;
}

std::string orientationCards(const Orientation &orientation, size_t index) {
  std::string text = "*ORIENTATION, NAME=QVBOR" + std::to_string(index + 1) +
                     (orientation.cylindrical ? ", SYSTEM=CYLINDRICAL\n" : ", SYSTEM=RECTANGULAR\n");
  appendValues(&text, std::vector<double>(orientation.points.begin(), orientation.points.end()));
  if (orientation.rotationAxis != 0)
    text += std::to_string(orientation.rotationAxis) + "," + Number(orientation.rotationAngle).text + "\n";
  return text;
}

int orientationOf(const Model &model, size_t element) {
  return element < model.elementOrientation.size() ? model.elementOrientation[element] : -1;
}

std::string setName(int material, int orientation) {
  return "QVBM" + std::to_string(material + 1) + (orientation < 0 ? "" : "O" + std::to_string(orientation + 1));
}

}  // namespace

std::string sectionSetName(const Model &model, size_t element) {
  return setName(model.elementMaterial[element], orientationOf(model, element));
}

std::string sectionCards(const Model &model) {
  std::set<std::pair<int, int>> sections;  // material, orientation; elements without a material have no section
  for (size_t e = 0; e < model.elementIds.size(); ++e)
    if (model.elementMaterial[e] >= 0) sections.emplace(model.elementMaterial[e], orientationOf(model, e));
  std::set<int> materials, orientations;
  for (const auto &[material, orientation] : sections) {
    materials.insert(material);
    if (orientation >= 0) orientations.insert(orientation);
  }
  std::string text;
  for (int o : orientations)
    text += orientationCards(model.orientations[static_cast<size_t>(o)], static_cast<size_t>(o));
  for (int m : materials) text += materialCards(model.materials[static_cast<size_t>(m)], static_cast<size_t>(m));
  for (const auto &[material, orientation] : sections)
    text += "*SOLID SECTION, ELSET=" + setName(material, orientation) + ", MATERIAL=QVBMAT" +
            std::to_string(material + 1) +
            (orientation < 0 ? "" : ", ORIENTATION=QVBOR" + std::to_string(orientation + 1)) + "\n";
  return text;
}

}  // namespace qvb::ccx2qvb
