// Discrete elements: point masses (*ELEMENT, TYPE=MASS with *MASS) and
// linear springs (SPRINGA, SPRING2 with *SPRING) between nodes of the part.
//
// A spring with a node that no solid element uses holds the part to
// something the body does not describe (SPRING1 always does: its other end
// is the ground), so the part would not be free; so does a SPRING2 that a
// rigid motion stretches. Both are refused here, before any solver time.
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "constraint_checks.h"
#include "keyword_reader.h"
#include "message_number.h"
#include "solver_number.h"

namespace qvb::ccx2qvb {
namespace {

struct DiscreteType {
  const char *name;
  int nodeCount;
};
constexpr DiscreteType kDiscreteTypes[] = {{"MASS", 1}, {"SPRINGA", 2}, {"SPRING1", 1}, {"SPRING2", 2}};

const DiscreteType *discreteType(const std::string &upperName) {
  for (const DiscreteType &t : kDiscreteTypes)
    if (upperName == t.name) return &t;
  return nullptr;
}

std::string elementText(int id, const char *type) { return "element " + std::to_string(id) + " (" + type + ")"; }

// The elements of one *ELEMENT block of a discrete type, one line each.
class DiscreteElementReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    type_ = discreteType(upperCase(keyword.value("TYPE")));
    const std::string elset = keyword.value("ELSET");
    set_ = elset.empty() ? nullptr : &deck.model.elementSets[upperCase(elset)];
  }

  void data(DeckContext &deck, std::string_view line) override {
    Fields fields(line);
    std::string_view field;
    std::vector<int> ids;
    while (fields.next(&field))
      if (!field.empty()) ids.push_back(deck.id(field, ids.empty() ? "element ID" : "element node"));
    if (ids.size() != static_cast<size_t>(type_->nodeCount) + 1)
      deck.fail("element of type " + std::string(type_->name) + " needs its ID and " +
                std::to_string(type_->nodeCount) + (type_->nodeCount == 1 ? " node" : " nodes") + " on one line");
    const std::string element = elementText(ids[0], type_->name);
    if (std::string(type_->name) == "SPRING1")
      deck.fail(element + " holds node " + std::to_string(ids[1]) +
                " to the ground: a free body has no ground (give springs between nodes of the part)");
    auto [seen, fresh] = sources_.emplace(ids[0], deck.here());
    if (!fresh)
      deck.fail("element " + std::to_string(ids[0]) + " is defined twice (first at " + seen->second.text() + ")");
    Model &model = deck.model;
    if (type_->nodeCount == 1) {
      model.pointMasses.push_back({ids[0], ids[1], 0.0, deck.here()});
    } else {
      Spring spring;
      spring.element = ids[0];
      spring.axial = std::string(type_->name) == "SPRINGA";
      spring.nodes[0] = ids[1], spring.nodes[1] = ids[2];
      spring.where = deck.here();
      model.springs.push_back(spring);
    }
    if (set_ != nullptr) set_->push_back(ids[0]);
  }

  // Once the solid elements are known: every node defined, every spring
  // between nodes of solid elements, and IDs shared with no solid element.
  void finish(DeckContext &deck) override {
    const Model &model = deck.model;
    for (const auto &[id, where] : sources_)
      if (deck.elementIndex.count(id) != 0)
        deck.failAt(where, "element " + std::to_string(id) + " is defined twice (also at " +
                               deck.source(deck.elementSource[static_cast<size_t>(deck.elementIndex.at(id))]).text() +
                               ")");
    auto requireDefined = [&](int node, const SourceLine &where, const std::string &element) {
      if (model.nodeIndex.count(node) == 0)
        deck.failAt(where, element + " uses node " + std::to_string(node) + ", which is not defined");
    };
    for (const PointMass &m : model.pointMasses) requireDefined(m.node, m.where, elementText(m.element, "MASS"));
    std::vector<char> solidNode(model.nodeIds.size(), 0);
    for (int id : model.connectivity) solidNode[static_cast<size_t>(model.nodeIndex.at(id))] = 1;
    for (const Spring &s : model.springs) {
      const std::string element = elementText(s.element, s.axial ? "SPRINGA" : "SPRING2");
      for (int node : s.nodes) {
        requireDefined(node, s.where, element);
        if (!solidNode[static_cast<size_t>(model.nodeIndex.at(node))])
          deck.failAt(s.where, element + " ends at node " + std::to_string(node) +
                                   ", which no solid element uses: the spring holds the part to something the body "
                                   "does not describe (the ground), so the part is not free");
      }
      const double *a = model.position(s.nodes[0]), *b = model.position(s.nodes[1]);
      if (s.axial && a[0] == b[0] && a[1] == b[1] && a[2] == b[2])
        deck.failAt(s.where, element + " joins two nodes at the same place: an axial spring needs a direction");
    }
  }

