#include "temperature.h"

#include <cmath>
#include <string>
#include <vector>

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

void check(const Material &m, const std::string &at) {
  if (!(m.youngsModulus > 0))
    throw DeckError(materialText(m) + " has Young's modulus " + messageNumber(m.youngsModulus) + at +
                    " (it must be positive)");
  if (!(m.poissonRatio > -1 && m.poissonRatio < 0.5))
    throw DeckError(materialText(m) + " has Poisson's ratio " + messageNumber(m.poissonRatio) + at +
                    " (it must lie between -1 and 0.5)");
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
    material.youngsModulus = interpolate(material.elastic, t, [](const ElasticPoint &p) { return p.youngsModulus; });
    material.poissonRatio = interpolate(material.elastic, t, [](const ElasticPoint &p) { return p.poissonRatio; });
    material.densityValue = interpolate(material.density, t, [](const DensityPoint &p) { return p.density; });
    check(material, table ? " at temperature " + messageNumber(t) : std::string());
  }
  return depended ? temperature : std::nullopt;
}

}  // namespace qvb::ccx2qvb
