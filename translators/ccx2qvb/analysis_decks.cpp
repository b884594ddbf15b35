#include "analysis_decks.h"

#include <cstdarg>
#include <cstdio>
#include <map>

#include "discrete_deck.h"
#include "errors.h"
#include "platform/output_file.h"
#include "section_cards.h"
#include "solver_number.h"

namespace qvb::ccx2qvb {
namespace {

// A deck being written: every write counts, and the file appears only when
// complete, so a full disk is reported with the system's reason instead of
// handing the solver half a deck.
class DeckFile {
 public:
  explicit DeckFile(const std::string &path) {
    if (!out_.open(path)) throw TranslationError(out_.error());
  }
  // The compiler checks each format against its arguments.
  __attribute__((format(printf, 2, 3))) void print(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(out_.stream(), format, args);  // a failure is kept and reported by close()
    va_end(args);
  }
  void close() {
    if (!out_.close()) throw TranslationError(out_.error());
  }

 private:
  qvb::platform::OutputFile out_;
};

// Writes a list of IDs, 16 to a line (the solver's line length limit).
void writeIdList(DeckFile &out, const std::vector<int> &ids) {
  for (size_t i = 0; i < ids.size(); ++i) out.print(i % 16 == 15 || i + 1 == ids.size() ? "%d,\n" : "%d,", ids[i]);
}

// The deck's rigid bodies and equations, with the ties' equations (the
// reference and rotation nodes are model nodes, written with the others).
void writeConstraints(DeckFile &out, const Model &model) {
  for (size_t k = 0; k < model.rigidBodies.size(); ++k) {
    const RigidBody &body = model.rigidBodies[k];
    if (body.nodes.empty()) continue;  // ties nothing; the solver would refuse an empty set
    out.print("*NSET, NSET=QVBR%zu\n", k + 1);
    writeIdList(out, body.nodes);
    out.print("*RIGID BODY, NSET=QVBR%zu, REF NODE=%d, ROT NODE=%d\n", k + 1, body.refNode, body.rotNode);
  }
  if (model.equations.empty()) return;
  out.print("*EQUATION\n");
  for (const Equation &eq : model.equations) {
    out.print("%zu\n", eq.terms.size());
    // Three terms to a line keep it within the solver's 132 characters.
    for (size_t t = 0; t < eq.terms.size(); ++t)
      out.print(t % 3 == 2 || t + 1 == eq.terms.size() ? "%d, %d, %s\n" : "%d, %d, %s, ", eq.terms[t].node,
                eq.terms[t].direction, Number(eq.terms[t].coefficient).text);
  }
}

void writeInterfaces(DeckFile &out, const std::vector<Interface> &interfaces) {
  if (interfaces.empty()) return;
  out.print("*NODE\n");
  for (const Interface &i : interfaces) {
    const Number x(i.centre[0]), y(i.centre[1]), z(i.centre[2]);
    out.print("%d, %s, %s, %s\n", i.refNode, x.text, y.text, z.text);
    out.print("%d, %s, %s, %s\n", i.rotNode, x.text, y.text, z.text);
  }
  for (size_t k = 0; k < interfaces.size(); ++k)
    out.print("*RIGID BODY, NSET=QVBI%zu, REF NODE=%d, ROT NODE=%d\n", k + 1, interfaces[k].refNode,
              interfaces[k].rotNode);
}

}  // namespace

void writeModelDeck(const Model &model, const std::vector<Interface> &interfaces, const std::string &path,
                    bool withConstraints) {
  DeckFile out(path);
  out.print("** Written by ccx2qvb from the parsed model\n*NODE, NSET=QVBNALL\n");
  for (size_t n = 0; n < model.nodeIds.size(); ++n)
    out.print("%d, %s, %s, %s\n", model.nodeIds[n], Number(model.coordinates[3 * n]).text,
              Number(model.coordinates[3 * n + 1]).text, Number(model.coordinates[3 * n + 2]).text);
  // One block per (section, type): the solver's *ELEMENT takes one type.
  std::map<std::pair<std::string, std::string>, std::vector<size_t>> blocks;
  for (size_t e = 0; e < model.elementIds.size(); ++e)
    blocks[{sectionSetName(model, e), model.elementTypes[e]->name}].push_back(e);
  for (const auto &[key, elements] : blocks) {
    out.print("*ELEMENT, TYPE=%s, ELSET=%s\n", key.second.c_str(), key.first.c_str());
    for (size_t e : elements) {
      out.print("%d", model.elementIds[e]);
      const int64_t first = model.elementStart[e], last = model.elementStart[e + 1];
      for (int64_t k = first; k < last; ++k)  // 16 entries on the first line, as the solver reads them
        out.print((k - first) % 15 == 0 && k > first ? ",\n%d" : ", %d", model.connectivity[static_cast<size_t>(k)]);
      out.print("\n");
    }
  }
  out.print("%s", sectionCards(model).c_str());
  out.print("%s", discreteElementDeck(model).c_str());
  for (size_t k = 0; k < interfaces.size(); ++k) {
    out.print("*NSET, NSET=QVBI%zu\n", k + 1);
    writeIdList(out, interfaces[k].nodes);
  }
  if (withConstraints) writeConstraints(out, model);
  out.close();
}

void writeMatrixDeck(const std::vector<Interface> &interfaces, const std::string &path, const std::string &modelFile) {
  DeckFile out(path);
  out.print("*INCLUDE, INPUT=%s\n", modelFile.c_str());
  writeInterfaces(out, interfaces);
  out.print("*STEP\n*FREQUENCY, SOLVER=MATRIXSTORAGE\n*END STEP\n");
  out.close();
}

std::vector<Dof> interfaceEquations(const std::vector<Interface> &interfaces) {
  std::vector<Dof> equations;
  for (const Interface &i : interfaces)
    for (int node : {i.refNode, i.rotNode})
      for (int direction = 1; direction <= 3; ++direction) equations.push_back({node, direction});
  return equations;
}

void writeDisplacementDeck(const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                           const std::vector<double> &modes, int modeCount, const std::string &path) {
  DeckFile out(path);
  out.print("*INCLUDE, INPUT=model.inp\n");
  writeInterfaces(out, interfaces);
  const size_t m = static_cast<size_t>(modeCount);
  for (size_t j = 0; j < m; ++j) {
    out.print("*STEP\n*STATIC\n*BOUNDARY, OP=NEW\n");
    // %.12e fits the solver's 20-character fields with a sign and exponent.
    for (size_t p = 0; p < dofs.size(); ++p)
      out.print("%d, %d, %d, %.12e\n", dofs[p].node, dofs[p].direction, dofs[p].direction, modes[p * m + j]);
    out.print("*EL FILE\nS, E\n*END STEP\n");
  }
  out.close();
}

}  // namespace qvb::ccx2qvb
