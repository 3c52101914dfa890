#!/usr/bin/env bash
# Times the result window's Delete, Copy and Move (through qel_bench_ops,
# which runs the same library code) against the coreutils command a user
# would type instead, on a generated tree of about 100 000 files in 5 000
# folders, warm cache, fresh copies of the tree for every run:
#
#   Delete of every row (files, then folders)   vs  rm -rf of the tree
#   Copy of the folder rows (the top folders)   vs  cp -r of the same folders
#   Move of the tree's folder, one file system  vs  mv
#
#   bench/ops/run.sh
#
# QEL_BENCH_OPS_DIR (default /tmp/qeltessary-bench/ops) holds the tree and the
# working copies; QEL_BENCH_ROUNDS (default 5) is the number of rounds;
# QEL_BENCH_BUILD (default build/release) the optimised build tree. Targets:
# Delete and Copy at most 1.3 x coreutils (medians), a folder move under
# 10 ms. Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${QEL_BENCH_BUILD:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" --target qel_bench_ops_tools >/dev/null
BIN=$BUILD/bin
DIR=${QEL_BENCH_OPS_DIR:-/tmp/qeltessary-bench/ops}
ROUNDS=${QEL_BENCH_ROUNDS:-5}
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
echo "Machine: $(nproc) cores, $(uname -r); $(rm --version | head -1); tree $TREE: $(find "$TREE" -type f | wc -l) files, $(find "$TREE" -mindepth 1 -type d | wc -l) folders"

fresh() { rm -rf "$WORK"; mkdir -p "$WORK"; cp -a "$TREE" "$WORK/tree"; sync; }
seconds() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N); awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", (b - a) / 1e9 }'; }
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

declare -A times
for ((round = 1; round <= ROUNDS; round++)); do
  fresh; times[delete_ours]+="$("$BIN/qel_bench_ops" delete "$WORK/tree" | cut -d' ' -f1) "
  fresh; times[delete_core]+="$(seconds rm -rf "$WORK/tree") "
  fresh; mkdir "$WORK/c"
  times[copy_ours]+="$("$BIN/qel_bench_ops" copy "$WORK/tree" "$WORK/c" | cut -d' ' -f1) "
  rm -rf "$WORK/c"; mkdir "$WORK/c"
  mapfile -t tops < <(find "$WORK/tree" -mindepth 1 -maxdepth 1 -type d ! -name '.*')
  times[copy_core]+="$(seconds cp -r "${tops[@]}" "$WORK/c/") "
  mkdir -p "$WORK/m1" "$WORK/m2"
  times[move_ours]+="$("$BIN/qel_bench_ops" move "$WORK/tree" "$WORK/m1" | cut -d' ' -f1) "
  times[move_core]+="$(seconds mv "$WORK/m1/tree" "$WORK/m2/") "
done
rm -rf "$WORK"

status=0
printf '\n%-34s %12s %12s %8s %s\n' "operation ($ROUNDS rounds, median)" "ours (s)" "coreutils (s)" "ratio" "target"
row() {
  local name=$1 ours=$2 core=$3 target=$4 verdict
  local o c r
  o=$(echo ${times[$ours]} | tr ' ' '\n' | median)
  c=$(echo ${times[$core]} | tr ' ' '\n' | median)
  r=$(awk -v o="$o" -v c="$c" 'BEGIN { printf "%.2f", o / c }')
  if [ "$target" = "10ms" ]; then
    verdict=$(awk -v o="$o" 'BEGIN { print (o < 0.010) }')
  else
    verdict=$(awk -v r="$r" -v t="$target" 'BEGIN { print (r <= t) }')
  fi
  [ "$verdict" = 1 ] && verdict=met || { verdict=MISSED; status=1; }
  printf '%-34s %12s %12s %8s %s %s\n' "$name" "$o" "$c" "$r" "$target" "$verdict"
}
row "Delete every row vs rm -rf" delete_ours delete_core 1.3
row "Copy folder rows vs cp -r" copy_ours copy_core 1.3
row "Move folder, one fs vs mv" move_ours move_core 10ms
exit $status
