// The line loop, *INCLUDE, steps, and the table that decides what each
// keyword is to the translator: carried into the model, ignored (it cannot
// change the free body), or refused (it would, and the model does not carry it).
#include "deck_parser.h"

#include <algorithm>

#include "keyword_reader.h"
#include "platform/file_kind.h"
#include "platform/mapped_file.h"
#include "skipped_elements.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {

int Model::highestNodeId() const {
  int highest = 0;
  for (int id : nodeIds) highest = std::max(highest, id);
  return highest;
}

namespace {

enum class KeywordClass { kCarried, kIgnored, kRefused };

struct KeywordEntry {
  const char *name;  // upper case, words separated by one blank
  KeywordClass kind;
  std::unique_ptr<KeywordReader> (*make)();  // null: no data lines kept
  const char *parameters;                    // a carried keyword's accepted parameters, blanks removed, comma-separated
  const char *reason;                        // why a refused keyword is refused
  bool materialCard;                         // part of a *MATERIAL's description
};

constexpr KeywordClass kCarried = KeywordClass::kCarried, kIgnored = KeywordClass::kIgnored,
                       kRefused = KeywordClass::kRefused;

constexpr const char *kMpc = "a multi-point constraint, which the model does not carry";
constexpr const char *kCoupling = "a coupling constraint, which the model does not carry";
constexpr const char *kDiscrete = "dashpots and gaps are not carried (they damp or open, and modes do neither)";
constexpr const char *kStructural =
    "general beam sections and membranes are not carried (*SHELL SECTION and "
    "*BEAM SECTION, SECTION=RECT are)";
constexpr const char *kLaw = "a material law other than linear elasticity, which the model does not carry";

// One place for every keyword the translator knows. Readers finish in this
// order once the deck is read: the mesh first, made nodes last.
const KeywordEntry kKeywords[] = {
    {"NODE", kCarried, makeNodeReader, "NSET", nullptr, false},
    {"ELEMENT", kCarried, makeElementReader, "TYPE,ELSET", nullptr, false},
    {"NSET", kCarried, makeNodeSetReader, "NSET,GENERATE", nullptr, false},
    {"ELSET", kCarried, makeElementSetReader, "ELSET,GENERATE", nullptr, false},
    {"MATERIAL", kCarried, makeMaterialReader, "NAME", nullptr, true},
    {"ELASTIC", kCarried, makeElasticReader, "TYPE", nullptr, true},
    {"DENSITY", kCarried, makeDensityReader, "", nullptr, true},
    {"ORIENTATION", kCarried, makeOrientationReader, "NAME,SYSTEM", nullptr, false},
    {"SOLID SECTION", kCarried, makeSolidSectionReader, "ELSET,MATERIAL,ORIENTATION", nullptr, false},
    {"SHELL SECTION", kCarried, makeShellSectionReader, "ELSET,MATERIAL,ORIENTATION,OFFSET,COMPOSITE,NODALTHICKNESS",
     nullptr, false},
    {"BEAM SECTION", kCarried, makeBeamSectionReader, "ELSET,MATERIAL,SECTION,ORIENTATION,OFFSET1,OFFSET2", nullptr,
     false},
    {"SURFACE", kCarried, makeSurfaceReader, "NAME,TYPE", nullptr, false},
    {"EQUATION", kCarried, makeEquationReader, "", nullptr, false},
    {"TIE", kCarried, makeTieReader, "NAME,POSITIONTOLERANCE,ADJUST,CYCLICSYMMETRY,MULTISTAGE,FLUIDPRESSURE", nullptr,
     false},
    {"RIGID BODY", kCarried, makeRigidBodyReader, "NSET,ELSET,REFNODE,ROTNODE", nullptr, false},
    {"MASS", kCarried, makeMassReader, "ELSET", nullptr, false},
    {"SPRING", kCarried, makeSpringReader, "ELSET,NONLINEAR", nullptr, false},
    {"INITIAL CONDITIONS", kCarried, makeInitialConditionsReader, "TYPE,USER", nullptr, false},
    {"HEADING", kCarried, makeTextReader, "", nullptr, false},
    {"INCLUDE", kCarried, nullptr, "INPUT", nullptr, false},
    // Ignored: steps and what they hold, loads and boundary conditions (the
    // body is the free part), outputs, contact, material behaviour beyond
    // linear elasticity.
    {"STEP", kIgnored, nullptr, nullptr, nullptr, false},
    {"END STEP", kIgnored, nullptr, nullptr, nullptr, false},
    {"TRANSFORM", kIgnored, makeTransformReader, nullptr, nullptr, false},
    {"BOUNDARY", kIgnored, nullptr, nullptr, nullptr, false},
    {"CLOAD", kIgnored, nullptr, nullptr, nullptr, false},
    {"DLOAD", kIgnored, nullptr, nullptr, nullptr, false},
    {"DSLOAD", kIgnored, nullptr, nullptr, nullptr, false},
    {"CFLUX", kIgnored, nullptr, nullptr, nullptr, false},
    {"DFLUX", kIgnored, nullptr, nullptr, nullptr, false},
    {"FILM", kIgnored, nullptr, nullptr, nullptr, false},
    {"RADIATE", kIgnored, nullptr, nullptr, nullptr, false},
    {"TEMPERATURE", kIgnored, nullptr, nullptr, nullptr, false},
    {"AMPLITUDE", kIgnored, nullptr, nullptr, nullptr, false},
    {"TIME POINTS", kIgnored, nullptr, nullptr, nullptr, false},
    {"PHYSICAL CONSTANTS", kIgnored, nullptr, nullptr, nullptr, false},
    {"VALUES AT INFINITY", kIgnored, nullptr, nullptr, nullptr, false},
    {"NODE FILE", kIgnored, nullptr, nullptr, nullptr, false},
    {"EL FILE", kIgnored, nullptr, nullptr, nullptr, false},
    {"NODE PRINT", kIgnored, nullptr, nullptr, nullptr, false},
    {"EL PRINT", kIgnored, nullptr, nullptr, nullptr, false},
    {"NODE OUTPUT", kIgnored, nullptr, nullptr, nullptr, false},
    {"ELEMENT OUTPUT", kIgnored, nullptr, nullptr, nullptr, false},
    {"CONTACT FILE", kIgnored, nullptr, nullptr, nullptr, false},
    {"CONTACT PRINT", kIgnored, nullptr, nullptr, nullptr, false},
    {"CONTACT OUTPUT", kIgnored, nullptr, nullptr, nullptr, false},
    {"OUTPUT", kIgnored, nullptr, nullptr, nullptr, false},
    {"RESTART", kIgnored, nullptr, nullptr, nullptr, false},
    {"CONTACT PAIR", kIgnored, nullptr, nullptr, nullptr, false},
    {"SURFACE INTERACTION", kIgnored, nullptr, nullptr, nullptr, false},
    {"SURFACE BEHAVIOR", kIgnored, nullptr, nullptr, nullptr, false},
    {"FRICTION", kIgnored, nullptr, nullptr, nullptr, false},
    {"GAP CONDUCTANCE", kIgnored, nullptr, nullptr, nullptr, false},
    {"EXPANSION", kIgnored, nullptr, nullptr, nullptr, true},
    {"CONDUCTIVITY", kIgnored, nullptr, nullptr, nullptr, true},
    {"SPECIFIC HEAT", kIgnored, nullptr, nullptr, nullptr, true},
    {"PLASTIC", kIgnored, nullptr, nullptr, nullptr, true},
    {"CREEP", kIgnored, nullptr, nullptr, nullptr, true},
    {"CYCLIC HARDENING", kIgnored, nullptr, nullptr, nullptr, true},
    {"DAMPING", kIgnored, nullptr, nullptr, nullptr, true},
    {"DISTRIBUTION", kIgnored, nullptr, nullptr, nullptr, false},
    // Refused: they change the stiffness or mass and the model lacks them.
    {"MPC", kRefused, nullptr, nullptr, kMpc, false},
    {"NETWORK MPC", kRefused, nullptr, nullptr, kMpc, false},
    {"PRE-TENSION SECTION", kRefused, nullptr, nullptr, "a pre-tension section, which the model does not carry", false},
    {"COUPLING", kRefused, nullptr, nullptr, kCoupling, false},
    {"KINEMATIC", kRefused, nullptr, nullptr, kCoupling, false},
    {"DISTRIBUTING", kRefused, nullptr, nullptr, kCoupling, false},
    {"DISTRIBUTING COUPLING", kRefused, nullptr, nullptr, kCoupling, false},
    {"DASHPOT", kRefused, nullptr, nullptr, kDiscrete, false},
    {"ROTARY INERTIA", kRefused, nullptr, nullptr,
     "the solver (CalculiX 2.20) does not know it: it skips the card with a warning, so its modes would lack the "
     "inertia",
     false},
    {"GAP", kRefused, nullptr, nullptr, kDiscrete, false},
    {"USER ELEMENT", kRefused, nullptr, nullptr, "user elements are not carried", false},
    {"BEAM GENERAL SECTION", kRefused, nullptr, nullptr, kStructural, false},
    {"MEMBRANE SECTION", kRefused, nullptr, nullptr, kStructural, false},
    {"HYPERELASTIC", kRefused, nullptr, nullptr, kLaw, true},
    {"HYPERFOAM", kRefused, nullptr, nullptr, kLaw, true},
    {"DEFORMATION PLASTICITY", kRefused, nullptr, nullptr, kLaw, true},
    {"USER MATERIAL", kRefused, nullptr, nullptr, kLaw, true},
    {"CYCLIC SYMMETRY MODEL", kRefused, nullptr, nullptr,
     "a cyclic-symmetry sector is not a free body (translate the whole part)", false},
};

}  // namespace

