// *SHELL SECTION and *BEAM SECTION: the sections of elements the solver
// expands into solids. Only what that expansion reproduces exactly is read;
// the rest (offsets, composite layers, nodal thicknesses, section shapes the
// solver integrates with rules of its own) is refused where it stands.
#include "keyword_reader.h"

namespace qvb::ccx2qvb {
namespace {

class StructuralSectionReader : public KeywordReader {
 public:
  explicit StructuralSectionReader(bool beam) : beam_(beam) {}

  void start(DeckContext &deck, const Keyword &keyword) override {
    const char *name = beam_ ? "*BEAM SECTION" : "*SHELL SECTION";
    StructuralSection section;
    section.elset = upperCase(keyword.value("ELSET"));
    section.material = upperCase(keyword.value("MATERIAL"));
    section.beam = beam_;
    section.where = deck.here();
    if (section.elset.empty() || section.material.empty()) deck.fail(std::string(name) + " needs ELSET= and MATERIAL=");
    for (const char *offset : {"OFFSET", "OFFSET1", "OFFSET2"})
      if (keyword.has(offset) && !isZero(keyword.value(offset)))
        deck.fail(std::string(name) + " with " + offset +
                  " is refused: an offset section is not carried (only sections centred on the nodes)");
    if (keyword.has("COMPOSITE")) deck.fail("*SHELL SECTION, COMPOSITE is refused: composite shells are not carried");
    if (keyword.has("NODALTHICKNESS"))
      deck.fail("*SHELL SECTION, NODAL THICKNESS is refused: only a thickness per section is carried");
    if (beam_) {
      const std::string shape = upperCase(keyword.value("SECTION"));
      if (shape != "RECT")
        deck.fail("*BEAM SECTION, SECTION=" + (shape.empty() ? std::string("(none)") : shape) +
                  " is refused: only SECTION=RECT is carried (the solver integrates its circular, pipe and box "
                  "sections with rules of its own, which no solid element reproduces)");
    }
    deck.model.structuralSections.push_back(section);
    lines_ = 0;
  }

  void data(DeckContext &deck, std::string_view line) override {
    StructuralSection &section = deck.model.structuralSections.back();
    Fields fields(line);
    std::string_view field;
    std::vector<double> values;
    while (fields.next(&field))
      if (!field.empty()) values.push_back(deck.value(field, beam_ ? "beam section value" : "shell thickness"));
    ++lines_;
    if (!beam_) {
      if (lines_ > 1) deck.fail("*SHELL SECTION with more than one data line (layers) is refused: not carried");
      if (values.empty() || !(values[0] > 0)) deck.fail("the shell thickness must be positive");
      section.thickness = values[0];
    } else if (lines_ == 1) {
      if (values.size() < 2 || !(values[0] > 0) || !(values[1] > 0))
        deck.fail("*BEAM SECTION, SECTION=RECT needs two positive dimensions");
      section.width = values[0];
      section.height = values[1];
    } else if (lines_ == 2) {
      if (values.size() != 3 || (values[0] == 0 && values[1] == 0 && values[2] == 0))
        deck.fail("the beam section's 1-direction needs three components, not all zero");
      for (int c = 0; c < 3; ++c) section.direction[c] = values[static_cast<size_t>(c)];
    } else {
      deck.fail("*BEAM SECTION has more than two data lines");
    }
  }

  void stop(DeckContext &deck) override {
    const StructuralSection &section = deck.model.structuralSections.back();
    if (lines_ == 0 || (beam_ && lines_ < 2))
      deck.failAt(section.where, beam_ ? "*BEAM SECTION needs its dimensions and its 1-direction (two data lines)"
                                       : "*SHELL SECTION needs its thickness");
  }

 private:
  static bool isZero(const std::string &text) {
    double v = 1;
    return fieldDouble(text.data(), text.size(), &v) && v == 0.0;
  }

  bool beam_;
  int lines_ = 0;
};

}  // namespace

std::unique_ptr<KeywordReader> makeShellSectionReader() { return std::make_unique<StructuralSectionReader>(false); }
std::unique_ptr<KeywordReader> makeBeamSectionReader() { return std::make_unique<StructuralSectionReader>(true); }

}  // namespace qvb::ccx2qvb
