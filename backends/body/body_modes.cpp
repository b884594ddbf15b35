// Operations on whole modes: scaling one mode consistently, and the largest
// responses of a mode.
#include <cmath>

#include "body.h"

namespace qvb::body {
namespace {

void scaleRowsAndColumns(SparseModeMatrix &m, int number, double f) {
  for (auto &[key, value] : m) {
    if (key.first == number) value *= f;
    if (key.second == number) value *= f;
  }
}

void scaleRowAndColumn(ModeMatrix &m, int index, double f) {
  if (index >= m.size) return;
  for (int k = 0; k < m.size; ++k)
    for (int w = 0; w < m.width; ++w) {
      m.cell(index, k)[w] *= f;
      m.cell(k, index)[w] *= f;
    }
}

double norm3(const double *v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// Von Mises value from normal (s) and shear (t) components.
double vonMises(const double *s, const double *t) {
  double v = s[0] * s[0] + s[1] * s[1] + s[2] * s[2] - s[0] * s[1] - s[1] * s[2] - s[2] * s[0] +
             3.0 * (t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
  return std::sqrt(std::fmax(v, 0.0));
}

}  // namespace

void Body::scaleMode(int index, double f) {
  const int number = modeNumbers()[index];
  for (auto &kind : kinds)
    for (double &v : kind.modes[index].mutableValues()) v *= f;
  scaleRowsAndColumns(genMass, number, f);
  scaleRowsAndColumns(genStiffness, number, f);
  scaleRowsAndColumns(genDamping, number, f);
  for (ModeVector *v : {&invariants.i3, &invariants.i4, &invariants.i8})
    if (index < v->size())
      for (int w = 0; w < v->width; ++w) v->at(index)[w] *= f;
  scaleRowAndColumn(invariants.i5, index, f);
  scaleRowAndColumn(invariants.i9, index, f);
  for (auto &m : rotor.matrices) scaleRowAndColumn(m, index, f);
  if (index < transformation.size)
    for (int r = 0; r < transformation.size; ++r) transformation.cell(r, index)[0] *= f;
  if (hasPreload) preload[index] *= f;
  for (auto &c : modalLoads) c.values[index] *= f;
  for (auto &point : monitorPoints)
    for (int kind = 1; kind <= 4; ++kind) {
      int columns = point.columns[kind];
      if (index >= columns) continue;
      for (int r = 0; r < point.rows(); ++r) point.operators[kind][static_cast<size_t>(r) * columns + index] *= f;
    }
  if (index < static_cast<int>(modalStatistics.size())) {
    ModeStatistics &s = modalStatistics[index];
    for (double *v : {&s.displacement, &s.rotation, &s.stress, &s.strain}) *v *= std::fabs(f);
  }
}

ModeStatistics Body::statistics(int index) const {
  if (index < static_cast<int>(modalStatistics.size())) return modalStatistics[index];
  ModeStatistics s;
  auto largest = [&](const ModeKindData &kind, auto measure, double *value, int *node) {
    const ModeValues &values = kind.modes[index];
    for (int p = 0; p < kind.nodes.size() && !values.empty(); ++p) {
      double v = measure(values.data() + static_cast<size_t>(p) * 6);
      if (v > *value) {
        *value = v;
        *node = kind.nodes.ids()[p];
      }
    }
  };
  largest(kinds[kShape], [](const double *v) { return norm3(v); }, &s.displacement, &s.displacementNode);
  largest(kinds[kShape], [](const double *v) { return norm3(v + 3); }, &s.rotation, &s.rotationNode);
  largest(kinds[kStress], [](const double *v) { return vonMises(v, v + 3); }, &s.stress, &s.stressNode);
  largest(kinds[kStrain], [](const double *v) { return vonMises(v, v + 3); }, &s.strain, &s.strainNode);
  return s;
}

}  // namespace qvb::body
