#!/bin/sh
# The main job: build the library, its backends and commands, build the
# example beam body with the Fortran translator, and convert it to MTX.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVB_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
sh scripts/main-job.sh build/release
