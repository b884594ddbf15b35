#!/usr/bin/env bash
# The README's pip lines, word for word: a fresh virtual environment that sees
# the system's numpy, setuptools and wheel, and pip install of the checkout,
# offline; then the package and its console scripts (ccx2qvb among them) are
# used from a folder outside the checkout with no environment pointing anywhere.
#
# Usage: check_pip.sh SOURCE_DIR PYTHON CMAKE_BUILD_DIR VERSION
set -euo pipefail
source_dir=$1 python=$2 build_dir=$3 version=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/qvb-pip.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
step() { printf '\n== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*"; failures=$((failures + 1)); }
venv=$work/qvb-env  # where the README's lines put it (HOME is $work)
# Only the virtual environment on PATH (and the system's tools: cmake, the
# compilers); no QVB_*, TRX_* or LD_LIBRARY_PATH.
in_venv() { env -i PATH="$venv/bin:/usr/bin:/bin" HOME="$work" TMPDIR="$work" MPLBACKEND=Agg "$@"; }

step "the README's pip lines, word for word, from the checkout (offline)"
"$python" - "$source_dir/README.md" >"$work/pip-lines.sh" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
section = text.split("## Getting started", 1)[1].split("\n## ", 1)[0]
blocks = re.findall(r"^```bash\n(.*?)^```", section, flags=re.S | re.M)
assert len(blocks) == 1 and "pip install" in blocks[0], blocks
print(blocks[0])
PY
# The README's python3 is this test's; pip may not reach any index.
mkdir "$work/bin"
ln -s "$(command -v "$python")" "$work/bin/python3"
(cd "$source_dir" && env -i PATH="$work/bin:/usr/bin:/bin" HOME="$work" TMPDIR="$work" QVB_PIP_BUILD_DIR="$build_dir" \
    PIP_NO_INDEX=1 PIP_NO_CACHE_DIR=1 PIP_DISABLE_PIP_VERSION_CHECK=1 bash -e "$work/pip-lines.sh" \
    >"$work/pip.log" 2>&1) || { tail -40 "$work/pip.log"; exit 1; }
[[ -x $venv/bin/python ]] || { echo "the README's lines made no environment in ~/qvb-env"; exit 1; }

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
in_venv sh -c 'command -v ccx2qvb' | grep -qx "$venv/bin/ccx2qvb" || fail "ccx2qvb is not on PATH"
in_venv ccx2qvb --version | grep -q '^ccx2qvb ' || fail "ccx2qvb --version"
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
