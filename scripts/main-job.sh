#!/bin/sh
# The shipped example with the commands of a build tree ($1): the Fortran
# translator builds the free-free tube beam beam.qvb, qvb2mtx converts it to
# beam.mtx, and qvb-plot draws its first bending mode and a strip of modes;
# the writer coarsens the beam and qvb-plot draws that body's mode too.
# Then the bracket examples (examples/bracket/run.sh, a gmsh mesh of solids,
# and examples/sheet_bracket/run.sh, of shells with a point mass) translated
# by ccx2qvb free-free and held at their bolt holes.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" && pwd)
OUT=${QVB_EXAMPLE_OUT:-$BUILD/example}
mkdir -p "$OUT"
cd "$OUT"
"$BUILD/bin/beam_translator"
"$BUILD/bin/qvb2mtx" beam.qvb
"$BUILD/bin/qvbcompare" beam.qvb beam.qvb
"$BUILD/bin/qvb-plot" beam.qvb --mode 7 -o beam_mode7.png
"$BUILD/bin/qvb-plot" beam.qvb -o beam_modes.png
# The coarsened beam: a quarter of the nodes, the same mass properties and modes.
TRX_QVBWRITE_OPTIONS='coarsen(standard)' "$BUILD/bin/qvb2mtx" beam.qvb -O beam_coarse.qvb
"$BUILD/bin/qvb-plot" beam_coarse.qvb --mode 7 -o beam_coarse_mode7.png
echo "Wrote $OUT/beam.qvb, beam.mtx, beam_mode7.png, beam_modes.png, beam_coarse.qvb and beam_coarse_mode7.png"
sh "$ROOT/examples/bracket/run.sh" "$BUILD"
sh "$ROOT/examples/sheet_bracket/run.sh" "$BUILD"
