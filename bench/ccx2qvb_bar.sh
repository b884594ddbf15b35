#!/bin/sh
# ccx2qvb's own time against the solver's: gmsh meshes a 1 m steel bar
# (ccx2qvb_bar.geo) at each element size given (default 0.01 m, about 10^4
# nodes; 0.004 m gives about 10^5), then ccx2qvb translates it free-free and
# with its two end faces as interfaces, and one table row per run is printed
# from the command's --times lines. Work files go to $QVB_BENCH_OUT (default
# BUILD/bench-ccx2qvb).
#   sh bench/ccx2qvb_bar.sh BUILD_DIR [SIZE...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: ccx2qvb_bar.sh BUILD_DIR [SIZE...]}" && pwd)
shift
[ $# -gt 0 ] || set -- 0.01
out=${QVB_BENCH_OUT:-$build/bench-ccx2qvb}
mkdir -p "$out"
cd "$out"

echo "| nodes | interfaces | ccx wall s | ccx cpu s | own wall s | own cpu s | own/ccx wall | parse | reduction | mass | results | body | verify |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
for h in "$@"; do
  gmsh "$here/ccx2qvb_bar.geo" -setnumber h "$h" -3 -format inp -o bar_gmsh.inp >gmsh.log
  # Solid elements and the end faces' node sets only.
  awk '/^\*/ { x = toupper($0); gsub(/ /, "", x)
               skip = (x ~ /^\*ELEMENT,/ && x !~ /TYPE=C3D10/) || x ~ /^\*ELSET,ELSET=END/ }
       !skip' bar_gmsh.inp >bar_mesh.inp
  cat >bar.inp <<DECK
*INCLUDE, INPUT=bar_mesh.inp
*MATERIAL, NAME=STEEL
*ELASTIC
2.1E11, 0.3
*DENSITY
7850.
*SOLID SECTION, ELSET=BAR, MATERIAL=STEEL
DECK
  nodes=$(awk '/^\*/ { n = (toupper($0) ~ /^\*NODE *$/) ; next } n && NF { c++ } END { print c }' bar_mesh.inp)
  for interfaces in 0 2; do
    if [ "$interfaces" = 0 ]; then set --; else set -- -i END0 -i END1; fi
    "$build/bin/ccx2qvb" bar.inp -o bar.qvb -n 20 --times "$@" 2>times.txt >/dev/null
    awk -v nodes="$nodes" -v ifc="$interfaces" '
      $1 == "ccx2qvb:" && $2 == "time" { t[$3] = $4 }
      END { printf "| %d | %d | %.1f | %.1f | %.2f | %.2f | %.1f %% | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n",
                   nodes, ifc, t["ccx"], t["ccx-processor"], t["own"], t["own-processor"], 100 * t["own"] / t["ccx"],
                   t["parse"], t["reduction"], t["mass"], t["results"], t["body"], t["verify"] }' times.txt
  done
done
