// What the readers of single keywords share: the keyword line, the deck
// being read (the model, where the reader stands, the helpers that turn a
// field into a number or a set), and the reader interface itself.
//
// deck_parser.cpp keeps the line loop and the table that picks a reader per
// keyword; the readers live in files grouped by idea (mesh, materials,
// constraints, conditions) and see nothing of each other but this.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "errors.h"
#include "model.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {

// Upper case, as the solver folds keywords, parameters and names.
std::string upperCase(std::string_view text);

// A keyword line "*NAME, KEY=VALUE, FLAG". Names and keys are compared
// without blanks (the solver drops them: "*SOLID SECTION" = "*SOLIDSECTION").
struct Keyword {
  std::string name;  // upper case, blanks removed
  struct Parameter {
    std::string key;      // upper case, blanks removed
    std::string written;  // the key as the deck spells it, for messages
    std::string value;    // as written (file names keep their case), trimmed
  };
  std::vector<Parameter> parameters;

  bool has(const char *key) const;
  std::string value(const char *key) const;  // empty when absent
};

Keyword parseKeyword(std::string_view line);

// Comma-separated fields of a data line, trimmed; a trailing comma gives no
// empty last field.
class Fields {
 public:
  explicit Fields(std::string_view line) : at_(line.data()), end_(line.data() + line.size()) {}
  bool next(std::string_view *field);

 private:
  const char *at_;  // null after the last field
  const char *end_;
};

// The source position of each node or element in 4 bytes: the line, and the
// file by runs (nodes and elements come in blocks, a file at a time).
class SourcePositions {
 public:
  void add(int64_t position) {
    const int file = static_cast<int>(position >> kFileShift);
    if (runs_.empty() || runs_.back().second != file) runs_.emplace_back(lines_.size(), file);
    lines_.push_back(static_cast<uint32_t>(std::min<int64_t>(position & kLineMask, UINT32_MAX)));
  }
  int64_t operator[](size_t i) const {
    auto run = std::upper_bound(runs_.begin(), runs_.end(), i,
                                [](size_t index, const std::pair<size_t, int> &r) { return index < r.first; });
    return (static_cast<int64_t>(std::prev(run)->second) << kFileShift) | lines_[i];
  }

  static constexpr int kFileShift = 40;
  static constexpr int64_t kLineMask = (int64_t{1} << kFileShift) - 1;

 private:
  std::vector<uint32_t> lines_;
  std::vector<std::pair<size_t, int>> runs_;  // first index, file
};

// The deck being read.
class DeckContext {
 public:
  explicit DeckContext(Model *model) : model(*model) {}

  Model &model;

  // Where the reader stands. A source position packs the file's index and the
  // line into one number, so that a line per node costs 8 bytes; 0 is
  // nowhere.
  void enterFile(const std::string &path);
  void leaveFile(int previous) { file_ = previous; }
  int fileIndex() const { return file_; }
  long line() const { return line_; }
  void setLine(long line) { line_ = line; }
  int64_t position() const { return (static_cast<int64_t>(file_ + 1) << SourcePositions::kFileShift) | line_; }
  SourceLine source(int64_t position) const;
  SourceLine here() const { return source(position()); }

  // Throws DeckError "file:line: message" at the current line, or at a given one.
  [[noreturn]] void fail(const std::string &message) const;
  [[noreturn]] void failAt(const SourceLine &where, const std::string &message) const;

  // Fields as numbers: refused with the current line unless the whole field
  // is one (an ID: 1 .. 2^31 - 1; a value: finite).
  int id(std::string_view field, const char *what) const;
  double value(std::string_view field, const char *what) const;
  bool isId(std::string_view field, int *id) const {
    int64_t v = 0;
    const char *end = field.data() + field.size();
    if (scanInt(field.data(), end, &v) != end || v <= 0 || v > INT32_MAX) return false;
    *id = static_cast<int>(v);
    return true;
  }

  // A named set (upper-cased), refused when unknown.
  const std::vector<int> &nodeSet(std::string_view name) const;
  const std::vector<int> &elementSet(std::string_view name) const;
  // Adds a list item, an ID or a set's members, to a set being built.
  void addItem(std::string_view field, bool nodes, std::vector<int> *to);
  // Counts members that sets gain by generation or by copying other sets;
  // refuses beyond kMaxSetMembers (a hostile deck must not exhaust memory).
  void growSets(int64_t members);

  // Counts a keyword skipped because it cannot change the free body.
  void ignore(const std::string &name) { ++model.ignoredKeywords[name]; }

  // Shared by the readers: the material being described, the elements by ID
  // and the source line of each node and element (for duplicate IDs and
  // for messages found only after the whole deck is read).
  int material = -1;
  std::unordered_map<int, int32_t> elementIndex;
  SourcePositions nodeSource, elementSource;

 private:
  std::vector<std::string> files_;
  int file_ = -1;
  long line_ = 0;
  int64_t setMembers_ = 0;
};

// Members that all sets together may gain by GENERATE and by naming other
// sets: far above any real model (10^6 to 10^7 nodes) yet about 400 MB.
inline constexpr int64_t kMaxSetMembers = 100'000'000;

// Reads one keyword: its keyword line, its data lines, and checks that need
// the whole deck.
class KeywordReader {
 public:
  virtual ~KeywordReader() = default;
  virtual void start(DeckContext &deck, const Keyword &keyword) = 0;
  // The default takes no data lines.
  virtual void data(DeckContext &deck, std::string_view line);
  // At the next keyword line or the end of the file.
  virtual void stop(DeckContext &) {}
  // Once, after the whole deck is read.
  virtual void finish(DeckContext &) {}
};

// The readers, by keyword (mesh_keywords.cpp, material_keywords.cpp,
// structural_sections.cpp, constraint_keywords.cpp, condition_keywords.cpp,
// orientation_keywords.cpp).
std::unique_ptr<KeywordReader> makeNodeReader();
std::unique_ptr<KeywordReader> makeElementReader();
std::unique_ptr<KeywordReader> makeNodeSetReader();
std::unique_ptr<KeywordReader> makeElementSetReader();
std::unique_ptr<KeywordReader> makeMaterialReader();
std::unique_ptr<KeywordReader> makeElasticReader();
std::unique_ptr<KeywordReader> makeDensityReader();
std::unique_ptr<KeywordReader> makeSolidSectionReader();
std::unique_ptr<KeywordReader> makeOrientationReader();
std::unique_ptr<KeywordReader> makeShellSectionReader();
std::unique_ptr<KeywordReader> makeBeamSectionReader();
std::unique_ptr<KeywordReader> makeSurfaceReader();
std::unique_ptr<KeywordReader> makeEquationReader();
std::unique_ptr<KeywordReader> makeTransformReader();
std::unique_ptr<KeywordReader> makeTieReader();
std::unique_ptr<KeywordReader> makeRigidBodyReader();
std::unique_ptr<KeywordReader> makeInitialConditionsReader();
std::unique_ptr<KeywordReader> makeTextReader();
// Point masses and springs (discrete_keywords.cpp): the element reader hands
// *ELEMENT blocks of a discrete type to its own reader.
bool isDiscreteElementType(const std::string &upperName);
std::unique_ptr<KeywordReader> makeDiscreteElementReader();
std::unique_ptr<KeywordReader> makeMassReader();
std::unique_ptr<KeywordReader> makeSpringReader();

}  // namespace qvb::ccx2qvb
