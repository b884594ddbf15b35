#!/bin/sh
# Fails when a library source includes a header from a layer above its own.
# Dependencies point down: the OS layer, then the shared kernels, then the
# utilities, the loader and the front, then the front's tools (converter,
# comparison, Fortran binding, coarsening), which stay independent of each
# other. The stores (backends/) sit beside the front: they may use the
# kernels, the utilities, the OS layer and the public headers, nothing of the
# front or its tools. Includes are resolved the way the compiler finds them
# (the including folder first, then the include folders), so a bare
# "body.h" counts as much as "convert/x.h". Tests, tools and the bench may
# include anything and are not looked at.
set -eu
cd "$(dirname "$0")/.."

# folder          what it may include besides itself
rules='
include/*         include/*
src               include/*
src/platform      -
src/kernels       src/platform
src/util          src/platform src/kernels include/*
src/loader        src/platform src/kernels src/util include/*
src/front         src/platform src/kernels src/util src/loader include/*
src/convert       src/platform src/kernels src/util src/loader src/front include/*
src/compare       src/platform src/kernels src/util src/loader src/front include/*
src/fortran       src/platform src/kernels src/util src/loader src/front include/*
src/coarsen       src/platform src/kernels src/util src/loader src/front include/*
backends/*        backends/* src/platform src/kernels src/util include/*
'
# Where the compiler looks after the including folder.
search='src include include/qvb backends/body backends/database backends/qvbflex backends/dbvflex'

{
  echo "$rules" | sed -n 's/^\([^ ]\{1,\}\) \{1,\}\(.*\)$/rule \1 \2/p'
  echo "search $search"
  find include src backends -type f | sed 's/^/file /'
  grep -rnE --include='*.h' --include='*.cpp' --include='*.c' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
    include src backends | sed 's/^\([^:]*\):\([0-9]*\):[^"]*"\([^"]*\)".*/include \1 \2 \3/'
} | awk '
  function folder(path) { sub(/\/[^\/]*$/, "", path); return path }
  function matches(dir, pattern) {
    if (pattern ~ /\/\*$/) return index(dir "/", substr(pattern, 1, length(pattern) - 1)) == 1 || dir == substr(pattern, 1, length(pattern) - 2)
    return dir == pattern
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
  $1 == "file" { exists[$2] = 1; next }
  $1 == "include" {
    from = folder($2); target = ""
    if (exists[normal(from "/" $4)]) target = normal(from "/" $4)
    for (i = 1; target == "" && i <= searchCount; i++) if (exists[normal(searchDir[i] "/" $4)]) target = normal(searchDir[i] "/" $4)
    if (target == "") next  # a system or generated header
    to = folder(target)
    if (to == from) next
    rule = 0
    for (i = 1; i <= ruleCount; i++) if (matches(from, ruleDir[i])) { rule = i; break }
    if (rule == 0) { printf "%s:%s: folder %s has no layering rule in scripts/check-layering.sh\n", $2, $3, from; bad = 1; next }
    ok = 0; n = split(allowed[rule], list, " ")
    for (i = 1; i <= n; i++) if (matches(to, list[i])) ok = 1
    if (!ok) { printf "%s:%s: includes %s, a layer above or beside %s\n", $2, $3, target, from; bad = 1 }
  }
  END { exit bad }
'
