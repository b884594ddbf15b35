#!/usr/bin/env bash
# pip install of the checkout into a fresh virtual environment that sees the
# system's numpy, offline; then the package and its console scripts are used
# from a folder outside the checkout with no environment pointing anywhere.
#
# Usage: check_pip.sh SOURCE_DIR PYTHON CMAKE_BUILD_DIR VERSION
set -euo pipefail
source_dir=$1 python=$2 build_dir=$3 version=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/qvb-pip.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
step() { printf '\n== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*"; failures=$((failures + 1)); }
venv=$work/venv
# Only the virtual environment on PATH (and the system's tools: cmake, the
# compilers); no QVB_*, TRX_* or LD_LIBRARY_PATH.
in_venv() { env -i PATH="$venv/bin:/usr/bin:/bin" HOME="$work" TMPDIR="$work" MPLBACKEND=Agg "$@"; }

step "fresh virtual environment (system site packages: numpy)"
"$python" -m venv --system-site-packages "$venv"

step "pip install --no-build-isolation --no-index $source_dir"
(cd "$source_dir" && in_venv QVB_PIP_BUILD_DIR="$build_dir" pip install --no-build-isolation --no-index \
    --no-cache-dir . >"$work/pip.log" 2>&1) || { tail -40 "$work/pip.log"; exit 1; }

mkdir "$work/elsewhere"
cd "$work/elsewhere"
step "the console scripts"
in_venv beam_translator >/dev/null || fail "beam_translator"
in_venv qvb2mtx beam.qvb || fail "qvb2mtx"
[[ -s beam.mtx ]] || fail "no beam.mtx"
in_venv qvbcompare -v 0 beam.qvb beam.qvb || fail "qvbcompare"
for command in qvb2mtx qvbcompare beam_translator qvb-plot; do
  [[ $(in_venv "$command" --version) == "$command $version" ]] || fail "$command --version"
done
in_venv qvb-plot --list beam.qvb >/dev/null || fail "qvb-plot"

step "import qvb; qvb.open(\"beam.qvb\")"
in_venv python - "$version" "$venv" <<'PY' || fail "the installed package"
import importlib.metadata as metadata, os, sys
import qvb
version, venv = sys.argv[1], sys.argv[2]
assert qvb.__version__ == version == metadata.version("qvb"), (qvb.__version__, version)
assert any(r.startswith("numpy") for r in metadata.requires("qvb")), metadata.requires("qvb")
assert str(qvb.library().path).startswith(venv), qvb.library().path
assert "TRX_USER_PLUGIN_DIR" not in os.environ or os.environ["TRX_USER_PLUGIN_DIR"].startswith(venv)
with qvb.open("beam.qvb") as body:
    print("beam.qvb:", body.node_count, "nodes,", body.mode_count, "modes")
    assert body.node_count > 0 and body.mode_count > 0
PY

if ((failures)); then
  printf '\n%d pip check(s) failed\n' "$failures"
  exit 1
fi
printf '\npip checks passed\n'
