// Constraints: *SURFACE, *EQUATION, *TIE, *RIGID BODY, and the one use of
// *TRANSFORM that matters to them.
//
// Names and nodes are checked once the whole deck is read, with the line of
// the keyword that used them.
#include <algorithm>
#include <unordered_set>

#include "keyword_reader.h"

namespace qvb::ccx2qvb {
namespace {

bool undefinedNode(const Model &model, int node) { return model.nodeIndex.count(node) == 0; }

// Element faces "element or element set, S1..S6", or node IDs and node sets.
class SurfaceReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string name = upperCase(keyword.value("NAME"));
    if (name.empty()) deck.fail("*SURFACE without NAME=");
    const std::string type = upperCase(keyword.value("TYPE"));
    if (!type.empty() && type != "ELEMENT" && type != "NODE")
      deck.fail("*SURFACE, TYPE=" + type + " is not supported (ELEMENT or NODE)");
    auto [it, fresh] = deck.model.surfaces.try_emplace(name);
    surface_ = &it->second;
    if (fresh) {
      surface_->name = name;
      surface_->nodal = type == "NODE";
      surface_->where = deck.here();
    } else if (surface_->nodal != (type == "NODE")) {
      deck.fail("surface " + name + " was defined with another TYPE at " + surface_->where.text());
    }
  }

  void data(DeckContext &deck, std::string_view line) override {
    Fields fields(line);
    std::string_view field;
    if (surface_->nodal) {
      while (fields.next(&field))
        if (!field.empty()) deck.addItem(field, true, &surface_->nodes);
      return;
    }
    std::string_view what, face;
    if (!fields.next(&what) || !fields.next(&face) || fields.next(&field))
      deck.fail("bad *SURFACE line (expected element or element set, face S1 to S6)");
    const std::string label = upperCase(face);
    if (label.size() != 2 || label[0] != 'S' || label[1] < '1' || label[1] > '6')
      deck.fail("bad surface face " + label + " (solid element faces are S1 to S6)");
    const int number = label[1] - '0';
    int element = 0;
    if (deck.isId(what, &element)) {
      surface_->faces.emplace_back(element, number);
      return;
    }
    const std::vector<int> &set = deck.elementSet(what);
    deck.growSets(static_cast<int64_t>(set.size()));
    for (int id : set) surface_->faces.emplace_back(id, number);
  }

  void finish(DeckContext &deck) override {
    for (const auto &[name, surface] : deck.model.surfaces) {
      for (const auto &[element, face] : surface.faces) {
        auto e = deck.elementIndex.find(element);
        if (e == deck.elementIndex.end())
          deck.failAt(surface.where,
                      "surface " + name + " names element " + std::to_string(element) + ", which is not defined");
        const ElementType &type = *deck.model.elementTypes[static_cast<size_t>(e->second)];
        if (face > static_cast<int>(type.faces.size()))
          deck.failAt(surface.where, "surface " + name + " names face S" + std::to_string(face) + " of element " +
                                         std::to_string(element) + ", a " + type.name + " with " +
                                         std::to_string(type.faces.size()) + " faces");
      }
      for (int node : surface.nodes)
        if (undefinedNode(deck.model, node))
          deck.failAt(surface.where,
                      "surface " + name + " names node " + std::to_string(node) + ", which is not defined");
    }
  }

 private:
  Surface *surface_ = nullptr;
};

// A line with the number of terms, then the terms "node, direction,
// coefficient", at most four a line, continued on the following lines.
class EquationReader : public KeywordReader {
 public:
  void start(DeckContext &, const Keyword &) override {}

  void data(DeckContext &deck, std::string_view line) override {
    Fields fields(line);
    std::string_view field;
    if (remaining_ == 0) {
      fields.next(&field);
      remaining_ = deck.id(field, "*EQUATION term count");
      if (fields.next(&field)) deck.fail("bad *EQUATION line (the term count stands alone on its line)");
      deck.model.equations.push_back({{}, deck.here()});
      return;
    }
    Equation &equation = deck.model.equations.back();
    int onLine = 0;
    std::string_view term[3];
    while (fields.next(&term[0])) {
      if (!fields.next(&term[1]) || !fields.next(&term[2]))
        deck.fail("bad *EQUATION line (expected node, degree of freedom, coefficient per term)");
      if (++onLine > 4) deck.fail("*EQUATION line with more than four terms");
      if (remaining_ == 0)
        deck.fail("*EQUATION has more terms than the " + std::to_string(equation.terms.size()) + " announced");
      EquationTerm t;
      t.node = deck.id(term[0], "*EQUATION node");
      t.direction = deck.id(term[1], "*EQUATION degree of freedom");
      if (t.direction > 3)
        deck.fail("*EQUATION on degree of freedom " + std::to_string(t.direction) +
                  " is not carried (solid nodes have the translations 1 to 3 only)");
      t.coefficient = deck.value(term[2], "*EQUATION coefficient");
      if (equation.terms.empty() && t.coefficient == 0)
        deck.fail("the first term of an *EQUATION (the dependent one) has a zero coefficient");
      equation.terms.push_back(t);
      --remaining_;
    }
  }