 private:
  const DiscreteType *type_ = nullptr;
  std::vector<int> *set_ = nullptr;
  std::unordered_map<int, SourceLine> sources_;  // per discrete element ID
};

// One *MASS or *SPRING card: its element set and data lines (as numbers;
// an empty field is NaN), matched to the elements once the deck is read.
struct Card {
  std::string elset;
  SourceLine where;
  std::vector<std::pair<std::vector<double>, SourceLine>> lines;
};

class CardReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string elset = keyword.value("ELSET");
    if (elset.empty()) deck.fail("*" + keyword.name + " without ELSET=");
    deck.elementSet(elset);  // known before, as the solver wants it
    cards_.push_back({upperCase(elset), deck.here(), {}});
  }

  void data(DeckContext &deck, std::string_view line) override {
    Fields fields(line);
    std::string_view field;
    std::vector<double> values;
    while (fields.next(&field))
      values.push_back(field.empty() ? std::numeric_limits<double>::quiet_NaN() : deck.value(field, "value"));
    cards_.back().lines.emplace_back(std::move(values), deck.here());
  }

 protected:
  // Applies each card to the elements of its set, the discrete elements of
  // this kind (point masses or springs): apply(card, position among them).
  template <class Element, class Apply>
  void applyCards(const DeckContext &deck, const char *keyword, const char *kind, const std::vector<Element> &elements,
                  Apply apply) {
    std::unordered_map<int, size_t> position;
    for (size_t k = 0; k < elements.size(); ++k) position.emplace(elements[k].element, k);
    std::unordered_map<int, const Card *> given;
    for (const Card &card : cards_)
      for (int id : deck.model.elementSets.at(card.elset)) {
        const auto at = position.find(id);
        if (at == position.end())
          deck.failAt(card.where, std::string("*") + keyword + ", ELSET=" + card.elset + " holds element " +
                                      std::to_string(id) + ", which is not " + kind);
        auto [first, fresh] = given.emplace(id, &card);
        if (!fresh && first->second != &card)
          deck.failAt(card.where, "element " + std::to_string(id) + " has a second *" + keyword + " (the first at " +
                                      first->second->where.text() + ")");
        apply(card, at->second);
      }
  }

  std::vector<Card> cards_;
};

// The one positive value a card's line gives first; any further field must
// be empty or, at most, the temperature it was given at.
double firstValue(const DeckContext &deck, const std::pair<std::vector<double>, SourceLine> &line, const char *what,
                  size_t fields) {
  const std::vector<double> &v = line.first;
  if (v.empty() || v.size() > fields || !(v[0] > 0))
    deck.failAt(line.second, std::string(what) + " must be one positive number");
  return solverValue(v[0]);
}

class MassReader : public CardReader {
 public:
  void finish(DeckContext &deck) override {
    Model &model = deck.model;
    std::vector<char> rotation(model.nodeIds.size(), 0);
    for (const RigidBody &r : model.rigidBodies) rotation[static_cast<size_t>(model.nodeIndex.at(r.rotNode))] = 1;
    applyCards(deck, "MASS", "a MASS element", model.pointMasses, [&](const Card &card, size_t at) {
      if (card.lines.size() != 1) deck.failAt(card.where, "*MASS takes one data line: the mass");
      model.pointMasses[at].mass = firstValue(deck, card.lines[0], "the mass", 1);
    });
    for (const PointMass &m : model.pointMasses) {
      if (m.mass == 0.0) deck.failAt(m.where, elementText(m.element, "MASS") + " has no *MASS");
      if (rotation[static_cast<size_t>(model.nodeIndex.at(m.node))])
        deck.failAt(m.where, elementText(m.element, "MASS") + " sits on node " + std::to_string(m.node) +
                                 ", a rigid body's rotation node, whose values are rotations, not displacements");
    }
  }
};

