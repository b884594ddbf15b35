#!/bin/sh
# ccx2qvb against the solver run a user makes anyway: gmsh meshes a 1 m steel
# bar (ccx2qvb_bar.geo) at each element size given (0.007 m gives 23,188
# nodes, 0.004 m 101,394), and each run is timed side by side, RUNS times
# (default 3):
#   plain  the solver alone: *FREQUENCY, 26 modes, stresses and strains
#   free   ccx2qvb -n 20 (26 modes with the rigid ones), stresses
#   cb     ccx2qvb -n 20 -i END0 -i END1 (Craig-Bampton, 12 + 20 modes)
# One row per size and run kind: medians of wall and processor seconds
# (the process and its children), the peak memory of the process tree
# (the resident sizes of ccx2qvb and its running solver added, sampled every
# 0.2 s), the ratios to the plain run's medians, our own share of the
# processor time, and the load average (1 min) before each run: other
# people's work on the machine stretches wall time far more than processor
# time. Work files go to $QVB_BENCH_OUT (default BUILD/bench-ccx2qvb).
#   sh bench/ccx2qvb_bar.sh BUILD_DIR [SIZE...]      (RUNS=5 sh ... for five)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: ccx2qvb_bar.sh BUILD_DIR [SIZE...]}" && pwd)
shift
[ $# -gt 0 ] || set -- 0.007
runs=${RUNS:-3}
out=${QVB_BENCH_OUT:-$build/bench-ccx2qvb}
mkdir -p "$out"
cd "$out"
export TRX_USER_PLUGIN_DIR="${TRX_USER_PLUGIN_DIR:-$build/plugins}"

# timed NAME COMMAND...: runs the command, appends "wall cpu peakKB load" to NAME.runs.
timed() {
  name=$1
  shift
  load=$(cut -d' ' -f1 /proc/loadavg)
  /usr/bin/time -f "%e %U %S" -o "$name.time" "$@" &
  pid=$!
  peak=0
  while kill -0 "$pid" 2>/dev/null; do
    # The tree under time(1): ccx2qvb, its solver and their children.
    rss=$(ps -eo pid=,ppid=,rss= | awk -v root="$pid" '
      { parent[$1] = $2; rss[$1] = $3 }
      END { for (p in parent) { q = p; while (q != "" && q != root && q in parent && q != parent[q]) q = parent[q]
                                if (q == root) sum += rss[p] }
            print sum + 0 }')
    [ "$rss" -gt "$peak" ] && peak=$rss
    sleep 0.2
  done
  wait "$pid"
  awk -v peak="$peak" -v load="$load" '{ print $1, $2 + $3, peak, load }' "$name.time" >>"$name.runs"
}

# median FILE COLUMN
median() { sort -g -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'; }

echo "| nodes | run | wall s | cpu s | peak MB | wall / plain | cpu / plain | own share of cpu | load (1 min) |"
echo "|---|---|---|---|---|---|---|---|---|"
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
  { cat bar.inp; printf '*STEP\n*FREQUENCY\n26\n*EL FILE\nS, E\n*END STEP\n'; } >plain.inp
  nodes=$(awk '/^\*/ { n = (toupper($0) ~ /^\*NODE *$/) ; next } n && NF { c++ } END { print c }' bar_mesh.inp)
  rm -f plain.runs free.runs cb.runs free.own cb.own
  r=0
  while [ "$r" -lt "$runs" ]; do
    r=$((r + 1))
    timed plain ccx -i plain >/dev/null
    for kind in free cb; do
      if [ "$kind" = free ]; then set --; else set -- -i END0 -i END1; fi
      timed "$kind" "$build/bin/ccx2qvb" bar.inp -o "$kind.qvb" -n 20 --times "$@" 2>"$kind.times" >/dev/null
      awk '$2 == "time" && $3 == "own-processor" { print $4 }' "$kind.times" >>"$kind.own"
    done
  done
  plainWall=$(median plain.runs 1)
  plainCpu=$(median plain.runs 2)
  for kind in plain free cb; do
    wall=$(median $kind.runs 1)
    cpu=$(median $kind.runs 2)
    peak=$(median $kind.runs 3)
    own=-
    [ "$kind" = plain ] || own=$(awk -v o="$(median $kind.own 1)" -v c="$cpu" 'BEGIN { printf "%.0f %%", 100 * o / c }')
    loads=$(awk '{ printf "%s%s", sep, $4; sep = " " }' "$kind.runs")
    awk -v n="$nodes" -v k="$kind" -v w="$wall" -v c="$cpu" -v p="$peak" -v pw="$plainWall" -v pc="$plainCpu" \
        -v own="$own" -v loads="$loads" 'BEGIN {
      printf "| %d | %s | %.1f | %.1f | %.0f | %.2fx | %.2fx | %s | %s |\n", n, k, w, c, p / 1024, w / pw, c / pc, own, loads }'
  done
done
