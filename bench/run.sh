#!/bin/sh
# Builds the Release tree build/perf and runs the benchmark table.
# Arguments go to qvb_bench (e.g. --large, --repeat 5, --sizes 1e5x100).
# Bodies are made once and kept in build/perf/bench-data.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/perf"
# The benchmarks are built only where asked for (QVB_BUILD_BENCH).
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVB_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target qvb_bench qvb2mtx qvbcompare qvbflex -j2
exec "$build/bin/qvb_bench" --dir "$build/bench-data" "$@"