  void stop(DeckContext &deck) override {
    if (remaining_ == 0) return;
    const Equation &equation = deck.model.equations.back();
    deck.failAt(equation.where, "*EQUATION announces " + std::to_string(equation.terms.size() + remaining_) +
                                    " terms but gives " + std::to_string(equation.terms.size()));
  }

  void finish(DeckContext &deck) override {
    for (const Equation &equation : deck.model.equations)
      for (const EquationTerm &term : equation.terms)
        if (undefinedNode(deck.model, term.node))
          deck.failAt(equation.where, "*EQUATION names node " + std::to_string(term.node) + ", which is not defined");
  }

 private:
  size_t remaining_ = 0;
};

// *TRANSFORM turns the directions of its nodes for boundary conditions and
// loads, which the body ignores; but it also turns the directions of
// *EQUATION terms on those nodes, which the model does not carry.
class TransformReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string name = keyword.value("NSET");
    if (name.empty()) deck.fail("*TRANSFORM without NSET=");
    const std::vector<int> &set = deck.nodeSet(name);
    deck.growSets(static_cast<int64_t>(set.size()));
    for (int node : set) turned_.emplace(node, deck.position());
  }

  void data(DeckContext &, std::string_view) override {}

  void finish(DeckContext &deck) override {
    if (turned_.empty()) return;
    for (const Equation &equation : deck.model.equations)
      for (const EquationTerm &term : equation.terms) {
        auto found = turned_.find(term.node);
        if (found != turned_.end())
          deck.failAt(equation.where, "*EQUATION on node " + std::to_string(term.node) +
                                          ", whose directions the *TRANSFORM at " + deck.source(found->second).text() +
                                          " turns: equations in local directions are not carried");
      }
  }

 private:
  std::unordered_map<int, int64_t> turned_;  // node -> its *TRANSFORM line
};

class TieReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    for (const char *cyclic : {"CYCLICSYMMETRY", "MULTISTAGE", "FLUIDPRESSURE"})
      if (keyword.has(cyclic))
        deck.fail("*TIE for cyclic symmetry or fluid pressure is refused: a sector is not a free body");
    Tie tie;
    tie.name = upperCase(keyword.value("NAME"));
    if (tie.name.empty()) deck.fail("*TIE without NAME=");
    if (keyword.has("POSITIONTOLERANCE")) {
      tie.positionTolerance = deck.value(keyword.value("POSITIONTOLERANCE"), "*TIE position tolerance");
      if (tie.positionTolerance < 0) deck.fail("*TIE position tolerance must not be negative");
    }
    const std::string adjust = upperCase(keyword.value("ADJUST"));
    if (!adjust.empty() && adjust != "YES" && adjust != "NO") deck.fail("*TIE, ADJUST= takes YES or NO");
    tie.adjust = adjust != "NO";
    tie.where = deck.here();
    deck.model.ties.push_back(std::move(tie));
    surfacesGiven_ = false;
  }

  void data(DeckContext &deck, std::string_view line) override {
    if (surfacesGiven_) deck.fail("*TIE takes one data line (slave surface, master surface)");
    Fields fields(line);
    std::string_view slave, master, more;
    if (!fields.next(&slave) || !fields.next(&master) || fields.next(&more) || slave.empty() || master.empty())
      deck.fail("bad *TIE line (expected slave surface, master surface)");
    Tie &tie = deck.model.ties.back();
    tie.slave = upperCase(slave);
    tie.master = upperCase(master);
    surfacesGiven_ = true;
  }

  void stop(DeckContext &deck) override {
    if (!surfacesGiven_) deck.failAt(deck.model.ties.back().where, "*TIE without its line slave, master surface");
  }

  void finish(DeckContext &deck) override {
    const auto &surfaces = deck.model.surfaces;
    for (const Tie &tie : deck.model.ties) {
      for (const std::string *name : {&tie.slave, &tie.master})
        if (surfaces.count(*name) == 0)
          deck.failAt(tie.where, "*TIE " + tie.name + " names surface " + *name + ", which is not defined");
      if (surfaces.at(tie.master).nodal)
        deck.failAt(tie.where, "*TIE " + tie.name + ": the master surface " + tie.master +
                                   " must be made of element faces, not nodes");
    }
  }

 private:
  bool surfacesGiven_ = true;
};

