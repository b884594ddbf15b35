#!/bin/sh
# The bracket example with the commands of a build tree ($1): gmsh meshes
# bracket.geo, ccx2qvb translates the bracket free-free (bracket_free.qvb) and
# held at its two bolt holes (bracket_bolted.qvb, a Craig-Bampton body whose
# interface nodes are the hole centres), qvb2mtx converts both, qvbcompare
# checks a body against itself, and qvb-plot draws the bolted bracket's first
# flexible mode. Output goes to $QVB_EXAMPLE_OUT (default BUILD/bracket).
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
OUT=${QVB_EXAMPLE_OUT:-$BUILD/bracket}
mkdir -p "$OUT"
cd "$OUT"

# The mesh as gmsh writes it: ccx2qvb skips the hole walls' triangles (no
# section names them) and ties the nodes of their element sets HOLE1 and HOLE2.
gmsh "$HERE/bracket.geo" -3 -format inp -o bracket_mesh.inp >gmsh.log
cp "$HERE/bracket.inp" bracket.inp

"$BUILD/bin/ccx2qvb" bracket.inp -o bracket_free.qvb -n 12
"$BUILD/bin/ccx2qvb" bracket.inp -o bracket_bolted.qvb -n 12 -i HOLE1 -i HOLE2
"$BUILD/bin/qvb2mtx" bracket_free.qvb
"$BUILD/bin/qvb2mtx" bracket_bolted.qvb
"$BUILD/bin/qvbcompare" bracket_free.qvb bracket_free.qvb
"$BUILD/bin/qvbcompare" bracket_bolted.qvb bracket_bolted.qvb
"$BUILD/bin/qvb-plot" bracket_bolted.qvb --mode 7 --view 50 -125 -o bracket_mode7.png
echo "Wrote $OUT/bracket_free.qvb, bracket_bolted.qvb, their .mtx files and bracket_mode7.png"
