#!/bin/sh
# Prints the share of test code in the project's code: lines of tests/,
# python/tests/ and every *_test.* file, over all lines of C, C++, Fortran,
# Python, shell and CMake files that git tracks (documentation is not code).
# Wanted: a quarter to a third; fails above a third (CI runs it).
set -eu
cd "$(dirname "$0")/.."

git ls-files -z | xargs -0 awk '
  FNR == 1 {
    code = 0
    name = FILENAME
    if (name ~ /^docs\//) { nextfile }
    if (name ~ /\.(c|h|cpp|hpp|cc|f90|F90|f|py|sh|cmake)$/ || name ~ /(^|\/)CMakeLists\.txt$/) code = 1
    else if (name !~ /\/?[^\/]*\.[^\/]*$/ && $0 ~ /^#!.*(sh|python)/) code = 1
    if (!code) { nextfile }
    test = (name ~ /^tests\// || name ~ /^python\/tests\// || name ~ /_test\.[^\/]*$/)
  }
  { all++; if (test) tests++ }
  END {
    printf "test lines %d of %d code lines: %.1f %%\n", tests, all, all ? 100 * tests / all : 0
    if (3 * tests > all) { print "test-share: tests are more than a third of the code; merge or delete weaker ones"; exit 1 }
  }'
