#!/bin/sh
# Runs the shipped example with the commands of a build tree ($1).
set -eu
BUILD=$1
OUT=${QVB_EXAMPLE_OUT:-$BUILD/example}
mkdir -p "$OUT"
if [ -x "$BUILD/bin/beam_translator" ] && [ -x "$BUILD/bin/qvb2mtx" ]; then
  (cd "$OUT" && "$OLDPWD/$BUILD/bin/beam_translator" && "$OLDPWD/$BUILD/bin/qvb2mtx" beam.qvb)
  echo "Wrote $OUT/beam.qvb and $OUT/beam.mtx"
else
  "$BUILD/bin/qvb_demo"
fi
