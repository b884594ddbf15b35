#!/bin/sh
# Fails when a C or C++ source includes a header of a folder it may not
# depend on. Every tracked source is looked at; a folder without a rule
# fails too, so a new folder must take its place in the table below.
#
# The table is the one statement of the layers (CONTRIBUTING.md points
# here). A folder may include its own headers, those of the folders it
# lists, and, through them, whatever those may include: dependencies point
# down, and each line names only the layers right below. The first rule
# whose folder matches wins ("x/*" matches x and everything under it).
# Includes are resolved the way the compiler finds them (the including
# folder first, then the include folders), so a bare "body.h" counts as much
# as "convert/x.h"; a header found nowhere is a system or generated one.
set -eu
cd "$(dirname "$0")/.."

# folder                   what it may include besides itself ("-": nothing)
rules='
include/*                  include/*
src/platform               -
src/kernels                src/platform
src/util                   src/kernels include/*
src/loader                 src/util
src/front                  src/loader
src/convert                src/front
src/compare                src/front
src/fortran                src/front
src/script_bridge          src/front
src                        include/*
backends/body              src/util
backends/write_reduction   backends/body
backends/database          backends/body
backends/body_file         backends/body
backends/storage_slots     backends/write_reduction backends/database backends/body_file
backends/qvbflex           backends/storage_slots
backends/dbvflex           backends/storage_slots
tools/common               src/util
tools/*                    tools/common
translators/*              tools/common src/util
bench/*                    bench/* src/* backends/* include/*
tests/*                    tests/* bench/* src/* backends/* tools/* translators/* include/*
examples/*                 include/*
python/*                   include/*
'
# Known breaches, each "file folder"; they are reported as notes and do not
# fail. Take a line out with the include it excuses. Keep this list empty.
# (A translator is a command: it shares the commands' line conventions and
# plug-in search in tools/common, as the rules above allow.)
known='
'
# Where the compiler looks after the including folder.
search='src include include/qvb backends/body backends/write_reduction backends/database backends/body_file
  backends/storage_slots tools/common bench tests'

git ls-files -- '*.c' '*.h' '*.cpp' '*.hpp' >"${TMPDIR:-/tmp}/layering.$$"
trap 'rm -f "${TMPDIR:-/tmp}/layering.$$"' EXIT
{
  echo "$rules" | sed -n 's/^\([^ ]\{1,\}\) \{1,\}\(.*\)$/rule \1 \2/p'
  echo "search" $search
  echo "$known" | sed -n 's/^\([^ ]\{1,\}\) \{1,\}\([^ ]\{1,\}\)$/known \1 \2/p'
  git ls-files | sed 's/^/file /'
  sed 's/^/source /' "${TMPDIR:-/tmp}/layering.$$"
  xargs grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' /dev/null <"${TMPDIR:-/tmp}/layering.$$" |
    sed 's/^\([^:]*\):\([0-9]*\):[^"]*"\([^"]*\)".*/include \1 \2 \3/'
} | awk '
  function folder(path) { if (path !~ /\//) return "."; sub(/\/[^\/]*$/, "", path); return path }
  function matches(dir, pattern) {
    if (pattern ~ /\/\*$/) return index(dir "/", substr(pattern, 1, length(pattern) - 1)) == 1 || dir == substr(pattern, 1, length(pattern) - 2)
    return dir == pattern
  }
  function ruleOf(dir,   i) { for (i = 1; i <= ruleCount; i++) if (matches(dir, ruleDir[i])) return i; return 0 }
  # True when folder `from` (under rule r) may include folder `to`: listed by
  # r, or allowed to a folder r lists (each rule is expanded once per check).
  function mayInclude(r, to, seen,   n, list, i, nextRule) {
    if (r in seen) return 0
    seen[r] = 1
    n = split(allowed[r], list, " ")
    for (i = 1; i <= n; i++) {
      if (matches(to, list[i])) return 1
      if (list[i] ~ /\*$/) continue
      nextRule = ruleOf(list[i])
      if (nextRule && mayInclude(nextRule, to, seen)) return 1
    }
    return 0
  }
  function normal(path,   n, parts, out, i) {
    n = split(path, parts, "/"); out = ""
    for (i = 1; i <= n; i++) {
      if (parts[i] == "." || parts[i] == "") continue
      if (parts[i] == ".." && out != "") { sub(/\/?[^\/]*$/, "", out); continue }
      out = out == "" ? parts[i] : out "/" parts[i]
    }
    return out
  }
  $1 == "rule" { ruleCount++; ruleDir[ruleCount] = $2; allowed[ruleCount] = ""
                 for (i = 3; i <= NF; i++) if ($i != "-") allowed[ruleCount] = allowed[ruleCount] " " $i; next }
  $1 == "search" { for (i = 2; i <= NF; i++) searchDir[++searchCount] = $i; next }
  $1 == "known" { known[$2 " " $3] = 1; next }
  $1 == "file" { exists[$2] = 1; next }
  $1 == "source" {
    if (!ruleOf(folder($2)) && !(folder($2) in reported)) {
      printf "%s: folder %s has no layering rule in scripts/check-layering.sh\n", $2, folder($2); bad = 1
      reported[folder($2)] = 1
    }
    next
  }
  $1 == "include" {
    from = folder($2); target = ""
    if (exists[normal(from "/" $4)]) target = normal(from "/" $4)
    for (i = 1; target == "" && i <= searchCount; i++) if (exists[normal(searchDir[i] "/" $4)]) target = normal(searchDir[i] "/" $4)
    if (target == "") next
    to = folder(target)
    if (to == from) next
    rule = ruleOf(from)
    if (rule == 0) next  # reported once per folder above
    split("", seen)
    if (mayInclude(rule, to, seen)) next
    if (($2 " " to) in known) { printf "note: %s:%s: includes %s (a known breach)\n", $2, $3, target; next }
    printf "%s:%s: includes %s, a layer above or beside %s\n", $2, $3, target, from; bad = 1
  }
  END { exit bad }
'
