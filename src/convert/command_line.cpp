#include "convert/command_line.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "convert/arg_tokens.h"
#include "convert/list_grammar.h"
#include "platform/file_kind.h"
#include "platform/os.h"
#include "qvb.h"

namespace qvb::convert {

std::unique_ptr<platform::OutputFile> &shellStream() {
  static std::unique_ptr<platform::OutputFile> file;
  return file;
}

namespace {

class SwitchReader {
 public:
  SwitchReader(std::vector<std::string> &tokens, size_t first, ConversionContext &context,
               CommandLine &line)
      : tokens_(tokens), pos_(first), context_(context), line_(line) {}

  bool readAll() {
    while (pos_ < tokens_.size()) {
      const std::string token = tokens_[pos_++];
      if (!readOne(token)) return false;
    }
    if (line_.interfaceEditsGiven && line_.interfaceEdits.empty()) return interfaceError();
    return true;
  }

 private:
  bool readOne(const std::string &s) {
    if (s == "-S") return selectionFile();
    if (s == "-s") return shellFile();
    if (s == "-O") return argument("Please specify output file for FLEX optimization",
                                   [&](const std::string &a) {
                                     line_.optimize = true;
                                     line_.optimizedFile = a;
                                     return true;
                                   });
    if (s == "-o") return argument("Please specify output file", [&](const std::string &a) {
      std::string base = a;
      if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".mtx") == 0) base.resize(base.size() - 4);
      context_.outputBase = base;
      line_.outputGiven = true;
      line_.exitAfterShell = false;
      return true;
    });
    if (s == "-l") return unitLabel("length", context_.lengthLabel);
    if (s == "-m") return unitLabel("mass", context_.massLabel);
    if (s == "-t") return unitLabel("time", context_.timeLabel);
    if (s == "-f") return unitLabel("force", context_.forceLabel);
    if (s == "-b") return argument("Please specify number of block to dump", [&](const std::string &a) {
      line_.dumpBlock = std::atoi(a.c_str());
      return true;
    });
    if (s == "-d") return dumpFile();
    if (s == "-N") return list(s, RangeColon::kFirst, line_.dropNodes);
    if (s == "+N") return list(s, RangeColon::kFirst, line_.keepNodes);
    if (s == "-M") return list(s, RangeColon::kFirst, line_.dropModes) && modesExist(line_.dropModes);
    if (s == "+M") return list(s, RangeColon::kFirst, line_.keepModes) && modesExist(line_.keepModes);
    if (s == "-L") return (runState().progress = true);
    if (s == "-F") return (context_.skipInvariants59 = true);
    if (s == "-E") return (context_.rigidOnly = true);
    if (s == "-sscale") return scale("stiffness", context_.stiffnessScale);
    if (s == "-mscale") return scale("mass", context_.massScale);
    if (s == "-C") return userEdge();
    if (s == "-c") return freeEdges();
    if (s == "-H") return argument("Please specify the high frequency threshold", [&](const std::string &a) {
      highFrequency(std::atof(a.c_str()));
      return true;
    });
    if (s == "-I") return interfaceEdits();
    printError("No such switch %s", s.c_str());
    return false;
  }

  // A switch with one argument: the next token, whatever it looks like.
  template <typename Use>
  bool argument(const char *missing, Use use) {
    if (pos_ >= tokens_.size()) {
      printError("%s", missing);
      return false;
    }
    // A copy: reading a selection file grows the token list.
    const std::string argument = tokens_[pos_++];
    return use(argument);
  }

  // A selection file is a short text of switches. Anything else (a device
  // such as /dev/zero, a pipe, binary data, a huge file) is refused before
  // it can fill memory or keep the converter reading forever.
  static constexpr size_t kMaxSelectionFileSize = 1 << 20;

