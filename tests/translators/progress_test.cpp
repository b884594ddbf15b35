// The solver's status line: on a terminal, one line per job rewritten in
// place and ended when the job ends; elsewhere not a byte.
#include "progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

using qvb::ccx2qvb::currentStep;
using qvb::ccx2qvb::progressLine;
using qvb::ccx2qvb::SolverProgress;

TEST(SolverProgress, TheStepIsTheLastLineWithWords) {
  EXPECT_EQ(currentStep(" STEP 1\n\n Factoring the system of equations using spooles\n 1234\n  0.5E+03\n\n"),
            "Factoring the system of equations using spooles");
  EXPECT_EQ(currentStep("*****\n Calculating the eigenvalues and the eigenmodes\r\n ****\n"),
            "Calculating the eigenvalues and the eigenmodes");
  EXPECT_EQ(currentStep(" STEP 3"), "STEP 3");
  EXPECT_EQ(currentStep(" Job finished\n____\n\nTotal CalculiX Time: 0.098660\n   sets:   1\n"), "Job finished");
  EXPECT_EQ(currentStep("  12\n 0.1E+01\n"), "");
  EXPECT_EQ(currentStep("CalculiX Version 2.20\n****\nYou are using an executable made on Sun Jul 10\n nodes: 12\n"),
            "");
  EXPECT_EQ(progressLine("modes", 12.34, ""), "ccx2qvb: job modes, 12.3 s");
  const std::string longLine = progressLine("modes", 1, std::string(200, 'x'));
  EXPECT_EQ(longLine.size(), qvb::ccx2qvb::kProgressWidth);
  EXPECT_EQ(longLine.substr(longLine.size() - 4), "x...");
}

std::string shown(std::FILE *stream) {
  std::rewind(stream);
  std::string text;
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  return text;
}

TEST(SolverProgress, RewritesOneLineOnATerminalAndNothingElsewhere) {
  qvbtest::TempDir temp;
  const std::string log = temp.file("modes.out");
  std::FILE *terminal = std::tmpfile();
  std::FILE *pipe = std::tmpfile();
  {
    SolverProgress onTerminal(terminal, true, "modes", log);
    SolverProgress elsewhere(pipe, false, "modes", log);
    qvbtest::writeFile(log, " STEP 1\n Factoring the system of equations\n");
    onTerminal.show(0.5);
    elsewhere.show(0.5);
    qvbtest::writeFile(log, " STEP 1\n Job finished\n");
    onTerminal.show(1.0);
  }
  EXPECT_EQ(shown(pipe), "");
  const std::string text = shown(terminal);
  const std::string first = "\rccx2qvb: job modes, 0.5 s: Factoring the system of equations";
  const std::string second = "\rccx2qvb: job modes, 1.0 s: Job finished";
  EXPECT_EQ(text.substr(0, first.size() + 1), first + "\r");
  // The shorter line blanks what the longer one left; the end is one newline.
  EXPECT_NE(text.find(second + std::string(first.size() - second.size(), ' ') + "\r"), std::string::npos) << text;
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\n'), text.size() - 1);
  std::fclose(terminal);
  std::fclose(pipe);

  std::FILE *brief = std::tmpfile();
  { SolverProgress quick(brief, true, "mass", temp.file("missing.out")); }
  const std::string line = shown(brief);
  const std::string start = "\rccx2qvb: job mass, ";
  EXPECT_EQ(line.substr(0, start.size()), start) << "a job too short to be shown still has its line";
  EXPECT_EQ(line.back(), '\n');
  std::fclose(brief);
}

}  // namespace
