#include "body.h"

#include <algorithm>
#include <cmath>

#include "block_table.h"

namespace qvb::body {

int IdIndex::find(int id) const {
  // IDs are most often numbered on from the first one (1..N): then the
  // position is a subtraction away, checked against the list itself.
  if (!ids_.empty()) {
    const int64_t guess = static_cast<int64_t>(id) - ids_.front();
    if (guess >= 0 && guess < static_cast<int64_t>(ids_.size()) && ids_[guess] == id) return static_cast<int>(guess);
  }
  if (!valid_) {
    positions_.clear();
    positions_.reserve(ids_.size());
    for (size_t i = 0; i < ids_.size(); ++i) positions_.emplace(ids_[i], static_cast<int>(i));
    valid_ = true;
  }
  auto it = positions_.find(id);
  return it == positions_.end() ? -1 : it->second;
}

int IdIndex::append(int id) {
  int position = static_cast<int>(ids_.size());
  ids_.push_back(id);
  if (valid_) positions_.emplace(id, position);
  return position;
}

bool ModeKindData::hasModeValues() const {
  return std::any_of(modes.begin(), modes.end(), [](const auto &m) { return !m.empty(); });
}

int ModeKindData::nodePosition(int nodeId) {
  int position = nodes.find(nodeId);
  if (position >= 0) return position;
  position = nodes.append(nodeId);
  for (auto &values : modes)
    if (!values.empty()) values.mutableValues().resize(values.size() + 6, 0.0);
  if (!initial.empty()) initial.mutableValues().resize(initial.size() + 6, 0.0);
  return position;
}

void ModeMatrix::resize(int modes) {
  if (modes <= size) return;
  std::vector<double> grown(static_cast<size_t>(modes) * modes * width, 0.0);
  for (int r = 0; r < size; ++r)
    std::copy_n(&values[static_cast<size_t>(r) * size * width], static_cast<size_t>(size) * width,
                &grown[static_cast<size_t>(r) * modes * width]);
  values.swap(grown);
  size = modes;
}

bool RotorDynamics::present() const {
  return hasAxis || std::any_of(matrices.begin(), matrices.end(), [](const ModeMatrix &m) { return !m.empty(); });
}

Body::Body() {
  for (auto &m : rotor.matrices) m.width = 1;
}

int Body::ensureMode(int modeNumber) {
  int index = modeNumbers_.find(modeNumber);
  if (index >= 0) return index;
  index = modeNumbers_.append(modeNumber);
  growModeData(modeCount());
  return index;
}

void Body::setModeNumbers(std::vector<int> numbers) {
  modeNumbers_.mutableIds() = std::move(numbers);
  growModeData(modeCount());
}

void Body::growModeData(int modes) {
  for (auto &kind : kinds) kind.modes.resize(modes);
  if (!eigenvalues.empty()) eigenvalues.resize(modes, 0.0);
  if (hasPreload) preload.resize(modes, 0.0);
  for (auto &c : modalLoads) c.values.resize(modes, 0.0);
  for (ModeVector *v : {&invariants.i3, &invariants.i4, &invariants.i8})
    if (!v->empty()) v->resize(modes);
  for (ModeMatrix *m : {&invariants.i5, &invariants.i9, &transformation})
    if (!m->empty()) m->resize(modes);
  for (auto &m : rotor.matrices)
    if (!m.empty()) m.resize(modes);
  if (!modalStatistics.empty()) modalStatistics.resize(modes);
}

int Body::ensureNode(int id) {
  int index = nodes.find(id);
  if (index >= 0) return index;
  index = nodes.append(id);
  coordinates.resize(coordinates.size() + 3, 0.0);
  if (!nodalMass.empty()) nodalMass.resize(nodes.size(), 0.0);
  if (!nodalInertia.empty()) nodalInertia.resize(static_cast<size_t>(nodes.size()) * 6, 0.0);
  return index;
}

void Body::renameNodes(const std::unordered_map<int, int> &newIds) {
  auto rename = [&](int &id) {
    auto it = newIds.find(id);
    if (it != newIds.end()) id = it->second;
  };
  for (int &id : nodes.mutableIds()) rename(id);
  for (auto &kind : kinds)
    for (int &id : kind.nodes.mutableIds()) rename(id);
  for (size_t i = 0; i < faces.size();) {
    int count = std::max(faces[i], 0);
    for (int k = 1; k <= count && i + k < faces.size(); ++k) rename(faces[i + k]);
    i += 1 + count;
  }
  for (int &id : interfaceNodes) rename(id);
  for (auto &c : nodalLoads)
    for (int &id : c.nodeIds) rename(id);
  for (auto &p : monitorPoints)
    for (int &id : p.nodeIds) rename(id);
  for (auto &s : modalStatistics)
    for (int *id : {&s.displacementNode, &s.rotationNode, &s.stressNode, &s.strainNode}) rename(*id);
  freeEdgesValid_ = false;
}

double Body::sparseEntry(const SparseModeMatrix &m, int rowNumber, int columnNumber) const {
  auto it = m.find({rowNumber, columnNumber});
  if (it != m.end()) return it->second;
  it = m.find({columnNumber, rowNumber});  // one stored triangle stands for both
  return it != m.end() ? it->second : 0.0;
}

double Body::generalizedMassDiagonal(int modeIndex) const {
  if (genMass.empty()) return 1.0;
  int number = modeNumbers()[modeIndex];
  return sparseEntry(genMass, number, number);
}

double Body::generalizedStiffnessDiagonal(int modeIndex) const {
  if (genStiffness.empty() && !eigenvalues.empty()) return eigenvalues[modeIndex] * generalizedMassDiagonal(modeIndex);
  int number = modeNumbers()[modeIndex];
  return sparseEntry(genStiffness, number, number);
}

double Body::eigenvalue(int modeIndex) const {
  if (!eigenvalues.empty()) return eigenvalues[modeIndex];
  double mass = generalizedMassDiagonal(modeIndex);
  return mass != 0.0 ? generalizedStiffnessDiagonal(modeIndex) / mass : 0.0;
}

bool Body::hasEigenvalues() const {
  return modeCount() > 0 && (!eigenvalues.empty() || !genStiffness.empty());
}

void Body::rebuildEigenvalues() {
  // Without generalized stiffness the stored eigenvalues are all there is.
  if (genStiffness.empty()) return;
  std::vector<double> rebuilt(modeCount());
  for (int i = 0; i < modeCount(); ++i) {
    double mass = generalizedMassDiagonal(i);
    int number = modeNumbers()[i];
    rebuilt[i] = mass != 0.0 ? sparseEntry(genStiffness, number, number) / mass : 0.0;
  }
  eigenvalues.swap(rebuilt);
}

int Body::rigidBodyModeCount() const {
  // Rigid-body modes come out of eigen solvers with frequencies that are tiny
  // but rarely exactly zero. Two rules, the larger count wins: any mode below
  // 0.01 rad/s; and the leading modes (at most six) that all lie below 1e-3 of
  // the next mode's frequency, which catches solvers whose rigid modes reach
  // 0.01 rad/s and more on a stiff part, whatever the body's time unit.
  double toSeconds = storedUnits.si[kTime];
  std::vector<double> omega(static_cast<size_t>(modeCount()));
  int absolute = 0;
  for (int i = 0; i < modeCount(); ++i) {
    omega[i] = std::sqrt(std::fabs(eigenvalue(i))) / toSeconds;
    if (omega[i] < 0.01) ++absolute;
  }
  int relative = std::min(6, modeCount() - 1);
  for (; relative > 0; --relative) {
    double below = 1e-3 * omega[relative];
    if (std::all_of(omega.begin(), omega.begin() + relative, [below](double w) { return w < below; })) break;
  }
  return std::max(absolute, relative);
}

bool Body::holdsUnitData() const {
  for (const BlockLayout &layout : kBlockTable)
    if ((layout.traits & kUnitFree) == 0 && layout.present(*this)) return true;
  return false;
}

bool Body::exists(int block) const {
  const BlockLayout *layout = findBlock(block);
  return layout != nullptr && layout->present(*this);
}

}  // namespace qvb::body
