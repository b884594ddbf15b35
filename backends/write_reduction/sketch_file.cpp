#include "sketch_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <unordered_set>

#include "platform/mapped_file.h"

namespace qvb::coarsening {
namespace {

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool readInt(std::string_view field, long low, int *value) {
  const std::string text(field);
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || v < low || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

bool isNumber(std::string_view field) {
  const std::string text(field);
  char *end = nullptr;
  std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

class Parser {
 public:
  Parser(std::string_view text, const std::string &file, Sketch *sketch) : text_(text), file_(file), out_(*sketch) {}

  bool run(std::string *error) {
    if (readAll()) return true;
    if (error) *error = message_;
    return false;
  }

 private:
  bool readAll() {
    if (!section("NODES", &nodeCount_)) return false;
    for (int k = 0; k < nodeCount_; ++k)
      if (!node(k)) return false;
    if (!section("FACES", &faceCount_)) return false;
    for (int k = 0; k < faceCount_; ++k)
      if (!face(k)) return false;
    std::vector<std::string_view> fields;
    if (!next(&fields)) return truncated("END");
    if (fields.size() != 1 || fields[0] != "END") return wrong("expected END after the faces");
    if (next(&fields)) return wrong("text after END");
    return true;
  }

  // The next line that is neither blank nor a comment, split into fields.
  bool next(std::vector<std::string_view> *fields) {
    while (position_ < text_.size()) {
      size_t end = text_.find('\n', position_);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view line = text_.substr(position_, end - position_);
      position_ = end + 1;
      ++line_;
      line_text_ = line;
      *fields = fieldsOf(line);
      if (!fields->empty() && (*fields)[0][0] != '#') return true;
    }
    ++line_;  // the failure is on the line after the last one
    line_text_ = {};
    return false;
  }

  bool section(const char *word, int *count) {
    std::vector<std::string_view> fields;
    if (!next(&fields)) return std::string_view(word) == "NODES" ? wrong("is empty, not a sketch") : truncated(word);
    if (fields.size() != 2 || fields[0] != word || !readInt(fields[1], 0, count)) {
      const bool first = std::string_view(word) == "NODES";
      return wrong(std::string(first ? "not a sketch: " : "") + "expected \"" + word + " <count>\"");
    }
    return true;
  }

  bool node(int k) {
    std::vector<std::string_view> fields;
    if (!next(&fields)) return truncated("node " + std::to_string(k + 1) + " of " + std::to_string(nodeCount_));
    int id = 0;
    if ((fields.size() != 1 && fields.size() != 4) || !readInt(fields[0], 1, &id))
      return wrong("expected a node: \"<node id> [<x> <y> <z>]\"");
    for (size_t f = 1; f < fields.size(); ++f)
      if (!isNumber(fields[f])) return wrong("the coordinate " + std::string(fields[f]) + " is not a number");
    if (!listed_.insert(id).second) return wrong("node " + std::to_string(id) + " is listed twice");
    out_.nodes.push_back(id);
    out_.nodeLines.push_back(line_);
    return true;
  }

  bool face(int k) {
    std::vector<std::string_view> fields;
    if (!next(&fields)) return truncated("face " + std::to_string(k + 1) + " of " + std::to_string(faceCount_));
    int number = 0, vertices = 0;
    if (fields.size() < 3 || !readInt(fields[0], 1, &number) || !readInt(fields[1], 1, &vertices) ||
        static_cast<size_t>(vertices) != fields.size() - 2)
      return wrong("expected a face: \"<face number> <vertex count> <node id> ...\" with that many node IDs");
    out_.faces.push_back(vertices);
    for (size_t f = 2; f < fields.size(); ++f) {
      int id = 0;
      if (!readInt(fields[f], 1, &id)) return wrong("the node ID " + std::string(fields[f]) + " is not a number");
      if (listed_.count(id) == 0)
        return wrong("the face uses node " + std::to_string(id) + ", which is not listed under NODES");
      out_.faces.push_back(id);
    }
    out_.faceLines.push_back(line_);
    return true;
  }

  bool wrong(const std::string &what) {
    message_ = file_ + ", line " + std::to_string(line_) + ": " + what;
    if (!line_text_.empty()) message_ += " (found \"" + std::string(line_text_.substr(0, 80)) + "\")";
    return false;
  }
  bool truncated(const std::string &missing) {
    message_ = file_ + ", line " + std::to_string(line_) + ": the sketch ends where " + missing +
               " should follow (truncated)";
    return false;
  }

  std::string_view text_;
  const std::string &file_;
  Sketch &out_;
  size_t position_ = 0;
  int line_ = 0;
  std::string_view line_text_;
  int nodeCount_ = 0, faceCount_ = 0;
  std::unordered_set<int> listed_;
  std::string message_;
};

}  // namespace

bool parseSketch(std::string_view text, const std::string &file, Sketch *sketch, std::string *error) {
  *sketch = Sketch{};
  return Parser(text, file, sketch).run(error);
}

bool readSketch(const std::string &file, Sketch *sketch, std::string *error) {
  std::string reason;
  const auto mapped = platform::MappedFile::open(file, &reason);
  if (!mapped) {
    if (error) *error = "the sketch file " + file + " cannot be read: " + reason;
    return false;
  }
  const std::string_view text(reinterpret_cast<const char *>(mapped->data()), mapped->size());
  return parseSketch(text, file, sketch, error);
}

}  // namespace qvb::coarsening