  bool selectionFile() {
    return argument("Please specify Selection file", [&](const std::string &name) {
      // Checked before opening: opening a pipe would wait for a writer.
      if (platform::isLoadableFile(name.c_str()) && !platform::isRegularFile(name.c_str())) {
        printError("Selection file %s is not a plain file", name.c_str());
        return false;
      }
      FilePtr file(platform::openStream(name.c_str(), "r"));
      if (!file) {
        printError("Unable to open Selection file");
        return false;
      }
      // A selection file that names itself (directly or through another)
      // would be read without end; by identity, so that "./s.sel" and
      // "s.sel" are one file, else a file naming itself many ways is read
      // once per spelling.
      platform::FileIdentity identity;
      if (!platform::streamIdentity(file.get(), &identity)) identity = {~0ull, std::hash<std::string>()(name)};
      const auto read = selectionFiles_.emplace(identity, name);
      if (!read.second) {
        printError("Selection file %s is %s again, read more than once", name.c_str(), read.first->second.c_str());
        return false;
      }
      std::string text;
      char piece[4096];
      for (size_t got; (got = std::fread(piece, 1, sizeof piece, file.get())) > 0;) {
        if (text.size() + got > kMaxSelectionFileSize) {
          printError("Selection file %s is larger than %zu bytes", name.c_str(), kMaxSelectionFileSize);
          return false;
        }
        text.append(piece, got);
      }
      if (std::ferror(file.get())) {
        printError("Selection file %s cannot be read", name.c_str());
        return false;
      }
      if (text.find('\0') != std::string::npos) {
        printError("Selection file %s holds NUL bytes: it is not a text", name.c_str());
        return false;
      }
      for (size_t at = 0; (at = text.find_first_not_of(" \t\r\n\v\f", at)) != std::string::npos;) {
        const size_t end = std::min(text.find_first_of(" \t\r\n\v\f", at), text.size());
        if (!appendCommaTokens(text.substr(at, end - at).c_str(), tokens_)) {
          printError("Selection file %s holds a word longer than %zu characters", name.c_str(), kMaxArgumentLength);
          return false;
        }
        at = end;
      }
      return true;
    });
  }

  bool shellFile() {
    return argument("Please specify a shell file name", [&](const std::string &name) {
      auto file = std::make_unique<platform::OutputFile>();
      if (!file->open(name)) {
        printError("Please specify a shell file name");
        return false;
      }
      shellStream() = std::move(file);
      return true;
    });
  }

  bool dumpFile() {
    return argument("Please specify dumpfile or - for STDOUT", [&](const std::string &name) {
      std::unique_ptr<platform::OutputFile> file;
      if (name != "-") {
        file = std::make_unique<platform::OutputFile>();
        if (!file->open(name)) {
          printError("Unable to open Dump file");
          return false;
        }
      }
      line_.dumpFile = std::move(file);
      line_.dump = true;
      line_.exitAfterShell = false;
      return true;
    });
  }

  bool unitLabel(const char *quantity, std::string &label) {
    std::string missing = std::string("Please specify ") + quantity + " units string";
    return argument(missing.c_str(), [&](const std::string &a) {
      // The label is normalised in place in a 16-byte field later on.
      if (a.size() >= kUnitLabelSize) {
        printError("The %s units string %s is longer than %zu characters", quantity, a.c_str(),
                   kUnitLabelSize - 1);
        return false;
      }
      label = a;
      return true;
    });
  }

  bool scale(const char *matrix, double &scale) {
    std::string missing = std::string("Please specify the scale factor for generalized ") + matrix;
    return argument(missing.c_str(), [&](const std::string &a) {
      const double value = std::atof(a.c_str());
      if (!(value > 0.0)) {
        printError("The scale factor for generalized %s have to be positive.", matrix);
        return false;
      }
      scale = value;
      return true;
    });
  }

  void highFrequency(double hz) {
    if (hz > 0.0) {
      context_.highFrequency = true;
      context_.highFrequencyHz = hz;
      std::printf("\n**INFO\a** The generalized mass of modes higher than %f Hz will be zeroed out.\n\n", hz);
    } else {
      std::printf("\n**WARNING\a** Invalid high frequency threshold specified.\n\n");
    }
  }

