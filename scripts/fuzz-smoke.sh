#!/usr/bin/env bash
# Builds the fuzz targets in a clang tree (libFuzzer, ASan+UBSan) and runs
# each one for a bounded time, starting from the seeds in tests/fuzz/corpus.
# Exits non-zero when any target crashes, leaks, times out or runs out of
# memory; the crashing input is kept in <build>/fuzz-artifacts/<target>/.
#
# Environment:
#   QVB_FUZZ_SECONDS   seconds per target (default 30)
#   QVB_FUZZ_BUILD     build tree (default build/fuzz)
#   QVB_FUZZ_TARGETS   space-separated subset of targets (default: all)
#   QVB_FUZZ_JOBS      parallel build jobs (default 2)
#   QVB_FUZZ_EXTRA     extra libFuzzer flags (e.g. "-jobs=4 -workers=4")
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${QVB_FUZZ_BUILD:-$root/build/fuzz}")  # absolute: one target changes folder
seconds=${QVB_FUZZ_SECONDS:-30}
jobs=${QVB_FUZZ_JOBS:-2}
started=$(date +%s)

if [ ! -f "$build/CMakeCache.txt" ]; then
  # The plug-ins link with --no-undefined, so the sanitizer runtime must be
  # the shared one (clang puts the static one into executables only).
  runtime=$(dirname "$(clang -print-file-name=libclang_rt.asan-x86_64.so)")
  link="-shared-libsan -Wl,-rpath,$runtime"
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQVB_FUZZ=ON -DQVB_SANITIZE=ON -DQVB_WITH_FORTRAN=OFF \
    -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    "-DCMAKE_EXE_LINKER_FLAGS=$link" "-DCMAKE_SHARED_LINKER_FLAGS=$link" "-DCMAKE_MODULE_LINKER_FLAGS=$link" >/dev/null
fi
cmake --build "$build" --target qvb_fuzz_all -j "$jobs"
cmake --build "$build" --target qvb_fuzz_seeds -j "$jobs" >/dev/null 2>&1 || true

# Fresh binary seeds from a real body, beside the committed ones, so the
# seeds follow format changes.
fresh=$build/fuzz-fresh-seeds
rm -rf "$fresh" && mkdir -p "$fresh"/{fuzz_qvb_file,fuzz_master_db,fuzz_block_codec} "$fresh/scratch"
if [ -x "$build/fuzz/qvb_fuzz_seeds" ]; then
  ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 "$build/fuzz/qvb_fuzz_seeds" "$fresh" "$fresh/scratch" >/dev/null ||
    echo "warning: could not write fresh seeds" >&2
fi

targets=${QVB_FUZZ_TARGETS:-$(cd "$build/fuzz" && ls fuzz_* | sort)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0:verify_asan_link_order=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
failed=0
printf '%-26s %8s %10s %s\n' target seconds executions result
for target in $targets; do
  corpus=$build/fuzz-corpus/$target
  artifacts=$build/fuzz-artifacts/$target
  log=$build/fuzz-logs/$target.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  seeds=("$root/tests/fuzz/corpus/$target")
  [ -d "$fresh/$target" ] && seeds+=("$fresh/$target")
  status=0
  # stdout is closed (-close_fd_mask=1): the converter prints a page per run.
  (cd "$artifacts" && "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
     -malloc_limit_mb=1024 -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$artifacts/" \
     ${QVB_FUZZ_EXTRA:-} "$corpus" "${seeds[@]}") >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    result="FAILED (status $status, log $log)"
    failed=1
  fi
  printf '%-26s %8s %10s %s\n' "$target" "${took:-?}" "${runs:-?}" "$result"
done
echo "fuzz smoke took $(( $(date +%s) - started )) s"
exit $failed
