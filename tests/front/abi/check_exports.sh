#!/bin/sh
# Compares what libqvb.so exports with what the public headers declare:
#   - every name declared with QVB_API, and every forwarder of the slot list,
#     must be exported (a missing or misspelled definition);
#   - every exported name must be declared (a misspelled or stray export,
#     such as an instance of a standard-library template).
# The OS layer's namespace (qvb::platform) is exported for the commands built
# with the library (cmake/libqvb.map) and is no part of the interface.
# Usage: check_exports.sh NM LIBRARY INCLUDE_DIR
set -eu
nm_tool=$1
library=$2
include=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Declarations: "QVB_API <type> <name>(" on one line, outside #define lines.
grep -h 'QVB_API' "$include"/qvb.h "$include"/qvb/*.h | grep -v '^[[:space:]]*#' |
  sed -n 's/.*[^A-Za-z0-9_]\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*(.*/\1/p' >"$work/declared"
# Forwarders: QVB_FWD(ordinal, result, name, ...)
sed -n 's/^QVB_FWD([0-9]*,[^,]*,[[:space:]]*\([A-Za-z0-9_]*\),.*/\1/p' "$include"/qvb/qvb_slots.h \
  >>"$work/declared"
sort -u "$work/declared" -o "$work/declared"

# Demangled, so that functions declared with C++ linkage match by name too.
"$nm_tool" -D --defined-only -C "$library" | cut -d' ' -f3- | sed 's/(.*//; s/@.*//' |
  sort -u >"$work/exported_all"
grep -v '^qvb::platform::' "$work/exported_all" >"$work/exported" || true
internal=$(grep -c '^qvb::platform::' "$work/exported_all" || true)
grep '^QVB_' "$work/exported" >"$work/exported_qvb" || true

missing=$(comm -23 "$work/declared" "$work/exported")
stray=$(comm -13 "$work/declared" "$work/exported")
status=0
if [ -n "$missing" ]; then
  echo "Declared but not exported:"; echo "$missing" | sed 's/^/  /'; status=1
fi
if [ -n "$stray" ]; then
  echo "Exported but not declared:"; echo "$stray" | sed 's/^/  /'; status=1
fi
echo "$(wc -l <"$work/declared") declared, $(wc -l <"$work/exported_qvb") QVB_ exports, $internal internal (OS layer)"
exit $status
