#include "deck_parser.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/mapped_file.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {

int Model::highestNodeId() const {
  int highest = 0;
  for (int id : nodeIds) highest = std::max(highest, id);
  return highest;
}

namespace {

std::string upper(std::string_view s) {
  std::string u(s);
  std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return std::toupper(c); });
  return u;
}

// A keyword line: "*NAME, KEY=VALUE, FLAG": name and parameters in upper
// case, blanks removed (values that are file names keep their case).
struct Keyword {
  std::string name;
  std::vector<std::pair<std::string, std::string>> parameters;  // key upper case, value as written
  bool has(const std::string &key) const {
    for (const auto &p : parameters)
      if (p.first == key) return true;
    return false;
  }
  std::string value(const std::string &key) const {
    for (const auto &p : parameters)
      if (p.first == key) return p.second;
    return {};
  }
};

Keyword parseKeyword(std::string_view line) {
  Keyword k;
  std::vector<std::string_view> parts;
  size_t start = 1;
  while (start <= line.size()) {
    size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) comma = line.size();
    parts.push_back(trim(line.substr(start, comma - start)));
    start = comma + 1;
  }
  k.name = upper(parts.empty() ? std::string_view() : parts[0]);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    const size_t eq = parts[i].find('=');
    if (eq == std::string_view::npos) {
      k.parameters.emplace_back(upper(parts[i]), std::string());
    } else {
      k.parameters.emplace_back(upper(trim(parts[i].substr(0, eq))), std::string(trim(parts[i].substr(eq + 1))));
    }
  }
  return k;
}

class Parser {
 public:
  explicit Parser(Model *model) : model_(*model) {}

  void readFile(const std::string &path, int depth) {
    if (depth > 20) throw DeckError(path + ": *INCLUDE nested more than 20 deep");
    std::string error;
    std::shared_ptr<const qvb::platform::MappedFile> file = qvb::platform::MappedFile::open(path, &error);
    if (!file) throw DeckError("cannot read deck " + path + ": " + error);
    const char *begin = reinterpret_cast<const char *>(file->data());
    file->willRead(file->data(), file->size());
    LineCursor cursor(begin, begin + file->size());
    file_ = path;
    std::string_view line;
    while (cursor.next(&line)) {
      line_ = cursor.lineNumber();
      if (line.size() >= 2 && line[0] == '*' && line[1] == '*') continue;  // comment
      if (!line.empty() && line[0] == '*') {
        startKeyword(parseKeyword(line), path, depth);
        continue;
      }
      if (trim(line).empty()) continue;
      dataLine(line);
    }
    finishElement();
  }

  void finish() {
    finishElement();
    resolveSections();
  }

 private:
  enum class Block { None, Node, Element, NodeSet, ElementSet, Elastic, Density, Skip, Step };

  [[noreturn]] void fail(const std::string &message) const {
    throw DeckError(file_ + ":" + std::to_string(line_) + ": " + message);
  }