  bool listError(const std::string &name) {
    printError("Incorrect argument to %s", name.c_str());
    return false;
  }

  bool list(const std::string &name, RangeColon colon, std::vector<int> &values) {
    return readIntegerList(tokens_, pos_, colon, values) || listError(name);
  }

  bool modesExist(const std::vector<int> &modes) {
    for (int mode : modes) {
      if (QVB_ModeIndex(context_.body, mode) < 0) {
        printError("No mode number %d", mode);
        return false;
      }
    }
    return true;
  }

  // An edge needs its number and at least one entry; -C without them, and -c
  // with nothing after it or with an index the body does not have, fail with
  // the list message rather than writing an empty or undefined edge.
  bool userEdge() {
    if (pos_ >= tokens_.size() || startsSwitch(tokens_[pos_])) return listError("-C");
    Edge edge;
    edge.number = std::atoi(tokens_[pos_++].c_str());
    if (!readIntegerList(tokens_, pos_, RangeColon::kLast, edge.entries) || edge.entries.empty())
      return listError("-C");
    edgeEntries_ += edge.entries.size();
    if (edgeEntries_ > static_cast<size_t>(kMaxListLength)) {
      printError("The edges of -C list more than %lld nodes together", kMaxListLength);
      return false;
    }
    context_.edges.push_back(std::move(edge));
    return true;
  }

  bool freeEdges() {
    if (pos_ >= tokens_.size()) return listError("-c");
    const int count = QVB_GetFreeEdgeCount(context_.body);
    std::vector<int> indices;
    const std::string &next = tokens_[pos_];
    if (next.size() >= 3 && strncasecmp(next.c_str(), "ALL", 3) == 0) {
      ++pos_;
      for (int e = 0; e < count; ++e) indices.push_back(e);
    } else if (!readIntegerList(tokens_, pos_, RangeColon::kLast, indices)) {
      return listError("-c");
    }
    for (int e : indices)
      if (e < 0 || e >= count) return listError("-c");
    for (int e : indices) {
      Edge edge;
      edge.number = e;
      const int size = QVB_GetFreeEdgeSize(context_.body, e);
      if (size > 0) {
        edge.entries.assign(static_cast<size_t>(size), 0);
        QVB_GetFreeEdge(context_.body, e, edge.entries.data());
      }
      context_.edges.push_back(std::move(edge));
    }
    return true;
  }

  static bool isNumber(const std::string &token) {
    if (token.empty()) return false;
    char *end = nullptr;
    std::strtod(token.c_str(), &end);
    return *end == '\0';
  }

  bool interfaceError() {
    printError("Please specify interface node coordinates correctly.");
    return false;
  }

  bool interfaceEdits() {
    line_.interfaceEditsGiven = true;
    std::vector<std::string> numbers;
    while (pos_ < tokens_.size() && isNumber(tokens_[pos_])) numbers.push_back(tokens_[pos_++]);
    if (numbers.size() % 4 != 0) return interfaceError();
    for (size_t i = 0; i < numbers.size(); i += 4) {
      line_.interfaceEdits.push_back({std::atoi(numbers[i].c_str()), std::atof(numbers[i + 1].c_str()),
                                       std::atof(numbers[i + 2].c_str()), std::atof(numbers[i + 3].c_str())});
    }
    return true;
  }

  std::vector<std::string> &tokens_;
  // Each file read, by identity, with the name it was first read under.
  std::map<platform::FileIdentity, std::string> selectionFiles_;
  size_t edgeEntries_ = 0;  // nodes listed by all -C edges so far
  size_t pos_;
  ConversionContext &context_;
  CommandLine &line_;
};

}  // namespace

bool readSwitches(std::vector<std::string> &tokens, size_t first, ConversionContext &context,
                  CommandLine &line) {
  return SwitchReader(tokens, first, context, line).readAll();
}

}  // namespace qvb::convert