std::vector<std::pair<std::string, std::string>> knownKeywords() {
  std::vector<std::pair<std::string, std::string>> known;
  for (const KeywordEntry &entry : kKeywords)
    known.emplace_back(entry.name, entry.kind == kCarried   ? "carried"
                                   : entry.kind == kIgnored ? "ignored"
                                                            : "refused");
  return known;
}

namespace {

// Keyword names compare without blanks, as the solver compares them.
std::string squeezed(const char *name) {
  std::string s;
  for (; *name != '\0'; ++name)
    if (*name != ' ') s.push_back(*name);
  return s;
}

bool listed(const char *list, const std::string &key) {
  std::string_view rest(list);
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    if (rest.substr(0, comma) == key) return true;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return false;
}

// *HEADING: its text means nothing to the model.
class TextReader : public KeywordReader {
 public:
  void start(DeckContext &, const Keyword &) override {}
  void data(DeckContext &, std::string_view) override {}
};

constexpr int kMaxIncludeDepth = 20;

class DeckParser {
 public:
  explicit DeckParser(Model *model) : deck_(model) {
    for (const KeywordEntry &entry : kKeywords) {
      byName_.emplace(squeezed(entry.name), &entry);
      readers_.push_back(entry.make != nullptr ? entry.make() : nullptr);
    }
  }