  void startKeyword(const Keyword &k, const std::string &path, int depth) {
    finishElement();
    if (block_ == Block::Step) {
      if (k.name == "END STEP") block_ = Block::None;
      return;
    }
    block_ = Block::None;
    if (k.name == "INCLUDE") {
      std::string input = k.value("INPUT");
      if (input.empty()) fail("*INCLUDE without INPUT=");
      if (input.size() >= 2 && input.front() == '"' && input.back() == '"') input = input.substr(1, input.size() - 2);
      if (input[0] != '/') {
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos) input = path.substr(0, slash + 1) + input;
      }
      const std::string savedFile = file_;
      const long savedLine = line_;
      readFile(input, depth + 1);
      file_ = savedFile;
      line_ = savedLine;
    } else if (k.name == "NODE") {
      block_ = Block::Node;
      setName_ = upper(k.value("NSET"));
    } else if (k.name == "ELEMENT") {
      const std::string typeName = k.value("TYPE");
      type_ = findElementType(typeName);
      if (type_ == nullptr)
        fail("element type " + (typeName.empty() ? std::string("(none given)") : upper(typeName)) +
             " is not supported (supported: " + acceptedElementTypes() + ")");
      block_ = Block::Element;
      setName_ = upper(k.value("ELSET"));
    } else if (k.name == "NSET" || k.name == "ELSET") {
      const bool nodes = k.name == "NSET";
      setName_ = upper(k.value(nodes ? "NSET" : "ELSET"));
      if (setName_.empty()) fail("*" + k.name + " without " + k.name + "=");
      generate_ = k.has("GENERATE");
      block_ = nodes ? Block::NodeSet : Block::ElementSet;
      (nodes ? model_.nodeSets : model_.elementSets)[setName_];
    } else if (k.name == "MATERIAL") {
      const std::string name = upper(k.value("NAME"));
      if (name.empty()) fail("*MATERIAL without NAME=");
      Material material;
      material.name = name;
      material.where = {file_, line_};
      model_.materials.push_back(material);
      material_ = static_cast<int>(model_.materials.size()) - 1;
    } else if (k.name == "ELASTIC") {
      const std::string type = upper(k.value("TYPE"));
      if (!type.empty() && type != "ISO" && type != "ISOTROPIC")
        fail("*ELASTIC, TYPE=" + type + " is not supported (isotropic only)");
      if (material_ < 0) fail("*ELASTIC outside a *MATERIAL");
      block_ = Block::Elastic;
    } else if (k.name == "DENSITY") {
      if (material_ < 0) fail("*DENSITY outside a *MATERIAL");
      block_ = Block::Density;
    } else if (k.name == "SOLID SECTION") {
      const std::string elset = upper(k.value("ELSET")), material = upper(k.value("MATERIAL"));
      if (elset.empty() || material.empty()) fail("*SOLID SECTION needs ELSET= and MATERIAL=");
      sections_.push_back({elset, material, file_, line_});
      block_ = Block::Skip;  // an optional data line (thickness) is not needed for solids
    } else if (k.name == "STEP") {
      model_.warnings.push_back(file_ + ":" + std::to_string(line_) +
                                ": the deck's step is ignored (the translator runs its own analyses)");
      block_ = Block::Step;
    } else if (k.name == "HEADING") {
      block_ = Block::Skip;
    } else {
      model_.warnings.push_back(file_ + ":" + std::to_string(line_) + ": keyword *" + k.name + " is ignored");
      block_ = Block::Skip;
    }
  }

  void dataLine(std::string_view line) {
    const char *p = line.data(), *end = line.data() + line.size();
    switch (block_) {
      case Block::Node: {
        int64_t id = 0;
        double xyz[3] = {0, 0, 0};
        p = scanInt(p, end, &id);
        if (p == nullptr || id <= 0 || id > 2147483647) fail("bad node line");
        for (int c = 0; c < 3; ++c) {
          p = skipComma(p, end);
          if (p == end) break;  // missing coordinates are zero
          p = scanDouble(p, end, &xyz[c]);
          if (p == nullptr) fail("bad node coordinate");
        }
        addNode(static_cast<int>(id), xyz);
        if (!setName_.empty()) model_.nodeSets[setName_].push_back(static_cast<int>(id));
        break;
      }
      case Block::Element: {
        for (;;) {
          p = skipComma(p, end);
          if (p == end) break;
          int64_t v = 0;
          p = scanInt(p, end, &v);
          if (p == nullptr || v <= 0 || v > 2147483647) fail("bad element line");
          pending_.push_back(static_cast<int>(v));
          if (static_cast<int>(pending_.size()) == type_->nodeCount + 1) finishElement();
        }
        break;
      }
      case Block::NodeSet:
      case Block::ElementSet: {
        std::vector<int> &set = (block_ == Block::NodeSet ? model_.nodeSets : model_.elementSets)[setName_];
        if (generate_) {
          int64_t v[3] = {0, 0, 1};
          int count = 0;
          for (; count < 3; ++count) {
            p = skipComma(p, end);
            if (p == end) break;
            p = scanInt(p, end, &v[count]);
            if (p == nullptr) fail("bad GENERATE line (expected first, last[, increment])");
          }
          if (count < 2 || v[2] <= 0 || v[1] < v[0]) fail("bad GENERATE line (expected first, last[, increment])");
          for (int64_t i = v[0]; i <= v[1]; i += v[2]) set.push_back(static_cast<int>(i));
          break;
        }
        std::string_view rest(p, static_cast<size_t>(end - p));
        size_t start = 0;
        while (start <= rest.size()) {
          size_t comma = rest.find(',', start);
          if (comma == std::string_view::npos) comma = rest.size();
          const std::string_view item = trim(rest.substr(start, comma - start));
          start = comma + 1;
          if (item.empty()) continue;
          int64_t v = 0;
          const char *q = scanInt(item.data(), item.data() + item.size(), &v);
          if (q == item.data() + item.size() && v > 0) {
            set.push_back(static_cast<int>(v));
          } else {  // a set name: its members are added
            const auto &sets = block_ == Block::NodeSet ? model_.nodeSets : model_.elementSets;
            auto found = sets.find(upper(item));
            if (found == sets.end()) fail("unknown set " + upper(item) + " in *" + (block_ == Block::NodeSet ? "NSET" : "ELSET"));
            std::vector<int> copy = found->second;
            set.insert(set.end(), copy.begin(), copy.end());
          }
        }
        break;
      }
      case Block::Elastic: {
        double e = 0, nu = 0;
        p = scanDouble(p, end, &e);
        if (p != nullptr) p = scanDouble(skipComma(p, end), end, &nu);
        if (p == nullptr) fail("bad *ELASTIC line (expected E, nu)");
        Material &m = model_.materials[static_cast<size_t>(material_)];
        if (m.elastic.empty()) {  // further lines are temperature points; the first one is used
          m.youngsModulus = e;
          m.poissonRatio = nu;
        }
        m.elastic.push_back({e, nu, 0.0});
        break;
      }
      case Block::Density: {
        double rho = 0;
        p = scanDouble(p, end, &rho);
        if (p == nullptr) fail("bad *DENSITY line");
        Material &m = model_.materials[static_cast<size_t>(material_)];
        if (m.density.empty()) m.densityValue = rho;
        m.density.push_back({rho, 0.0});
        break;
      }
      case Block::Step:
      case Block::Skip:
        break;
      case Block::None:
        fail("data line outside any keyword");
    }
  }

  static const char *skipComma(const char *p, const char *end) {
    while (p < end && (isBlank(*p) || *p == ',')) ++p;
    return p;
  }

  void addNode(int id, const double *xyz) {
    auto [it, fresh] = model_.nodeIndex.emplace(id, static_cast<int32_t>(model_.nodeIds.size()));
    if (fresh) {
      model_.nodeIds.push_back(id);
      model_.coordinates.insert(model_.coordinates.end(), xyz, xyz + 3);
    } else {  // a repeated node replaces the earlier coordinates, as in the solver
      std::copy(xyz, xyz + 3, &model_.coordinates[3 * static_cast<size_t>(it->second)]);
    }
  }

  void finishElement() {
    if (pending_.empty()) return;
    if (static_cast<int>(pending_.size()) != type_->nodeCount + 1)
      fail("element " + std::to_string(pending_[0]) + " of type " + type_->name + " needs " +
           std::to_string(type_->nodeCount) + " nodes, got " + std::to_string(pending_.size() - 1));
    const int id = pending_[0];
    if (!elementSeen_.emplace(id, static_cast<int>(model_.elementIds.size())).second)
      fail("element " + std::to_string(id) + " is defined twice");
    model_.elementIds.push_back(id);
    model_.elementTypes.push_back(type_);
    model_.connectivity.insert(model_.connectivity.end(), pending_.begin() + 1, pending_.end());
    model_.elementStart.push_back(static_cast<int64_t>(model_.connectivity.size()));
    if (!setName_.empty()) model_.elementSets[setName_].push_back(id);
    pending_.clear();
  }

  void resolveSections() {
    // Every element node must exist.
    for (size_t e = 0; e < model_.elementIds.size(); ++e)
      for (int64_t k = model_.elementStart[e]; k < model_.elementStart[e + 1]; ++k)
        if (model_.nodeIndex.count(model_.connectivity[static_cast<size_t>(k)]) == 0)
          throw DeckError("element " + std::to_string(model_.elementIds[e]) + " uses node " +
                          std::to_string(model_.connectivity[static_cast<size_t>(k)]) + ", which is not defined");
    if (model_.elementIds.empty()) throw DeckError("the deck defines no elements");
    model_.elementMaterial.assign(model_.elementIds.size(), -1);
    for (const Section &s : sections_) {
      const std::string where = s.file + ":" + std::to_string(s.line) + ": ";
      auto set = model_.elementSets.find(s.elset);
      if (set == model_.elementSets.end()) throw DeckError(where + "*SOLID SECTION names unknown element set " + s.elset);
      int material = -1;
      for (size_t m = 0; m < model_.materials.size(); ++m)
        if (model_.materials[m].name == s.material) material = static_cast<int>(m);
      if (material < 0) throw DeckError(where + "*SOLID SECTION names unknown material " + s.material);
      const Material &m = model_.materials[static_cast<size_t>(material)];
      if (m.elastic.empty()) throw DeckError("material " + m.name + " has no *ELASTIC constants");
      if (m.density.empty() || !(m.densityValue > 0))
        throw DeckError("material " + m.name + " has no positive *DENSITY (a flexible body needs mass)");
      for (int id : set->second) {
        auto e = elementSeen_.find(id);
        if (e == elementSeen_.end())
          throw DeckError(where + "element set " + s.elset + " holds element " + std::to_string(id) +
                          ", which is not defined");
        model_.elementMaterial[static_cast<size_t>(e->second)] = material;
      }
    }
    for (size_t e = 0; e < model_.elementIds.size(); ++e)
      if (model_.elementMaterial[e] < 0)
        throw DeckError("element " + std::to_string(model_.elementIds[e]) + " has no *SOLID SECTION");
  }

  struct Section {
    std::string elset, material, file;
    long line;
  };

  Model &model_;
  std::string file_;
  long line_ = 0;
  Block block_ = Block::None;
  std::string setName_;
  bool generate_ = false;
  const ElementType *type_ = nullptr;
  std::vector<int> pending_;
  int material_ = -1;
  std::vector<Section> sections_;
  std::unordered_map<int, int> elementSeen_;
};

}  // namespace

Model readDeck(const std::string &path) {
  Model model;
  Parser parser(&model);
  parser.readFile(path, 0);
  parser.finish();
  return model;
}

}  // namespace qvb::ccx2qvb
