#!/usr/bin/env bash
# Runs test binaries of a normal (not sanitizer) build and the two commands
# under valgrind memcheck. Fails on any memory error and on definite leaks;
# "still reachable" blocks (process-wide tables kept until exit) are allowed.
#
#   scripts/leak-check.sh [build dir]        (default build/harden)
#
# Environment:
#   QVB_LEAK_TESTS  space-separated test binaries (names in <build>/bin);
#                   default: every *_tests binary the build has
#   QVB_LEAK_FILTER gtest filter for the test binaries (default: all tests)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/harden}" && pwd)
bin=$build/bin
logs=$build/leak-check
mkdir -p "$logs"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

export TRX_USER_PLUGIN_DIR=$build/plugins
valgrind=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite
          --errors-for-leak-kinds=definite --error-exitcode=99 --track-origins=no --num-callers=30
          --child-silent-after-fork=yes --suppressions="$root/tests/hardening/valgrind.supp")

failed=0
run() {  # folder, name, command...
  local folder=$1 name=$2
  shift 2
  local started=$SECONDS status=0
  rm -f "$logs/$name".*.log
  (cd "$folder" && "${valgrind[@]}" --log-file="$logs/$name.%p.log" "$@") >"$logs/$name.out" 2>&1 || status=$?
  # 99 is valgrind's verdict; a command's own failure answers (1, 2) are
  # fine here, a signal (128 and up) is not.
  if [ "$status" -eq 99 ] || grep -qs "definitely lost: [1-9]" "$logs/$name".*.log; then
    printf '%-34s FAILED (valgrind; see %s/%s.*.log)\n' "$name" "$logs" "$name"
    failed=1
  elif [ "$status" -ge 128 ]; then
    printf '%-34s FAILED (status %d; see %s/%s.out)\n' "$name" "$status" "$logs" "$name"
    failed=1
  else
    printf '%-34s ok (%ds)\n' "$name" $((SECONDS - started))
  fi
}

tests=${QVB_LEAK_TESTS:-$(cd "$bin" && ls *_tests 2>/dev/null)}
for t in $tests; do
  # Death tests fork and exit on purpose; the "threadsafe" style re-executes
  # the binary, which valgrind follows without double counting.
  run "$scratch" "$t" "$bin/$t" --gtest_filter="${QVB_LEAK_FILTER:-*}" --gtest_death_test_style=threadsafe
done

# The commands on a real body file: the committed fuzz seed less its
# leading mode byte is a valid file with one body.
seed=$root/tests/fuzz/corpus/fuzz_qvb_file/sample-raw
if [ -f "$seed" ]; then
  tail -c +2 "$seed" >"$scratch/panel.qvb"
  cp "$scratch/panel.qvb" "$scratch/copy.qvb"
  if [ -x "$bin/qvb2mtx" ]; then
    # -E: the seed body has three modes, and the load matrices of a body with
    # fewer than six modes are a known fault (docs/reliability.md).
    run "$scratch" qvb2mtx "$bin/qvb2mtx" panel.qvb -o out +M 1:2 -E -L
    run "$scratch" qvb2mtx-bad-switch "$bin/qvb2mtx" panel.qvb -no-such-switch
  fi
  if [ -x "$bin/qvbcompare" ]; then
    run "$scratch" qvbcompare "$bin/qvbcompare" panel.qvb copy.qvb
    run "$scratch" qvbcompare-missing "$bin/qvbcompare" panel.qvb missing.qvb
  fi
fi
exit $failed
