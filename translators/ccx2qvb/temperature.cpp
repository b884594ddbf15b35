#include "temperature.h"

#include <cmath>
#include <string>
#include <vector>

#include "elastic_constants.h"
#include "message_number.h"

namespace qvb::ccx2qvb {
namespace {

// The table's value at t: linear between points, the end value beyond them.
template <class Point, class Value>
double interpolate(const std::vector<Point> &table, double t, Value value) {
  if (t <= table.front().temperature) return value(table.front());
  if (t >= table.back().temperature) return value(table.back());
  size_t k = 1;
  while (table[k].temperature < t) ++k;
  const Point &a = table[k - 1], &b = table[k];
  const double w = (t - a.temperature) / (b.temperature - a.temperature);
  return (1 - w) * value(a) + w * value(b);
}

std::string materialText(const Material &m) { return m.where.text() + ": material " + m.name; }

// The other types' stiffness at t: each point's stiffness (engineering
// constants converted first, as the solver does), interpolated entry by entry.
std::vector<double> stiffnessAt(const Material &m, double t) {
  std::vector<ElasticPoint> points = m.elastic;
  for (ElasticPoint &p : points) p.constants = stiffnessConstants(m.elasticType, p.constants);
  std::vector<double> stiffness(points.front().constants.size());
  for (size_t k = 0; k < stiffness.size(); ++k)
    stiffness[k] = interpolate(points, t, [k](const ElasticPoint &p) { return p.constants[k]; });
  return stiffness;
}

void check(const Material &m, const std::string &at) {
  if (!m.stiffness.empty()) {
    if (!(m.youngsModulus > 0))
      throw DeckError(materialText(m) + " has elastic constants" + at +
                      " whose stiffness is not positive definite (no stable material has them)");
  } else {
    if (!(m.youngsModulus > 0))
      throw DeckError(materialText(m) + " has Young's modulus " + messageNumber(m.youngsModulus) + at +
                      " (it must be positive)");
    if (!(m.poissonRatio > -1 && m.poissonRatio < 0.5))
      throw DeckError(materialText(m) + " has Poisson's ratio " + messageNumber(m.poissonRatio) + at +
                      " (it must lie between -1 and 0.5)");
  }
  if (!(m.densityValue > 0))
    throw DeckError(materialText(m) + " has density " + messageNumber(m.densityValue) + at +
                    " (it must be positive: a flexible body needs mass)");
}

}  // namespace

std::optional<double> resolveTemperature(Model *model, std::optional<double> given) {
  if (given && !std::isfinite(*given)) throw OptionError("the temperature must be a finite number");
  const std::optional<double> temperature = given ? given : model->initialTemperature;
  std::vector<char> used(model->materials.size(), 0);
  for (int m : model->elementMaterial) used[static_cast<size_t>(m)] = 1;
  bool depended = false;
  for (size_t m = 0; m < model->materials.size(); ++m) {
    if (!used[m]) continue;
    Material &material = model->materials[m];
    const bool table = material.elastic.size() > 1 || material.density.size() > 1;
    if (table && !temperature) {
      std::string message =
          materialText(material) + " is given at several temperatures: choose one with --temperature T";
      if (!model->initialTemperatureVaries.empty())
        message += " (the deck's initial temperature is no single value: " + model->initialTemperatureVaries + ")";
      throw DeckError(message);
    }
    const double t = temperature.value_or(0.0);
    depended = depended || table;
    if (material.elasticType == ElasticType::kIsotropic) {
      material.youngsModulus = interpolate(material.elastic, t, [](const ElasticPoint &p) { return p.youngsModulus; });
      material.poissonRatio = interpolate(material.elastic, t, [](const ElasticPoint &p) { return p.poissonRatio; });
    } else {
      material.stiffness = stiffnessAt(material, t);
      if (!largestAxialModulus(material.stiffness, &material.youngsModulus)) material.youngsModulus = 0;
    }
    material.densityValue = interpolate(material.density, t, [](const DensityPoint &p) { return p.density; });
    check(material, table ? " at temperature " + messageNumber(t) : std::string());
  }
  return depended ? temperature : std::nullopt;
}

}  // namespace qvb::ccx2qvb
