// Materials and sections: *MATERIAL, *ELASTIC, *DENSITY, *SOLID SECTION (which
// also matches the shell and beam sections to their elements).
//
// Properties are kept as read, a point per data line (several for the elastic
// types beyond isotropy) with its temperature; resolveTemperature
// (temperature.h) picks the values the body uses.

#include <algorithm>

#include "elastic_constants.h"
#include "keyword_reader.h"
#include "message_number.h"
#include "skipped_elements.h"

namespace qvb::ccx2qvb {
namespace {

class MaterialReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string name = upperCase(keyword.value("NAME"));
    if (name.empty()) deck.fail("*MATERIAL without NAME=");
    for (const Material &m : deck.model.materials)
      if (m.name == name) deck.fail("material " + name + " is defined twice (first at " + m.where.text() + ")");
    Material material;
    material.name = name;
    material.where = deck.here();
    deck.model.materials.push_back(std::move(material));
    deck.material = static_cast<int>(deck.model.materials.size()) - 1;
  }
};

// A table of points per data line, in increasing temperature: "values...,
// temperature" with the temperature optional for a single point.
template <class Point>
class PropertyReader : public KeywordReader {
 protected:
  explicit PropertyReader(const char *expected) : expected_(expected) {}

  Material &current(DeckContext &deck, const char *keyword) const {
    if (deck.material < 0) deck.fail(std::string("*") + keyword + " outside a *MATERIAL");
    return deck.model.materials[static_cast<size_t>(deck.material)];
  }

  // Reads "v1[, v2], [T]" into values and the temperature; checks the order.
  void readPoint(DeckContext &deck, std::string_view line, const char *keyword, int valueCount, double *values,
                 double *temperature, const std::vector<Point> &table) const {
    Fields fields(line);
    std::string_view field;
    int count = 0;
    *temperature = 0.0;
    while (fields.next(&field)) {
      if (count > valueCount)
        deck.fail(std::string("*") + keyword + " line has more than " + std::to_string(valueCount + 1) +
                  " values (expected " + expected_ + ")");
      if (count < valueCount) {
        values[count] = deck.value(field, (std::string("*") + keyword + " value").c_str());
      } else if (!field.empty()) {
        *temperature = deck.value(field, "temperature");
      }
      ++count;
    }
    if (count < valueCount) deck.fail(std::string("bad *") + keyword + " line (expected " + expected_ + ")");
    if (!table.empty() && !(*temperature > table.back().temperature))
      deck.fail(std::string("*") + keyword + " temperatures must increase from line to line (" +
                messageNumber(*temperature) + " follows " + messageNumber(table.back().temperature) + ")");
  }

 private:
  const char *expected_;  // the line's form, for messages
};

// Isotropic: "E, nu[, temperature]" a line. The other types take a point
// over several lines as the solver reads them: eight constants a line, the
// last line the rest and the temperature.
class ElasticReader : public PropertyReader<ElasticPoint> {
 public:
  ElasticReader() : PropertyReader("E, nu[, temperature]") {}

  void start(DeckContext &deck, const Keyword &keyword) override {
    std::string type;
    for (char c : upperCase(keyword.value("TYPE")))
      if (c != ' ') type.push_back(c);  // the solver drops blanks: ENGINEERING CONSTANTS
    if (type.empty() || type == "ISO" || type == "ISOTROPIC") {
      type_ = ElasticType::kIsotropic;
    } else if (type == "ORTHO") {
      type_ = ElasticType::kOrthotropic;
    } else if (type == "ENGINEERINGCONSTANTS") {
      type_ = ElasticType::kEngineeringConstants;
    } else if (type == "ANISO") {
      type_ = ElasticType::kAnisotropic;
    } else {
      deck.fail("*ELASTIC, TYPE=" + upperCase(keyword.value("TYPE")) +
                " is not supported (ISO, ORTHO, ENGINEERING CONSTANTS and ANISO are)");
    }
    Material &material = current(deck, "ELASTIC");
    if (!material.elastic.empty()) deck.fail("material " + material.name + " has a second *ELASTIC");
    material.elasticType = type_;
    pending_.clear();
  }

  void data(DeckContext &deck, std::string_view line) override {
    Material &material = current(deck, "ELASTIC");
    if (type_ == ElasticType::kIsotropic) {
      double values[2], temperature;
      readPoint(deck, line, "ELASTIC", 2, values, &temperature, material.elastic);
      material.elastic.push_back({values[0], values[1], temperature, {}});
    } else {
      readConstants(deck, line, &material);
    }
  }

