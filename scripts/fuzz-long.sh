#!/usr/bin/env bash
# A longer fuzzing run than the smoke: every target for QVB_FUZZ_SECONDS
# (default 1800 s, i.e. about 4 hours for the eight targets), keeping the
# growing corpora in <build>/fuzz-corpus between runs. With QVB_FUZZ_MERGE=1
# the inputs that add coverage are then merged (minimised) into
# tests/fuzz/corpus, ready to be committed as new seeds.
#
# Typical use on a spare machine:
#   QVB_FUZZ_SECONDS=3600 QVB_FUZZ_EXTRA="-jobs=4 -workers=4" scripts/fuzz-long.sh
# A crash leaves its input in build/fuzz/fuzz-artifacts/<target>/; add it as a
# regression test (tests/hardening) and as a seed before fixing the code.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${QVB_FUZZ_BUILD:-$root/build/fuzz}
export QVB_FUZZ_SECONDS=${QVB_FUZZ_SECONDS:-1800}
export QVB_FUZZ_BUILD=$build

status=0
"$root/scripts/fuzz-smoke.sh" || status=$?

if [ "${QVB_FUZZ_MERGE:-0}" = 1 ]; then
  for target in ${QVB_FUZZ_TARGETS:-$(cd "$build/fuzz" && ls fuzz_* | sort)}; do
    mkdir -p "$root/tests/fuzz/corpus/$target"
    "$build/fuzz/$target" -merge=1 -close_fd_mask=1 "$root/tests/fuzz/corpus/$target" \
      "$build/fuzz-corpus/$target" >/dev/null 2>&1 || status=1
  done
fi
exit $status
