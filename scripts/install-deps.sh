#!/bin/sh
# Installs the Debian 12 packages the build, the example and the tests need,
# skipping the ones already present. Run as root on a fresh machine.
set -eu
PACKAGES="cmake ninja-build g++ gcc gfortran make libgtest-dev libgmock-dev
  libsqlite3-dev liblapack-dev libsuitesparse-dev libopenblas-dev libopenblas-serial-dev python3
  libpython3-dev python3-numpy python3-pytest python3-matplotlib python3-setuptools python3-pip
  python3-venv clang libclang-rt-14-dev clang-tidy
  valgrind binutils calculix-ccx gmsh"
missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $p"
  fi
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
fi