  void stop(DeckContext &deck) override {
    if (!pending_.empty())
      deck.failAt(deck.source(pointStart_), "*ELASTIC point with " + std::to_string(pending_.size()) + " of its " +
                                                std::to_string(elasticConstantCount(type_)) + " constants " + layout());
  }

 private:
  // One line of a point of the other types; the point is added when complete.
  void readConstants(DeckContext &deck, std::string_view line, Material *material) {
    if (pending_.empty()) pointStart_ = deck.position();
    const size_t count = static_cast<size_t>(elasticConstantCount(type_));
    const size_t wanted = std::min<size_t>(8, count - pending_.size());
    const bool last = pending_.size() + wanted == count;
    Fields fields(line);
    std::string_view field;
    size_t read = 0;
    double temperature = 0.0;
    while (fields.next(&field)) {
      if (read < wanted) {
        pending_.push_back(deck.value(field, "*ELASTIC constant"));
      } else if (last && read == wanted) {
        if (!field.empty()) temperature = deck.value(field, "temperature");
      } else {
        deck.fail("*ELASTIC line has more than " + std::to_string(wanted + (last ? 1 : 0)) + " values " + layout());
      }
      ++read;
    }
    if (read < wanted)
      deck.fail("*ELASTIC line has " + std::to_string(read) + " constants where " + std::to_string(wanted) +
                " belong " + layout());
    if (!last) return;
    const std::vector<ElasticPoint> &table = material->elastic;
    if (!table.empty() && !(temperature > table.back().temperature))
      deck.fail("*ELASTIC temperatures must increase from point to point (" + messageNumber(temperature) + " follows " +
                messageNumber(table.back().temperature) + ")");
    material->elastic.push_back({0.0, 0.0, temperature, std::move(pending_)});
    pending_.clear();
  }

  std::string layout() const {
    return type_ == ElasticType::kAnisotropic
               ? "(TYPE=ANISO takes 21 constants a point: eight a line, the last line five and the temperature)"
               : "(this TYPE takes 9 constants a point: eight on one line, the ninth and the temperature on the next)";
  }

  ElasticType type_ = ElasticType::kIsotropic;
  std::vector<double> pending_;  // constants of the point being read
  int64_t pointStart_ = 0;
};

class DensityReader : public PropertyReader<DensityPoint> {
 public:
  DensityReader() : PropertyReader("density[, temperature]") {}

  void start(DeckContext &deck, const Keyword &) override {
    Material &material = current(deck, "DENSITY");
    if (!material.density.empty()) deck.fail("material " + material.name + " has a second *DENSITY");
  }

  void data(DeckContext &deck, std::string_view line) override {
    Material &material = current(deck, "DENSITY");
    double value, temperature;
    readPoint(deck, line, "DENSITY", 1, &value, &temperature, material.density);
    material.density.push_back({value, temperature});
  }
};