// Linear springs: for SPRING2 a line of the two directions, then the spring
// constant[, unused, temperature] on one line. Several lines would give the
// constant at several temperatures, and NONLINEAR a force-elongation table.
class SpringReader : public CardReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    if (keyword.has("NONLINEAR"))
      deck.fail(
          "*SPRING, NONLINEAR is refused: a nonlinear spring's stiffness changes with its elongation, and a "
          "body of linear modes has one stiffness");
    CardReader::start(deck, keyword);
  }

  void finish(DeckContext &deck) override {
    Model &model = deck.model;
    std::vector<char> done(model.springs.size(), 0);
    applyCards(deck, "SPRING", "a SPRINGA or SPRING2 element", model.springs, [&](const Card &card, size_t at) {
          Spring &s = model.springs[at];
          const size_t first = s.axial ? 0 : 1;
          if (!s.axial) s.directions[0] = s.directions[1] = 0;
          if (!s.axial && !card.lines.empty()) directions(deck, card.lines[0], &s);
          if (card.lines.size() != first + 1)
            deck.failAt(card.where, std::string("*SPRING takes ") + (s.axial ? "" : "a line of two directions, then ") +
                                        "one line: the spring constant (a spring at several temperatures is not "
                                        "carried; give its constant at the model's temperature)");
          s.stiffness = firstValue(deck, card.lines[first], "the spring constant", 3);
          done[at] = 1;
        });
    const double size = model.springs.empty() ? 0.0 : extentOf(model).size;
    for (size_t k = 0; k < model.springs.size(); ++k) {
      const Spring &s = model.springs[k];
      if (!done[k]) deck.failAt(s.where, elementText(s.element, s.axial ? "SPRINGA" : "SPRING2") + " has no *SPRING");
      if (!s.axial) requireRigidMotionsFree(deck, s, size);
    }
  }

 private:
  static void directions(const DeckContext &deck, const std::pair<std::vector<double>, SourceLine> &line, Spring *s) {
    const std::vector<double> &v = line.first;
    for (int k = 0; k < 2; ++k) {
      const double d = k < static_cast<int>(v.size()) ? v[static_cast<size_t>(k)] : 0.0;
      if (v.size() > 2 || !(d == 1 || d == 2 || d == 3))
        deck.failAt(line.second,
                    "a SPRING2 spring needs two directions, each 1, 2 or 3 (a solid node has no "
                    "rotations)");
      s->directions[k] = static_cast<int>(d);
    }
  }

  // The spring's elongation, u_a,i - u_b,j, must vanish in every rigid
  // motion: i = j, and the nodes offset along direction i only (a rotation
  // theta gives (theta x (x_a - x_b))_i), within the equations' tolerance
  // relative to the model's size.
  static void requireRigidMotionsFree(const DeckContext &deck, const Spring &s, double size) {
    const Model &model = deck.model;
    const std::string element = elementText(s.element, "SPRING2");
    if (s.directions[0] != s.directions[1])
      deck.failAt(s.where, element + " joins direction " + std::to_string(s.directions[0]) + " to direction " +
                               std::to_string(s.directions[1]) +
                               ": a rigid translation of the part would stretch it, so the part is not free");
    const double *a = model.position(s.nodes[0]), *b = model.position(s.nodes[1]);
    const int d = s.directions[0] - 1;
    const double across = std::hypot(a[(d + 1) % 3] - b[(d + 1) % 3], a[(d + 2) % 3] - b[(d + 2) % 3]);
    if (across > kRigidMotionTolerance * size)
      deck.failAt(s.where, element + " joins nodes " + messageNumber(across, 3) + " apart across its direction " +
                               std::to_string(s.directions[0]) +
                               ": a rigid rotation of the part would stretch it, so the part is not free");
  }
};

}  // namespace

bool isDiscreteElementType(const std::string &upperName) { return discreteType(upperName) != nullptr; }
std::unique_ptr<KeywordReader> makeDiscreteElementReader() { return std::make_unique<DiscreteElementReader>(); }
std::unique_ptr<KeywordReader> makeMassReader() { return std::make_unique<MassReader>(); }
std::unique_ptr<KeywordReader> makeSpringReader() { return std::make_unique<SpringReader>(); }

}  // namespace qvb::ccx2qvb