  void readFile(const std::string &path) {
    if (std::find(open_.begin(), open_.end(), path) != open_.end())
      deck_.fail("*INCLUDE of " + path + ", which is already being read (the includes form a cycle)");
    if (open_.size() > kMaxIncludeDepth)
      deck_.fail("*INCLUDE nested more than " + std::to_string(kMaxIncludeDepth) + " deep");
    const platform::FileKind kind = platform::fileKind(path);
    if (kind == platform::FileKind::kDirectory || kind == platform::FileKind::kOther)
      throw DeckError("cannot read deck " + path + ": it is " + platform::describeFileKind(path) +
                      ", not a regular file");
    std::string error;
    std::shared_ptr<const platform::MappedFile> file = platform::MappedFile::open(path, &error);
    if (!file) throw DeckError("cannot read deck " + path + ": " + error);
    const int including = deck_.fileIndex();
    open_.push_back(path);
    deck_.enterFile(path);
    file->willRead(file->data(), file->size());
    const char *begin = reinterpret_cast<const char *>(file->data());
    LineCursor cursor(begin, begin + file->size());
    std::string_view line;
    while (cursor.next(&line)) {
      deck_.setLine(cursor.lineNumber());
      if (line.size() >= 2 && line[0] == '*' && line[1] == '*') continue;  // a comment
      if (!line.empty() && line[0] == '*') {
        keywordLine(line, path);
      } else if (!inStep_ && !trim(line).empty()) {
        dataLine(line);
      }
    }
    stopReader();
    open_.pop_back();
    deck_.leaveFile(including);
  }

