#!/usr/bin/env bash
# Runs the README's "Getting started" as a user would, verbatim: the build
# tree is installed into ~/qvb (HOME is a temporary folder), the `export`
# lines of the installation block set the search paths, and then every sh,
# c, fortran and python block runs in order in an empty folder (a c or
# fortran block is saved under the file name of its first comment line).
#
# Usage: check_readme.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/qvb-readme.XXXXXX")
trap 'rm -rf "$work"' EXIT
cmake --install "$build_dir" --prefix "$work/qvb" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
[[ -f $work/qvb/lib/libqvb.so ]] || { echo "the README assumes lib/; this tree installs elsewhere"; exit 1; }
mkdir "$work/try"

# The blocks, as one script.
python3 - "$source_dir/README.md" >"$work/getting-started.sh" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
section = text.split("## Getting started", 1)[1].split("\n## ", 1)[0]
blocks = re.findall(r"^```(\w+)\n(.*?)^```", section, flags=re.S | re.M)
assert {kind for kind, _ in blocks} >= {"shell", "sh", "c", "fortran", "python"}, blocks
print("set -euo pipefail")
for kind, body in blocks:
    print(f"echo '--- {kind} block'")
    if kind == "shell":  # the installation: done by the test; its search paths
        print("\n".join(line for line in body.splitlines() if line.startswith("export ")))
        print('cd "$HOME/try"')
    elif kind == "sh":
        print(body)
    elif kind in ("c", "fortran"):
        name = re.match(r"\s*(?:/\*|!)\s*(\S+)", body).group(1)
        print(f"cat > {name} <<'QVB_README_EOF'\n{body}QVB_README_EOF")
    elif kind == "python":
        print(f"python3 - <<'QVB_README_EOF'\n{body}QVB_README_EOF")
PY
env -i HOME="$work" PATH=/usr/bin:/bin TMPDIR="$work" MPLBACKEND=Agg bash "$work/getting-started.sh"
for made in beam.qvb beam.mtx beam_mode7.png first first_f point.qvb; do
  [[ -s $work/try/$made ]] || { echo "FAILED: the README's steps made no $made"; exit 1; }
done
echo "README getting started: passed"
