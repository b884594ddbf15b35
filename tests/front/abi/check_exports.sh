#!/bin/sh
# Compares what libqvb.so and the plug-ins export with what they must:
#   - libqvb.so exports exactly the names of exports.txt, the three marked
#     "c++" with decorated names and every other one as plain C (a missing,
#     misspelled or stray export, such as an instance of a standard-library
#     template, fails);
#   - the public headers declare exactly those names too;
#   - each plug-in exports its entry points and nothing else: no
#     standard-library symbol, and no symbol of the GNU unique kind, which
#     keeps dlclose from unloading a plug-in.
# The OS layer's namespace (qvb::platform) is exported for the commands built
# with the library (cmake/libqvb.map) and is no part of the interface: it is
# counted apart.
# Usage: check_exports.sh NM LIBRARY INCLUDE_DIR EXPORT_LIST [PLUGIN...]
set -eu
nm_tool=$1
library=$2
include=$3
list=$4
shift 4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# differ TITLE A B: the lines of A missing from B, under TITLE.
differ() {
  gap=$(comm -23 "$2" "$3")
  if [ -n "$gap" ]; then
    echo "$1:"; echo "$gap" | sed 's/^/  /'; status=1
  fi
}

grep -v '^#' "$list" | cut -d' ' -f1 | sort -u >"$work/required"
grep -v '^#' "$list" | grep ' c++$' | cut -d' ' -f1 | sort -u >"$work/required_cxx"

# Declarations: "QVB_API <type> <name>(" on one line, outside #define lines;
# forwarders: QVB_FWD(ordinal, result, name, ...).
grep -h 'QVB_API' "$include"/qvb.h "$include"/qvb/*.h | grep -v '^[[:space:]]*#' |
  sed -n 's/.*[^A-Za-z0-9_]\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*(.*/\1/p' >"$work/declared"
sed -n 's/^QVB_FWD([0-9]*,[^,]*,[[:space:]]*\([A-Za-z0-9_]*\),.*/\1/p' "$include"/qvb/qvb_slots.h \
  >>"$work/declared"
sort -u "$work/declared" -o "$work/declared"

# Exported names, demangled and without parameters; the decorated ones apart.
"$nm_tool" -D --defined-only "$library" | cut -d' ' -f3- | sed 's/@.*//' | sort -u >"$work/raw"
"$nm_tool" -D --defined-only -C "$library" | cut -d' ' -f3- | sed 's/(.*//; s/@.*//' | sort -u >"$work/exported_all"
grep -v '^qvb::platform::' "$work/exported_all" >"$work/exported" || true
internal=$(grep -c '^qvb::platform::' "$work/exported_all" || true)
grep '^_Z' "$work/raw" | c++filt | sed 's/(.*//' | grep -v '^qvb::platform::' | sort -u >"$work/exported_cxx" || true

differ "Required but not exported" "$work/required" "$work/exported"
differ "Exported but not required" "$work/exported" "$work/required"
differ "Required with C++ linkage but exported as C" "$work/required_cxx" "$work/exported_cxx"
differ "Exported with C++ linkage but required as C" "$work/exported_cxx" "$work/required_cxx"
differ "Required but not declared in the headers" "$work/required" "$work/declared"
differ "Declared in the headers but not required" "$work/declared" "$work/required"

printf '%s\n' PopulateInterface SetMessageHandlers _initialize _terminate | sort >"$work/entry_points"
for plugin in "$@"; do
  name=$(basename "$plugin")
  "$nm_tool" -D --defined-only "$plugin" >"$work/plugin_symbols"
  cut -d' ' -f3- "$work/plugin_symbols" | sed 's/@.*//' | sort -u >"$work/plugin"
  differ "$name exports more than its entry points" "$work/plugin" "$work/entry_points"
  printf '%s\n' PopulateInterface SetMessageHandlers >"$work/plugin_needs"
  differ "$name lacks an entry point" "$work/plugin_needs" "$work/plugin"
  if grep -q ' u ' "$work/plugin_symbols"; then
    echo "$name exports symbols of the GNU unique kind (dlclose cannot unload it):"
    grep ' u ' "$work/plugin_symbols" | sed 's/^/  /'; status=1
  fi
done
echo "$(wc -l <"$work/required") required, $(wc -l <"$work/exported") exported, $internal internal (OS layer), $# plug-ins checked"
exit $status
