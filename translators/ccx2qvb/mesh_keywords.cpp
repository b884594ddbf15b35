// The mesh: *NODE, *ELEMENT, *NSET and *ELSET.
#include <algorithm>

#include "keyword_reader.h"
#include "skipped_elements.h"

namespace qvb::ccx2qvb {
namespace {

// The set a keyword's NSET= or ELSET= adds to, or null.
std::vector<int> *namedSet(std::map<std::string, std::vector<int>> *sets, const std::string &name) {
  return name.empty() ? nullptr : &(*sets)[upperCase(name)];
}

class NodeReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    set_ = namedSet(&deck.model.nodeSets, keyword.value("NSET"));
  }

  void data(DeckContext &deck, std::string_view line) override {
    Fields fields(line);
    std::string_view field;
    fields.next(&field);
    const int id = deck.id(field, "node ID");
    double xyz[3] = {0, 0, 0};  // coordinates left out are zero
    for (int c = 0; fields.next(&field); ++c) {
      if (c == 3) deck.fail("node " + std::to_string(id) + " has more than three coordinates");
      if (!field.empty()) xyz[c] = deck.value(field, "node coordinate");
    }
    Model &model = deck.model;
    auto [it, fresh] = model.nodeIndex.emplace(id, static_cast<int32_t>(model.nodeIds.size()));
    if (!fresh)
      deck.fail("node " + std::to_string(id) + " is defined twice (first at " +
                deck.source(deck.nodeSource[static_cast<size_t>(it->second)]).text() + ")");
    model.nodeIds.push_back(id);
    model.coordinates.insert(model.coordinates.end(), xyz, xyz + 3);
    deck.nodeSource.add(deck.position());
    if (set_ != nullptr) set_->push_back(id);
  }

 private:
  std::vector<int> *set_ = nullptr;
};

// An element's node list may run over several lines (the solver takes 16
// entries on the first); it ends when the type's count is reached.
class ElementReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string typeName = keyword.value("TYPE");
    discrete_ = isDiscreteElementType(upperCase(typeName));
    if (discrete_) return discreteReader_->start(deck, keyword);
    type_ = findElementType(typeName);
    if (const char *reason = refusedElementReason(typeName))
      deck.fail("element type " + upperCase(typeName) + " is refused: " + reason);
    if (type_ == nullptr) type_ = findSurfaceOrLineType(typeName);
    if (type_ == nullptr)
      deck.fail("element type " + (typeName.empty() ? std::string("(none given)") : upperCase(typeName)) +
                " is not supported (supported: " + acceptedElementTypes() + ", MASS, SPRINGA, SPRING2)");
    set_ = namedSet(&deck.model.elementSets, keyword.value("ELSET"));
  }

  void data(DeckContext &deck, std::string_view line) override {
    if (discrete_) return discreteReader_->data(deck, line);
    Fields fields(line);
    std::string_view field;
    while (fields.next(&field)) {
      if (field.empty()) continue;
      if (pending_.empty()) {
        pendingSource_ = deck.position();
      } else if (complete_) {
        deck.fail("element " + std::to_string(pending_[0]) + " of type " + type_->name + " has more than " +
                  std::to_string(type_->nodeCount) + " nodes");
      }
      pending_.push_back(deck.id(field, pending_.empty() ? "element ID" : "element node"));
      complete_ = static_cast<int>(pending_.size()) == type_->nodeCount + 1;
    }
    if (complete_) add(deck);
  }

  void stop(DeckContext &deck) override {
    if (discrete_ || pending_.empty()) return;
    deck.failAt(deck.source(pendingSource_), "element " + std::to_string(pending_[0]) + " of type " + type_->name +
                                                 " needs " + std::to_string(type_->nodeCount) + " nodes, got " +
                                                 std::to_string(pending_.size() - 1));
  }

  void finish(DeckContext &deck) override {
    const Model &model = deck.model;
    if (model.elementIds.empty()) throw DeckError("the deck defines no elements");
    for (size_t e = 0; e < model.elementIds.size(); ++e)
      for (int64_t k = model.elementStart[e]; k < model.elementStart[e + 1]; ++k) {
        const int node = model.connectivity[static_cast<size_t>(k)];
        if (model.nodeIndex.count(node) == 0)
          deck.failAt(deck.source(deck.elementSource[e]), "element " + std::to_string(model.elementIds[e]) +
                                                              " uses node " + std::to_string(node) +
                                                              ", which is not defined");
      }
    discreteReader_->finish(deck);
  }

 private:
  void add(DeckContext &deck) {
    Model &model = deck.model;
    const int id = pending_[0];
    auto [it, fresh] = deck.elementIndex.emplace(id, static_cast<int32_t>(model.elementIds.size()));
    if (!fresh)
      deck.failAt(deck.source(pendingSource_),
                  "element " + std::to_string(id) + " is defined twice (first at " +
                      deck.source(deck.elementSource[static_cast<size_t>(it->second)]).text() + ")");
    model.elementIds.push_back(id);
    model.elementTypes.push_back(type_);
    model.connectivity.insert(model.connectivity.end(), pending_.begin() + 1, pending_.end());
    model.elementStart.push_back(static_cast<int64_t>(model.connectivity.size()));
    deck.elementSource.add(pendingSource_);
    if (set_ != nullptr) set_->push_back(id);
    pending_.clear();
    complete_ = false;
  }

  // Point masses and springs (discrete_keywords.cpp).
  std::unique_ptr<KeywordReader> discreteReader_ = makeDiscreteElementReader();
  bool discrete_ = false;
  const ElementType *type_ = nullptr;
  std::vector<int> *set_ = nullptr;
  std::vector<int> pending_;  // element ID, then its nodes
  int64_t pendingSource_ = 0;
  bool complete_ = false;
};

