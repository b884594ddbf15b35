// The option text is user input typed into an environment variable; these
// cases pin down what is accepted, what each rejection names, and how the
// sketch file name is derived.
#include "script_bridge/coarsening_options.h"
#include "script_bridge/writer_options_rewrite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using qvb::coarsen::parseCoarseningOptions;
using qvb::coarsen::rewriteWriterOptions;
using qvb::coarsen::sketchFileName;

namespace {

const char kExclusive[] =
    "adv_coarsen and coarsen are both specified in TRX_QVBWRITE_OPTIONS\n"
    "but are mutually exclusive. Please remove one.";

struct Accepted {
  const char *options;
  int level;
  int flag;
  const char *valueText;
  std::vector<long> nodes;
  const char *sketch;  // with the body file out.qvb
};

TEST(CoarseningOptions, AcceptedParameterLists) {
  const Accepted cases[] = {
      {"adv_coarsen(STANDARDISH,-0.0)", 0, 0, "-0.000000", {}, "out.ske"},
      {"adv_coarsen(light,nan)", -1, 1, "nan", {}, "out.ske"},
      {"adv_coarsen(standard, 2.5, 101, 102, 101)", 0, 1, "2.500000", {101, 102, 101}, "out.ske"},
      {"adv_coarsen( ,standard,,\t2.5 mysk 7 ,+8)", 0, 1, "2.500000", {7, 8}, "mysk.ske"},
      {"adv_coarsen(light,1,first,second.out)", -1, 1, "1.000000", {}, "second.out"},
      // Only the first ")" closes the list; an unclosed one runs to the end.
      {"x(1) adv_coarsen(light,3) adv_coarsen", -1, 1, "3.000000", {}, "out.ske"},
      {"adv_coarsen(aggressive, 0.25, 12", 1, 1, "0.250000", {12}, "out.ske"},
  };
  for (const Accepted &c : cases) {
    SCOPED_TRACE(c.options);
    const auto parsed = parseCoarseningOptions(c.options, "out.qvb");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.request.levelCode, c.level);
    EXPECT_EQ(parsed.request.valueFlag, c.flag);
    EXPECT_EQ(parsed.request.valueText, c.valueText);
    EXPECT_EQ(parsed.request.nodeNumbers, c.nodes);
    EXPECT_EQ(parsed.request.sketchName, c.sketch);
  }
}

TEST(CoarseningOptions, RejectionsNameTheOffendingPart) {
  const struct {
    const char *options;
    std::string error;
  } cases[] = {
      {"adv_coarsen(std,1)", "Illegal parameter for advanced coarsening (std)."},
      {"adv_coarsen(light,2x)", "Illegal parameter for advanced coarsening (2x)."},
      {"adv_coarsen(light,)", "Illegal parameter for advanced coarsening (light,)."},
      {"adv_coarsen( , ,)", "Illegal parameter for advanced coarsening ( , ,)."},
      {"adv_coarsen(standard, 2.5, 7, mysk)", "Illegal parameter for advanced coarsening (mysk)."},
      {"adv_coarsen(standard, 2.5, 0)", "Illegal parameter for advanced coarsening (0)."},
      {"adv_coarsen(standard, 2.5, mysk, -3)", "Illegal parameter for advanced coarsening (-3)."},
      {"adv_coarsen(standard, 2.5, 3000000000)", "Illegal parameter for advanced coarsening (3000000000)."},
      {"a adv_coarsen() b", "Cannot read advanced coarsening paramaters (a adv_coarsen() b)."},
      {"no option here", "Cannot read advanced coarsening paramaters (no option here)."},
      {"coarsen(2) adv_coarsen(light,1)", kExclusive},
      {"adv_coarsen(light,1) coarsen(2)", kExclusive},
      {"adv_coarsen(light,1) adv_coarsen(light,1)", kExclusive},
      // The check comes first, so even an unreadable list reports it.
      {"adv_coarsen() coarsen(", kExclusive},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options);
    const auto parsed = parseCoarseningOptions(c.options, "out.qvb");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, c.error);
  }
}

TEST(CoarseningOptions, SketchNameIgnoresDotsInDirectories) {
  const struct {
    const char *given;
    const char *body;
    const char *sketch;
  } cases[] = {
      {"", "C:\\run\\model.qvb", "C:\\run\\model.ske"},
      {"", "run.d/model", "run.d/model.ske"},
      {"", "mixed.d\\x.y/model", "mixed.d\\x.y/model.ske"},
      // Only one extension comes off; what remains already has one.
      {"", "two.dots.qvb", "two.dots"},
      {"", "", ".ske"},
      {"mysketch", "out.qvb", "mysketch.ske"},
      {"mysketch.out", "out.qvb", "mysketch.out"},
      {"dir.v2/sk", "out.qvb", "dir.v2/sk.ske"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(sketchFileName(c.given, c.body), c.sketch) << c.given << " | " << c.body;
  }
}

TEST(CoarseningOptions, RewriteDropsBothOptionsAndNamesTheSketch) {
  const struct {
    const char *options;
    const char *rewritten;
    bool dropped;
  } cases[] = {
      {"adv_coarsen(standard, 0.5) other(1)", " other(1) sketch(out.ske)", false},
      {"sketch(a.ske) adv_coarsen(light,0)", "  sketch(out.ske)", true},
      {"a(1) adv_coarsen(light,0", "a(1)  sketch(out.ske)", false},
      {"adv_coarsen(light,0) sketch(a.ske", "  sketch(out.ske)", true},
      {"adv_coarsen(light,0)sketch(a)sketch(b)", "sketch(b) sketch(out.ske)", true},
  };
  for (const auto &c : cases) {
    const auto result = rewriteWriterOptions(c.options, "out.ske");
    EXPECT_EQ(result.options, c.rewritten) << c.options;
    EXPECT_EQ(result.userSketchDropped, c.dropped) << c.options;
  }
}

}  // namespace
