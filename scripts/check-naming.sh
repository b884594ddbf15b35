#!/bin/sh
# The naming check (CONTRIBUTING.md, .clang-tidy) on the lines a change
# touches: against the merge base with main when the checkout is a branch
# ahead of it, else (a clean clone of main) the last commit. Usage:
#   sh scripts/check-naming.sh [BUILD_DIR]   (default build/test)
# BUILD_DIR must be configured (it holds compile_commands.json). Public
# headers (include/) keep the names the external interface fixes and are not
# checked.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/test}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-naming: no $build/compile_commands.json; configure $build first" >&2
  exit 2
fi
tidy_diff=$(command -v clang-tidy-diff-14.py || command -v clang-tidy-diff || true)
if [ -z "$tidy_diff" ]; then
  echo "check-naming: clang-tidy-diff not found (apt-get install clang-tidy)" >&2
  exit 2
fi

main=""
for ref in main origin/main; do
  if git rev-parse -q --verify "$ref^{commit}" >/dev/null; then main=$ref; break; fi
done
base=""
if [ -n "$main" ]; then base=$(git merge-base HEAD "$main" 2>/dev/null || true); fi
if [ -z "$base" ] || [ "$base" = "$(git rev-parse HEAD)" ]; then
  if ! git rev-parse -q --verify HEAD~1 >/dev/null; then
    echo "check-naming: nothing to compare with; not checked"
    exit 0
  fi
  base=HEAD~1
  what="the last commit"
else
  what="the changes since $main"
fi

report=$(mktemp)
trap 'rm -f "$report"' EXIT
git diff -U0 --no-color "$base" -- 'src/*.cpp' 'src/*.h' 'backends/*.cpp' 'backends/*.h' 'tools/*.cpp' \
    'tools/*.h' 'translators/*.cpp' 'translators/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' ':!tests/fuzz' |
  python3 "$tidy_diff" -p1 -path "$build" -quiet -j 2 >"$report" 2>&1 || true
# Only naming findings count: clang's own errors on code GCC accepts (such
# as a lambda capturing a structured binding) are not this check's business.
if grep -q 'readability-identifier-naming' "$report"; then
  sed 's/\x1b\[[0-9;]*m//g' "$report" | grep 'readability-identifier-naming' >&2
  echo "check-naming: names in $what do not follow CONTRIBUTING.md" >&2
  exit 1
fi
echo "check-naming: names in $what follow the naming style"
