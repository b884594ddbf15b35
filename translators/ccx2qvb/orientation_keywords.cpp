// *ORIENTATION: local material axes, carried as read and written back for
// the solver, which applies them. Only what the solver applies is accepted:
// a rectangular or cylindrical system by two points, and for a rectangular
// one a turn about one of its axes.
#include "keyword_reader.h"
#include "vector3.h"

namespace qvb::ccx2qvb {
namespace {

class OrientationReader : public KeywordReader {
 public:
  void start(DeckContext &deck, const Keyword &keyword) override {
    Orientation orientation;
    orientation.name = upperCase(keyword.value("NAME"));
    if (orientation.name.empty()) deck.fail("*ORIENTATION without NAME=");
    for (const Orientation &o : deck.model.orientations)
      if (o.name == orientation.name)
        deck.fail("orientation " + o.name + " is defined twice (first at " + o.where.text() + ")");
    const std::string system = upperCase(keyword.value("SYSTEM"));
    if (system == "CYLINDRICAL") {
      orientation.cylindrical = true;
    } else if (!system.empty() && system != "RECTANGULAR") {
      deck.fail("*ORIENTATION, SYSTEM=" + system + " is not supported (RECTANGULAR and CYLINDRICAL are)");
    }
    orientation.where = deck.here();
    deck.model.orientations.push_back(orientation);
    lines_ = 0;
  }

  void data(DeckContext &deck, std::string_view line) override {
    Orientation &orientation = deck.model.orientations.back();
    std::vector<std::string_view> fields;
    Fields split(line);
    for (std::string_view field; split.next(&field);) fields.push_back(field);
    if (++lines_ == 1) {
      if (fields.size() != 6)
        deck.fail(
            "*ORIENTATION needs the coordinates of points a and b, six numbers (orientations by "
            "*DISTRIBUTION are not carried)");
      for (size_t k = 0; k < 6; ++k) orientation.points[k] = deck.value(fields[k], "*ORIENTATION coordinate");
      checkPoints(deck, orientation);
    } else if (lines_ == 2) {
      if (orientation.cylindrical)
        deck.fail(
            "*ORIENTATION, SYSTEM=CYLINDRICAL with a turn about a local axis: the solver turns rectangular "
            "systems only");
      if (fields.size() != 2 || !deck.isId(fields[0], &orientation.rotationAxis) || orientation.rotationAxis > 3)
        deck.fail("bad *ORIENTATION turn (expected the local axis 1, 2 or 3 and the angle in degrees)");
      orientation.rotationAngle = deck.value(fields[1], "*ORIENTATION angle");
    } else {
      deck.fail("*ORIENTATION has more than two data lines");
    }
  }

  void stop(DeckContext &deck) override {
    if (lines_ == 0) deck.failAt(deck.model.orientations.back().where, "*ORIENTATION without its points");
    lines_ = -1;
  }

 private:
  // Rectangular: a gives x', a x b the normal z'; cylindrical: a to b is the
  // axis. Degenerate points give the solver no axes (it fails or divides by
  // zero), so they are refused here.
  static void checkPoints(const DeckContext &deck, const Orientation &o) {
    const double *a = o.points.data(), *b = a + 3;
    double u[3], v[3];
    for (int k = 0; k < 3; ++k) u[k] = a[k], v[k] = o.cylindrical ? b[k] - a[k] : b[k];
    double normal[3];
    cross(u, v, normal);
    const double lengthU = norm(u), lengthV = norm(v);
    if (o.cylindrical ? !(lengthV > 0) : !(norm(normal) > 1e-10 * lengthU * lengthV))
      deck.fail(o.cylindrical ? "*ORIENTATION, SYSTEM=CYLINDRICAL: points a and b coincide (they give the axis)"
                              : "*ORIENTATION: point a is the origin, or b lies on the line through a "
                                "(a gives the local x axis, b the local x-y plane)");
  }

  int lines_ = -1;  // data lines of the current orientation; -1 between orientations
};

}  // namespace

std::unique_ptr<KeywordReader> makeOrientationReader() { return std::make_unique<OrientationReader>(); }

}  // namespace qvb::ccx2qvb
