#!/usr/bin/env bash
# Installs a build tree into a temporary folder and uses the installation the
# way users do: a CMake project with find_package(qvb), a compile line from
# pkg-config, a Fortran translator using the installed module, the installed
# commands and the Python host. The programs run with an empty environment:
# the library finds its installed plug-ins by itself.
#
# Usage: check_install.sh BUILD_DIR CONSUMER_SOURCE GENERATOR C_COMPILER LIBDIR
#                         BINDIR PYTHONDIR PYTHON [SANITIZER_FLAGS] [PRELOAD]
#                         [FORTRAN_COMPILER]
set -euo pipefail

build_dir=$1 consumer_source=$2 generator=$3 c_compiler=$4
libdir=$5 bindir=$6 pythondir=$7 python=$8
sanitizer_flags=${9:-} preload=${10:-} fortran_compiler=${11:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/qvb-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0

step() { printf '\n== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*"; failures=$((failures + 1)); }
# No environment at all (but the sanitizer runtime, in a sanitizer build).
empty_env() {
  env -i ${preload:+LD_PRELOAD="$preload"} ${preload:+ASAN_OPTIONS=detect_leaks=0} "$@"
}
# A clean environment: nothing that could point into the build tree.
clean_env() {
  env -i PATH=/usr/bin:/bin HOME="$work" TMPDIR="$work" \
      ${preload:+LD_PRELOAD="$preload"} ${preload:+ASAN_OPTIONS=detect_leaks=0} "$@"
}

# Installed elsewhere and then moved: nothing may depend on the prefix the
# installation was made for.
step "install, then move the installation to $prefix"
cmake --install "$build_dir" --prefix "$work/staging" >"$work/install.log" || {
  cat "$work/install.log"; exit 1; }
mv "$work/staging" "$prefix"
for file in include/qvb.h include/qvb/qvb_slots.h include/qvb/qvb_interface.h \
            "$libdir/libqvb.so" "$libdir/cmake/qvb/qvbConfig.cmake" \
            "$libdir/cmake/qvb/qvbConfigVersion.cmake" "$libdir/pkgconfig/qvb.pc"; do
  [[ -e $prefix/$file ]] || fail "not installed: $file"
done
have_plugin=no
[[ -f $prefix/$libdir/qvb/plugins/qvbflex.so ]] && have_plugin=yes
echo "storage plug-in installed: $have_plugin"

body_arg=()
[[ $have_plugin == yes ]] && body_arg=("$work/made.qvb")
# The example body, made by the installed Fortran translator, for the
# consumers to open.
if [[ $have_plugin == yes && -x $prefix/$bindir/beam_translator ]]; then
  step "installed beam_translator writes the example body"
  (cd "$work" && empty_env "$prefix/$bindir/beam_translator" >/dev/null) || fail "beam_translator failed"
  [[ -s $work/beam.qvb ]] && body_arg+=("$work/beam.qvb")
fi
# The consumers run in a folder holding a file named like the plug-in: the
# installed plug-in must win over whatever lies in the current directory.
planted=$work/planted
mkdir -p "$planted"
echo "not a library" >"$planted/qvbflex.so"

step "CMake consumer: find_package(qvb)"
if cmake -S "$consumer_source" -B "$work/consumer" -G "$generator" \
      -DCMAKE_C_COMPILER="$c_compiler" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_C_FLAGS="$sanitizer_flags" -DCMAKE_EXE_LINKER_FLAGS="$sanitizer_flags" \
      >"$work/consumer.log" 2>&1 &&
   cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1; then
  (cd "$planted" && empty_env "$work/consumer/consumer" "${body_arg[@]}") || fail "the CMake consumer did not run"
else
  cat "$work/consumer.log"; fail "the CMake consumer did not build"
fi

# The compile line from pkg-config is the README's own (install.readme); here
# its paths must hold after the move.
step "pkg-config"
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
pkg-config --cflags --libs qvb >/dev/null || fail "pkg-config does not know qvb"
for variable in prefix libdir includedir plugindir; do
  value=$(pkg-config --variable=$variable qvb)
  [[ $value != *//* ]] || fail "pkg-config $variable has a doubled slash: $value"
done
plugin_dir=$(pkg-config --variable=plugindir qvb)
[[ -d $plugin_dir || $have_plugin == no ]] || fail "pkg-config plugindir $plugin_dir is no folder"

if [[ -n $fortran_compiler ]]; then
  step "Fortran consumer: find_package(qvb), target qvb::fortran"
  [[ -f $prefix/include/qvb/qvb_binding.mod ]] || fail "not installed: include/qvb/qvb_binding.mod"
  if cmake -S "$consumer_source/../fortran_consumer" -B "$work/fortran" -G "$generator" \
        -DCMAKE_Fortran_COMPILER="$fortran_compiler" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_Fortran_FLAGS="$sanitizer_flags" -DCMAKE_EXE_LINKER_FLAGS="$sanitizer_flags" \
        >"$work/fortran.log" 2>&1 &&
     cmake --build "$work/fortran" >>"$work/fortran.log" 2>&1; then
    if [[ $have_plugin == yes ]]; then
      (cd "$planted" && empty_env "$work/fortran/translator" "$work/fortran.qvb") ||
        fail "the Fortran translator did not run"
    fi
  else
    cat "$work/fortran.log"; fail "the Fortran consumer did not build"
  fi
fi

if [[ $have_plugin == yes && -f $work/made.qvb ]]; then
  step "installed qvb2mtx and qvbcompare find their plug-in without environment"
  (cd "$work" && clean_env "$prefix/$bindir/qvb2mtx" made.qvb -o made && [[ -s made.mtx ]] &&
    clean_env "$prefix/$bindir/qvbcompare" made.qvb made.qvb) || fail "the installed commands"
fi

if [[ -n $python && -d $prefix/$pythondir/qvb ]]; then
  step "installed Python host finds its library and plug-ins"
  check='import sys, qvb
print("library:", qvb.library().path)
assert str(qvb.library().path).startswith(sys.argv[1]), "not the installed library"
if len(sys.argv) > 2:
    with qvb.open(sys.argv[2]) as body:
        assert body.node_count == 2, body.node_count
        print("nodes:", list(body.node_ids))'
  clean_env PYTHONPATH="$prefix/$pythondir" "$python" -c "$check" "$prefix" "${body_arg[@]}" ||
    fail "the installed Python host did not work"
  if [[ $have_plugin == yes ]]; then
    clean_env "$prefix/$bindir/qvb-plot" --list "$work/made.qvb" ||
      fail "installed qvb-plot cannot read a body"
  fi
fi

if ((failures)); then
  printf '\n%d install check(s) failed\n' "$failures"
  exit 1
fi
printf '\ninstall checks passed\n'
