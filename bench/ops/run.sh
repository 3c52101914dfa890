#!/usr/bin/env bash
# Times the result window's Delete, Copy and Move (through qel_bench_ops,
# which runs the same library code) against the coreutils command a user
# would type instead, on a generated tree of about 100 000 files in 5 000
# folders, warm cache, a fresh copy of the tree for every run:
#
#   Delete of every row (files, then folders)   vs  rm -rf of the tree
#   Copy of the folder rows (the top folders)   vs  cp -r of the same folders
#   Move of the tree's folder, one file system  vs  mv
#
#   bench/ops/run.sh
#
# QEL_BENCH_OPS_DIR (default /tmp/qeltessary-bench/ops) holds the trees and
# the working copies: the file system it lies on is the one measured (a tmpfs
# shows the cost in system calls, a disk what a user waits for);
# QEL_BENCH_ROUNDS (default 3) is the number of rounds; QEL_BENCH_BUILD
# (default build/release) the optimised build tree. Targets: Delete at
# most 1.3 x and Copy at most 1.0 x coreutils (median wall times), a folder
# move under 10 ms.
# Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${QEL_BENCH_BUILD:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" --target qel_bench_ops_tools >/dev/null
BIN=$BUILD/bin
DIR=${QEL_BENCH_OPS_DIR:-/tmp/qeltessary-bench/ops}
ROUNDS=${QEL_BENCH_ROUNDS:-3}
TREE=$DIR/tree
WORK=$DIR/work

STAMP="$TREE.stamp"
WANT=$(sha256sum bench/qel_bench_gen_tree.cpp | cut -d' ' -f1)
if [ "$(cat "$STAMP" 2>/dev/null)" != "$WANT" ]; then
  rm -rf "$TREE" "$STAMP"
  mkdir -p "$DIR"
  "$BIN/qel_bench_gen_tree" "$TREE" 100000 5000
  echo "$WANT" > "$STAMP"
fi
rm -rf "$DIR/tree-nodot"  # left by earlier versions, which copied without dot-names
echo "Machine: $(nproc) cores, $(uname -r), $(rm --version | head -1); $DIR on $(df --output=fstype "$DIR" | tail -1)"
echo "Tree: $(find "$TREE" -type f | wc -l) files, $(find "$TREE" -mindepth 1 -type d | wc -l) folders"

fresh() { rm -rf "$WORK"; mkdir -p "$WORK"; cp -a "$1" "$WORK/tree"; sync; }
# "wall cpu" seconds of a coreutils command
coreutils() { local TIMEFORMAT='%R %U %S'; { time "$@" >/dev/null; } 2>&1 | awk '{ printf "%s %.3f", $1, $2 + $3 }'; }
# "wall cpu" seconds of the operation alone
ours() { "$BIN/qel_bench_ops" "$@" | awk '{ printf "%s %s", $1, $2 }'; }

declare -A wall cpu
add() { wall[$1]+="${2% *} "; cpu[$1]+="${2#* } "; }
for ((round = 1; round <= ROUNDS; round++)); do
  fresh "$TREE"; add delete_ours "$(ours delete "$WORK/tree")"
  fresh "$TREE"; add delete_core "$(coreutils rm -rf "$WORK/tree")"
  fresh "$TREE"; mkdir "$WORK/c"; add copy_ours "$(ours copy "$WORK/tree" "$WORK/c")"
  rm -rf "$WORK/c"; mkdir "$WORK/c"
  mapfile -t tops < <(find "$WORK/tree" -mindepth 1 -maxdepth 1 -type d ! -name '.*')
  add copy_core "$(coreutils cp -r "${tops[@]}" "$WORK/c/")"
  mkdir -p "$WORK/m1" "$WORK/m2"
  add move_ours "$(ours move "$WORK/tree" "$WORK/m1")"
  add move_core "$(coreutils mv "$WORK/m1/tree" "$WORK/m2/")"
  echo "round $round done"
done
rm -rf "$WORK"

median() { tr ' ' '\n' | grep . | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
status=0
printf '\n%-30s %10s %10s %6s %9s %9s  %s\n' "median of $ROUNDS rounds" "ours s" "coreutils" "ratio" "ours cpu" "core cpu" "target"
row() {
  local name=$1 key=$2 target=$3 o c r verdict
  o=$(echo "${wall[${key}_ours]}" | median)
  c=$(echo "${wall[${key}_core]}" | median)
  r=$(awk -v o="$o" -v c="$c" 'BEGIN { printf "%.2f", o / c }')
  if [ "$target" = "10ms" ]; then verdict=$(awk -v o="$o" 'BEGIN { print (o < 0.010) }')
  else verdict=$(awk -v r="$r" -v t="$target" 'BEGIN { print (r <= t) }'); fi
  if [ "$verdict" = 1 ]; then verdict=met; else verdict=MISSED; status=1; fi
  printf '%-30s %10s %10s %6s %9s %9s  %s %s\n' "$name" "$o" "$c" "$r" "$(echo "${cpu[${key}_ours]}" | median)" \
    "$(echo "${cpu[${key}_core]}" | median)" "$target" "$verdict"
}
row "Delete all rows vs rm -rf" delete 1.3
row "Copy folder rows vs cp -r" copy 1.0
row "Move folder (one fs) vs mv" move 10ms
exit $status
