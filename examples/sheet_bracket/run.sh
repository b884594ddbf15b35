#!/bin/sh
# The sheet-metal bracket example with the commands of a build tree ($1):
# gmsh meshes sheet_bracket.geo into second-order shells, ccx2qvb
# translates the shells with their point mass free-free (sheet_free.qvb) and
# held at the two washer rings (sheet_bolted.qvb, a Craig-Bampton body whose
# interface nodes are the hole centres), qvb2mtx converts both, qvbcompare
# checks a body against itself, and qvb-plot draws the bolted bracket's first
# flexible mode. Output goes to $QVB_EXAMPLE_OUT (default BUILD/sheet_bracket).
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
OUT=${QVB_EXAMPLE_OUT:-$BUILD/sheet_bracket}
mkdir -p "$OUT"
cd "$OUT"

gmsh "$HERE/sheet_bracket.geo" -2 -format inp -o sheet_gmsh.inp >gmsh.log
# gmsh's export has no shell types: it names second-order quadrilaterals and
# triangles CPS8 and CPS6 (plane stress). The sheet's are the shells S8R and S6.
sed -e 's/^\*ELEMENT, type=CPS8,/*ELEMENT, TYPE=S8R,/' -e 's/^\*ELEMENT, type=CPS6,/*ELEMENT, TYPE=S6,/' \
  sheet_gmsh.inp >sheet_mesh.inp
# The deck puts the unit's mass on node 13, the geometry's mounting point.
awk -F, '/^\*/ { nodes = toupper($0) ~ /^\*NODE/; next }
         nodes && $1 == 13 { found = ($2 * $2 + ($3 - 0.025) ^ 2 + ($4 - 0.04) ^ 2 < 1e-16) }
         END { if (!found) { print "sheet_mesh.inp: node 13 is not the mounting point (0, 0.025, 0.04)" > "/dev/stderr"; exit 1 } }' \
  sheet_mesh.inp
cp "$HERE/sheet_bracket.inp" sheet_bracket.inp

"$BUILD/bin/ccx2qvb" sheet_bracket.inp -o sheet_free.qvb -n 12
"$BUILD/bin/ccx2qvb" sheet_bracket.inp -o sheet_bolted.qvb -n 12 -i WASHER1 -i WASHER2
"$BUILD/bin/qvb2mtx" sheet_free.qvb
"$BUILD/bin/qvb2mtx" sheet_bolted.qvb
"$BUILD/bin/qvbcompare" sheet_free.qvb sheet_free.qvb
"$BUILD/bin/qvbcompare" sheet_bolted.qvb sheet_bolted.qvb
"$BUILD/bin/qvb-plot" sheet_bolted.qvb --mode 7 --view 25 35 -o sheet_bracket_mode7.png
echo "Wrote $OUT/sheet_free.qvb, sheet_bolted.qvb, their .mtx files and sheet_bracket_mode7.png"