// Sections are matched to elements and materials once the whole deck is
// read: materials may follow the sections that name them.
class SolidSectionReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    const std::string elset = upperCase(keyword.value("ELSET")), material = upperCase(keyword.value("MATERIAL"));
    if (elset.empty() || material.empty()) deck.fail("*SOLID SECTION needs ELSET= and MATERIAL=");
    sections_.push_back({elset, material, upperCase(keyword.value("ORIENTATION")), deck.position(), {}});
  }

  // A data line (the thickness of plane elements) means nothing for solids.
  void data(DeckContext &, std::string_view) override {}

  // Solid, shell and beam sections alike: each element gets one, of its kind.
  void finish(DeckContext &deck) override {
    Model &model = deck.model;
    model.elementMaterial.assign(model.elementIds.size(), -1);
    model.elementOrientation.assign(model.elementIds.size(), -1);
    model.elementStructuralSection.assign(model.elementIds.size(), -1);
    std::vector<Section> all = sections_;
    for (Section &section : all) section.where = deck.source(section.source);
    for (const StructuralSection &s : model.structuralSections)
      all.push_back({s.elset, s.material, "", 0, s.where, s.beam ? ElementKind::kBeam : ElementKind::kShell,
                     static_cast<int>(&s - model.structuralSections.data())});
    std::vector<const Section *> sectionOf(model.elementIds.size(), nullptr);
    for (const Section &section : all) {
      const SourceLine &where = section.where;
      const std::string keyword = sectionKeyword(section.kind);
      auto set = model.elementSets.find(section.elset);
      if (set == model.elementSets.end()) deck.failAt(where, keyword + " names unknown element set " + section.elset);
      const int material = materialIndex(deck, section, keyword);
      const int orientation = orientationIndex(deck, section);
      for (int id : set->second) {
        auto e = deck.elementIndex.find(id);
        if (e == deck.elementIndex.end())
          deck.failAt(where, "element set " + section.elset + " holds element " + std::to_string(id) +
                                 ", which is not defined");
        const size_t index = static_cast<size_t>(e->second);
        const ElementType &type = *model.elementTypes[index];
        if (type.kind != section.kind)
          deck.failAt(where, "element " + std::to_string(id) + " of type " + type.name + " cannot take a " + keyword);
        if (section.kind == ElementKind::kSolid && isSurfaceOrLine(type))
          deck.failAt(where, "*SOLID SECTION on element " + std::to_string(id) + ", a " + type.name +
                                 ": plane, axisymmetric, shell and line elements are not solids");
        if (sectionOf[index] != nullptr && sectionOf[index] != &section)
          deck.failAt(where, "element " + std::to_string(id) + " has a second section (the first at " +
                                 sectionOf[index]->where.text() + ")");
        sectionOf[index] = &section;
        model.elementMaterial[index] = material;
        model.elementOrientation[index] = orientation;
        model.elementStructuralSection[index] = section.structural;
      }
    }
    for (size_t e = 0; e < model.elementIds.size(); ++e)
      if (model.elementMaterial[e] < 0 && !isSurfaceOrLine(*model.elementTypes[e]))  // those are skipped
        deck.failAt(deck.source(deck.elementSource[e]), "element " + std::to_string(model.elementIds[e]) +
                                                            " has no section (*SOLID SECTION, "
                                                            "*SHELL SECTION or *BEAM SECTION)");
  }

 private:
  struct Section {
    std::string elset, material, orientation;  // orientation empty: global axes
    int64_t source;                            // a solid section's deck position
    SourceLine where;                          // resolved once the deck is read
    ElementKind kind = ElementKind::kSolid;
    int structural = -1;  // shells and beams: the index of their shape among the model's structural sections
  };

  static std::string sectionKeyword(ElementKind kind) {
    return kind == ElementKind::kSolid ? "*SOLID SECTION" : kind == ElementKind::kBeam ? "*BEAM SECTION" : "*SHELL SECTION";
  }

  static int materialIndex(const DeckContext &deck, const Section &section, const std::string &keyword) {
    const SourceLine &where = section.where;
    const std::vector<Material> &materials = deck.model.materials;
    for (size_t m = 0; m < materials.size(); ++m) {
      if (materials[m].name != section.material) continue;
      if (materials[m].elastic.empty())
        deck.failAt(materials[m].where, "material " + materials[m].name + " has no *ELASTIC constants");
      if (materials[m].density.empty())
        deck.failAt(materials[m].where,
                    "material " + materials[m].name + " has no *DENSITY (a flexible body needs mass)");
      return static_cast<int>(m);
    }
    deck.failAt(where, keyword + " names unknown material " + section.material);
  }

  static int orientationIndex(const DeckContext &deck, const Section &section) {
    if (section.orientation.empty()) return -1;
    const std::vector<Orientation> &orientations = deck.model.orientations;
    for (size_t o = 0; o < orientations.size(); ++o)
      if (orientations[o].name == section.orientation) return static_cast<int>(o);
    deck.failAt(section.where, "*SOLID SECTION names unknown orientation " + section.orientation);
  }

  std::vector<Section> sections_;
};

}  // namespace

std::unique_ptr<KeywordReader> makeMaterialReader() { return std::make_unique<MaterialReader>(); }
std::unique_ptr<KeywordReader> makeElasticReader() { return std::make_unique<ElasticReader>(); }
std::unique_ptr<KeywordReader> makeDensityReader() { return std::make_unique<DensityReader>(); }
std::unique_ptr<KeywordReader> makeSolidSectionReader() { return std::make_unique<SolidSectionReader>(); }

}  // namespace qvb::ccx2qvb
