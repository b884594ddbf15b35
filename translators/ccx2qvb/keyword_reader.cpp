#include "keyword_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "text_scan.h"

namespace qvb::ccx2qvb {

std::string upperCase(std::string_view text) {
  std::string u(text);
  std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return std::toupper(c); });
  return u;
}

namespace {

std::string withoutBlanks(std::string_view text) {
  std::string s;
  for (char c : text)
    if (!isBlank(c)) s.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return s;
}

}  // namespace

bool Keyword::has(const char *key) const {
  for (const Parameter &p : parameters)
    if (p.key == key) return true;
  return false;
}

std::string Keyword::value(const char *key) const {
  for (const Parameter &p : parameters)
    if (p.key == key) return p.value;
  return {};
}

Keyword parseKeyword(std::string_view line) {
  Keyword k;
  size_t start = 1;
  bool first = true;
  while (start <= line.size()) {
    size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) comma = line.size();
    const std::string_view part = trim(line.substr(start, comma - start));
    start = comma + 1;
    if (first) {
      k.name = withoutBlanks(part);
      first = false;
      continue;
    }
    if (part.empty()) continue;
    const size_t eq = part.find('=');
    const std::string_view key = trim(part.substr(0, eq));
    std::string_view value = eq == std::string_view::npos ? std::string_view() : trim(part.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    k.parameters.push_back({withoutBlanks(key), std::string(key), std::string(value)});
  }
  return k;
}

// Called for every number of a deck of millions of lines: a plain loop, no
// library search, for fields a few characters long.
bool Fields::next(std::string_view *field) {
  if (at_ == nullptr) return false;
  const char *p = at_;
  while (p < end_ && *p != ',') ++p;
  *field = trim(std::string_view(at_, static_cast<size_t>(p - at_)));
  if (p == end_) {
    at_ = nullptr;
    return true;
  }
  const char *q = p + 1;
  while (q < end_ && isBlank(*q)) ++q;
  at_ = q == end_ ? nullptr : p + 1;  // "1, 2," : no empty field after the last comma
  return true;
}

void DeckContext::enterFile(const std::string &path) {
  files_.push_back(path);
  file_ = static_cast<int>(files_.size()) - 1;
  line_ = 0;
}

SourceLine DeckContext::source(int64_t position) const {
  const int file = static_cast<int>(position >> SourcePositions::kFileShift) - 1;
  if (file < 0 || file >= static_cast<int>(files_.size())) return {};
  return {files_[static_cast<size_t>(file)], static_cast<long>(position & SourcePositions::kLineMask)};
}

void DeckContext::fail(const std::string &message) const { failAt(here(), message); }

void DeckContext::failAt(const SourceLine &where, const std::string &message) const {
  throw DeckError(where.file.empty() ? message : where.text() + ": " + message);
}

int DeckContext::id(std::string_view field, const char *what) const {
  int v = 0;
  if (!isId(field, &v)) fail("bad " + std::string(what) + " \"" + std::string(field) + "\" (expected a positive ID)");
  return v;
}

double DeckContext::value(std::string_view field, const char *what) const {
  double v = 0;
  const char *end = field.data() + field.size();
  const char *stop = scanDouble(field.data(), end, &v);
  if (stop == nullptr || trim(std::string_view(stop, static_cast<size_t>(end - stop))).size() != 0)
    fail("bad " + std::string(what) + " \"" + std::string(field) + "\"");
  if (!std::isfinite(v)) fail(std::string(what) + " \"" + std::string(field) + "\" is not a finite number");
  return v;
}

const std::vector<int> &DeckContext::nodeSet(std::string_view name) const {
  auto found = model.nodeSets.find(upperCase(name));
  if (found == model.nodeSets.end()) fail("unknown set " + upperCase(name) + " (no *NSET of that name before)");
  return found->second;
}

const std::vector<int> &DeckContext::elementSet(std::string_view name) const {
  auto found = model.elementSets.find(upperCase(name));
  if (found == model.elementSets.end()) fail("unknown set " + upperCase(name) + " (no *ELSET of that name before)");
  return found->second;
}

void DeckContext::addItem(std::string_view field, bool nodes, std::vector<int> *to) {
  int v = 0;
  if (isId(field, &v)) {
    to->push_back(v);
    return;
  }
  const std::vector<int> &members = nodes ? nodeSet(field) : elementSet(field);
  growSets(static_cast<int64_t>(members.size()));
  if (&members == to) {  // a set naming itself doubles
    const size_t size = to->size();
    to->reserve(2 * size);
    for (size_t i = 0; i < size; ++i) to->push_back((*to)[i]);
  } else {
    to->insert(to->end(), members.begin(), members.end());
  }
}

void DeckContext::growSets(int64_t members) {
  setMembers_ += members;
  if (setMembers_ > kMaxSetMembers)
    fail("the deck's sets grow beyond " + std::to_string(kMaxSetMembers) +
         " members by GENERATE and by naming other sets; no real model needs that many");
}

void KeywordReader::data(DeckContext &deck, std::string_view) { deck.fail("this keyword takes no data lines"); }

}  // namespace qvb::ccx2qvb