// NSET= or ELSET= (the elements' nodes), REF NODE=, ROT NODE=. Reference and
// rotation nodes the deck leaves out are made after the whole deck is read,
// above its highest node ID, at the centroid of the tied nodes.
class RigidBodyReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string nset = keyword.value("NSET"), elset = keyword.value("ELSET");
    if (nset.empty() == elset.empty()) deck.fail("*RIGID BODY needs one of NSET= and ELSET=");
    Pending body;
    body.where = deck.here();
    body.members = nset.empty() ? deck.elementSet(elset) : deck.nodeSet(nset);
    body.elements = nset.empty();
    if (body.members.empty()) deck.fail("*RIGID BODY on an empty set");
    if (keyword.has("REFNODE")) body.refNode = deck.id(keyword.value("REFNODE"), "REF NODE");
    if (keyword.has("ROTNODE")) body.rotNode = deck.id(keyword.value("ROTNODE"), "ROT NODE");
    pending_.push_back(std::move(body));
  }

  void finish(DeckContext &deck) override {
    Model &model = deck.model;
    for (Pending &body : pending_) {
      RigidBody rigid;
      rigid.where = body.where;
      rigid.nodes = body.elements ? elementNodes(deck, body) : std::move(body.members);
      std::sort(rigid.nodes.begin(), rigid.nodes.end());
      rigid.nodes.erase(std::unique(rigid.nodes.begin(), rigid.nodes.end()), rigid.nodes.end());
      for (int node : rigid.nodes)
        if (undefinedNode(model, node))
          deck.failAt(body.where, "*RIGID BODY ties node " + std::to_string(node) + ", which is not defined");
      for (int node : {body.refNode, body.rotNode})
        if (node != 0 && undefinedNode(model, node))
          deck.failAt(body.where, "*RIGID BODY names node " + std::to_string(node) + ", which is not defined");
      rigid.refNode = body.refNode;
      rigid.rotNode = body.rotNode;
      model.rigidBodies.push_back(std::move(rigid));
    }
    // Made nodes only once every given one is known to exist.
    int next = model.highestNodeId();
    for (RigidBody &rigid : model.rigidBodies) {
      if (rigid.refNode != 0 && rigid.rotNode != 0) continue;
      double centre[3] = {0, 0, 0};
      for (int node : rigid.nodes)
        for (int c = 0; c < 3; ++c) centre[c] += model.position(node)[c] / static_cast<double>(rigid.nodes.size());
      for (int *made : {&rigid.refNode, &rigid.rotNode}) {
        if (*made != 0) continue;
        *made = ++next;
        model.nodeIndex.emplace(next, static_cast<int32_t>(model.nodeIds.size()));
        model.nodeIds.push_back(next);
        model.coordinates.insert(model.coordinates.end(), centre, centre + 3);
        deck.nodeSource.add(0);  // no line of its own
      }
    }
  }

 private:
  struct Pending {
    std::vector<int> members;  // node IDs, or element IDs when elements
    bool elements = false;
    int refNode = 0, rotNode = 0;
    SourceLine where;
  };

  static std::vector<int> elementNodes(const DeckContext &deck, const Pending &body) {
    const Model &model = deck.model;
    std::vector<int> nodes;
    for (int id : body.members) {
      auto e = deck.elementIndex.find(id);
      if (e == deck.elementIndex.end())
        deck.failAt(body.where, "*RIGID BODY ties element " + std::to_string(id) + ", which is not defined");
      const size_t index = static_cast<size_t>(e->second);
      nodes.insert(nodes.end(), model.connectivity.begin() + model.elementStart[index],
                   model.connectivity.begin() + model.elementStart[index + 1]);
    }
    return nodes;
  }

  std::vector<Pending> pending_;
};

}  // namespace

std::unique_ptr<KeywordReader> makeSurfaceReader() { return std::make_unique<SurfaceReader>(); }
std::unique_ptr<KeywordReader> makeEquationReader() { return std::make_unique<EquationReader>(); }
std::unique_ptr<KeywordReader> makeTransformReader() { return std::make_unique<TransformReader>(); }
std::unique_ptr<KeywordReader> makeTieReader() { return std::make_unique<TieReader>(); }
std::unique_ptr<KeywordReader> makeRigidBodyReader() { return std::make_unique<RigidBodyReader>(); }

}  // namespace qvb::ccx2qvb