// *NSET and *ELSET: IDs and names of sets defined before, or GENERATE lines
// "first, last[, increment]". A set named again grows.
class SetReader : public KeywordReader {
 public:
  explicit SetReader(bool nodes) : nodes_(nodes) {}

  void start(DeckContext &deck, const Keyword &keyword) override {
    const char *key = nodes_ ? "NSET" : "ELSET";
    const std::string name = keyword.value(key);
    if (name.empty()) deck.fail(std::string("*") + key + " without " + key + "=");
    set_ = namedSet(nodes_ ? &deck.model.nodeSets : &deck.model.elementSets, name);
    generate_ = keyword.has("GENERATE");
  }

  void data(DeckContext &deck, std::string_view line) override {
    Fields fields(line);
    std::string_view field;
    if (!generate_) {
      while (fields.next(&field))
        if (!field.empty()) deck.addItem(field, nodes_, set_);
      return;
    }
    int range[3] = {0, 0, 1};
    int count = 0;
    while (fields.next(&field)) {
      if (count == 3) deck.fail("bad GENERATE line (expected first, last[, increment])");
      range[count++] = deck.id(field, "GENERATE bound");
    }
    if (count < 2 || range[1] < range[0]) deck.fail("bad GENERATE line (expected first, last[, increment])");
    const int64_t members = (static_cast<int64_t>(range[1]) - range[0]) / range[2] + 1;
    deck.growSets(members);
    for (int64_t i = range[0]; i <= range[1]; i += range[2]) set_->push_back(static_cast<int>(i));
  }

 private:
  bool nodes_;
  bool generate_ = false;
  std::vector<int> *set_ = nullptr;
};

}  // namespace

std::unique_ptr<KeywordReader> makeNodeReader() { return std::make_unique<NodeReader>(); }
std::unique_ptr<KeywordReader> makeElementReader() { return std::make_unique<ElementReader>(); }
std::unique_ptr<KeywordReader> makeNodeSetReader() { return std::make_unique<SetReader>(true); }
std::unique_ptr<KeywordReader> makeElementSetReader() { return std::make_unique<SetReader>(false); }

}  // namespace qvb::ccx2qvb