  void finish() {
    for (const std::unique_ptr<KeywordReader> &reader : readers_)
      if (reader) reader->finish(deck_);
  }

 private:
  void keywordLine(std::string_view line, const std::string &path) {
    stopReader();
    const Keyword keyword = parseKeyword(line);
    if (inStep_) {  // a step and all it holds count once; its end may stand in an include
      if (keyword.name == "INCLUDE") {
        include(keyword, path);
      } else {
        inStep_ = keyword.name != "ENDSTEP";
      }
      return;
    }
    auto found = byName_.find(keyword.name);
    if (found == byName_.end())
      deck_.fail("unknown keyword *" + upperCase(trim(line.substr(1, line.find(',') - 1))) +
                 ": refused, since it may change the stiffness or mass of the model");
    const KeywordEntry &entry = *found->second;
    if (!entry.materialCard) deck_.material = -1;
    switch (entry.kind) {
      case KeywordClass::kRefused:
        deck_.fail("*" + std::string(entry.name) + " is refused: " + entry.reason);
      case KeywordClass::kIgnored:
        if (keyword.name == "ENDSTEP") deck_.fail("*END STEP without a *STEP");
        deck_.ignore(entry.name);
        inStep_ = keyword.name == "STEP";
        break;
      case KeywordClass::kCarried:
        for (const Keyword::Parameter &p : keyword.parameters)
          if (!listed(entry.parameters, p.key))
            deck_.fail("*" + std::string(entry.name) + ", " + upperCase(p.written) + (p.value.empty() ? "" : "=") +
                       " is not supported");
        if (keyword.name == "INCLUDE") {
          include(keyword, path);
          return;
        }
        break;
    }
    current_ = readers_[static_cast<size_t>(&entry - kKeywords)].get();
    skipping_ = current_ == nullptr;
    if (current_ != nullptr) current_->start(deck_, keyword);
  }

  void dataLine(std::string_view line) {
    if (current_ != nullptr) {
      current_->data(deck_, line);
    } else if (!skipping_) {
      deck_.fail("data line outside any keyword");
    }
  }

  void stopReader() {
    if (current_ != nullptr) current_->stop(deck_);
    current_ = nullptr;
    skipping_ = false;
  }

  // Relative to the including file.
  void include(const Keyword &keyword, const std::string &path) {
    std::string input = keyword.value("INPUT");
    if (input.empty()) deck_.fail("*INCLUDE without INPUT=");
    if (input[0] != '/') {
      const size_t slash = path.rfind('/');
      if (slash != std::string::npos) input = path.substr(0, slash + 1) + input;
    }
    const long line = deck_.line();
    const int file = deck_.fileIndex();
    readFile(input);
    deck_.leaveFile(file);
    deck_.setLine(line);
  }

  DeckContext deck_;
  std::unordered_map<std::string, const KeywordEntry *> byName_;
  std::vector<std::unique_ptr<KeywordReader>> readers_;  // per table entry
  std::vector<std::string> open_;                        // the files being read, outermost first
  KeywordReader *current_ = nullptr;
  bool skipping_ = false;  // data lines of an ignored keyword
  bool inStep_ = false;
};

// One warning for all ignored keywords, each named once with its count.
std::string ignoredSummary(const std::map<std::string, int> &ignored) {
  std::string list;
  for (const auto &[name, count] : ignored)
    list += (list.empty() ? "*" : ", *") + name + (count > 1 ? " (" + std::to_string(count) + " times)" : "");
  return "keywords ignored, since they cannot change the free body (steps, loads, boundary conditions, outputs, "
         "contact, inelastic material behaviour): " +
         list;
}

}  // namespace

std::unique_ptr<KeywordReader> makeTextReader() { return std::make_unique<TextReader>(); }

Model readDeck(const std::string &path) {
  Model model;
  DeckParser parser(&model);
  parser.readFile(path);
  parser.finish();
  skipSurfaceAndLineElements(&model);
  if (!model.ignoredKeywords.empty()) model.warnings.push_back(ignoredSummary(model.ignoredKeywords));
  return model;
}

}  // namespace qvb::ccx2qvb
