#!/bin/sh
# Installs the Debian 12 packages the build, the example and the tests need,
# skipping the ones already present. Run as root on a fresh machine.
set -eu
PACKAGES="cmake ninja-build g++ gcc gfortran make libgtest-dev libgmock-dev
  libsqlite3-dev liblapack-dev libsuitesparse-dev libarpack2-dev libopenblas-dev libopenblas-serial-dev python3
  libpython3-dev python3-numpy python3-pytest python3-matplotlib python3-meshio python3-setuptools python3-wheel
  python3-pip
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

# One OpenBLAS for the whole process. The library links the single-threaded
# OpenBLAS by its folder, while the solver libraries it shares a process with
# (LAPACK through CHOLMOD, numpy in the embedded interpreter) reach BLAS and
# LAPACK through the system's alternatives, which Debian points at the
# threaded build once both are installed. Two builds behind one soname
# (libopenblas.so.0) do not mix: links fail and numpy cannot load. So every
# BLAS and LAPACK alternative is pinned to the single-threaded build.
arch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
serial=/usr/lib/$arch/openblas-serial
for link in libblas.so.3 liblapack.so.3 libopenblas.so.0 libblas.so liblapack.so libopenblas.so; do
  if [ -e "$serial/$link" ] && update-alternatives --list "$link-$arch" 2>/dev/null | grep -qx "$serial/$link"; then
    update-alternatives --quiet --set "$link-$arch" "$serial/$link"
  fi
done
