// Initial conditions: of their types only the temperature matters to the
// body, since temperature-dependent materials are evaluated at it.

#include "keyword_reader.h"
#include "message_number.h"

namespace qvb::ccx2qvb {
namespace {

// "node or node set, temperature" per line. The model gets one initial
// temperature when every line gives the same value and the lines cover every
// element node; otherwise it is told why not.
class InitialConditionsReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string type = upperCase(keyword.value("TYPE"));
    temperature_ = type == "TEMPERATURE";
    if (!temperature_) {
      deck.ignore("INITIAL CONDITIONS, TYPE=" + (type.empty() ? std::string("(none)") : type));
      return;
    }
    if (keyword.has("USER")) deck.fail("*INITIAL CONDITIONS from a user subroutine are not carried");
    if (first_ == 0) first_ = deck.position();
  }

  void data(DeckContext &deck, std::string_view line) override {
    if (!temperature_) return;
    Fields fields(line);
    std::string_view where, value, more;
    if (!fields.next(&where) || !fields.next(&value) || fields.next(&more) || where.empty())
      deck.fail("bad *INITIAL CONDITIONS line (expected node or node set, temperature)");
    const double t = deck.value(value, "initial temperature");
    deck.addItem(where, true, &nodes_);
    if (!valueSource_) {
      value_ = t;
      valueSource_ = deck.position();
    } else if (t != value_ && varies_.empty()) {
      varies_ = messageNumber(value_) + " at " + deck.source(*valueSource_).text() + " but " + messageNumber(t) +
                " at " + deck.here().text();
    }
  }

  void finish(DeckContext &deck) override {
    Model &model = deck.model;
    if (first_ == 0) return;
    if (!varies_.empty()) {
      model.initialTemperatureVaries = varies_;
      return;
    }
    std::vector<char> covered(model.nodeIds.size(), 0);
    for (int node : nodes_) {
      auto found = model.nodeIndex.find(node);
      if (found == model.nodeIndex.end())
        deck.failAt(deck.source(first_), "*INITIAL CONDITIONS give node " + std::to_string(node) +
                                             " a temperature, but the node is not defined");
      covered[static_cast<size_t>(found->second)] = 1;
    }
    for (int node : model.connectivity)
      if (!covered[static_cast<size_t>(model.nodeIndex.at(node))]) {
        model.initialTemperatureVaries =
            "the *INITIAL CONDITIONS at " + deck.source(first_).text() + " give node " + std::to_string(node) + " none";
        return;
      }
    model.initialTemperature = value_;
  }

 private:
  bool temperature_ = false;
  int64_t first_ = 0;  // the first temperature keyword line (0: none)
  std::vector<int> nodes_;
  double value_ = 0;
  std::optional<int64_t> valueSource_;
  std::string varies_;
};

}  // namespace

std::unique_ptr<KeywordReader> makeInitialConditionsReader() { return std::make_unique<InitialConditionsReader>(); }

}  // namespace qvb::ccx2qvb
