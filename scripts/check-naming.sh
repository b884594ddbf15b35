#!/bin/sh
# The naming check (CONTRIBUTING.md, .clang-tidy). Usage:
#   sh scripts/check-naming.sh --all [BUILD_DIR]   every source of the build (CI)
#   sh scripts/check-naming.sh [BUILD_DIR]         the lines a change touches
# BUILD_DIR (default build/test) must be configured: it holds
# compile_commands.json. The lines a change touches are those since the
# merge base with main when the checkout is a branch ahead of it, else (a
# clean clone of main) those of the last commit. Public headers (include/)
# keep the names the external interface fixes and are not checked.
set -eu
cd "$(dirname "$0")/.."
all=no
if [ "${1:-}" = "--all" ]; then all=yes; shift; fi
build=${1:-build/test}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-naming: no $build/compile_commands.json; configure $build first" >&2
  exit 2
fi

# Folders whose breaches are known and wait for their owner: left out of the
# whole-tree check until then (each with why). Keep this list empty.
waiting=''

report=$(mktemp)
trap 'rm -f "$report"' EXIT
if [ "$all" = yes ]; then
  tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
  if [ -z "$tidy" ]; then
    echo "check-naming: clang-tidy not found (apt-get install clang-tidy)" >&2
    exit 2
  fi
  what="the whole tree"
  root=$(pwd)
  # Every translation unit of the build but the fuzz targets (built by clang
  # only, and outside the style) and the waiting folders, two at a time.
  python3 - "$build/compile_commands.json" "$root" $waiting <<'EOF' |
import json, sys
root = sys.argv[2] + "/"
skip = tuple(root + w for w in sys.argv[3:]) + (root + "tests/fuzz/",)
files = sorted({entry["file"] for entry in json.load(open(sys.argv[1]))})
print("\n".join(f for f in files if f.startswith(root) and not f.startswith(skip)))
EOF
    xargs -n 1 -P 2 "$tidy" -p "$build" --quiet >"$report" 2>&1 || true
  # A header is seen from every unit that includes it: each finding once,
  # and none in a waiting folder.
  for folder in $waiting; do
    grep -v "^$root/$folder" "$report" >"$report.kept" || true
    mv "$report.kept" "$report"
  done
else
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
  git diff -U0 --no-color "$base" -- 'src/*.cpp' 'src/*.h' 'backends/*.cpp' 'backends/*.h' 'tools/*.cpp' \
      'tools/*.h' 'translators/*.cpp' 'translators/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
      ':!tests/fuzz' |
    python3 "$tidy_diff" -p1 -path "$build" -quiet -j 2 >"$report" 2>&1 || true
fi
# Only naming findings count: clang's own errors on code GCC accepts (such
# as a lambda capturing a structured binding) are not this check's business.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$report" | grep 'readability-identifier-naming' | sort -u || true)
if [ -n "$findings" ]; then
  echo "$findings" >&2
  echo "check-naming: names in $what do not follow CONTRIBUTING.md ($(echo "$findings" | wc -l) findings)" >&2
  exit 1
fi
echo "check-naming: names in $what follow the naming style"
