#!/usr/bin/env bash
# Times qeltessary-cli against GNU find, bfs and fd (fdfind -u, default
# threads and -j1) on a generated tree of about 400 000 files in 17 000
# folders, for four equivalent queries, on a warm cache; then once more for
# one query on a cold cache (the page cache dropped before every run of every
# tool, where the machine allows it). Every tool must find the same set of
# paths before anything is timed.
#
#   bench/run.sh
#
# QEL_BENCH_TREE (default /tmp/qeltessary-bench/tree) is where the tree is
# made once and kept; QEL_BENCH_ROUNDS (default 11) is the number of timed
# rounds on a warm cache, QEL_BENCH_COLD_ROUNDS (default 3) on a cold one.
# Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/prepare.sh qel_bench_tools
CLI=$BIN/qeltessary-cli
ROUNDS=${QEL_BENCH_ROUNDS:-11}
COLD_ROUNDS=${QEL_BENCH_COLD_ROUNDS:-3}

echo "Machine: $(nproc) cores; $(find --version | head -1); $(bfs --version | head -1); $(fdfind --version)"
echo "Tree: $TREE, $("$BIN/qel_bench_getdents_floor" "$TREE") entries"
find "$TREE" >/dev/null  # warm the cache

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0

# query NAME OUR-ARGS -- FIND-ARGS -- FD-ARGS
query() {
  local name=$1; shift
  local ours=() findq=() fdq=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done; shift
  while [ "$1" != "--" ]; do findq+=("$1"); shift; done; shift
  fdq=("$@")

  echo
  echo "== $name"
  # Same set of paths from every tool (fd marks folders with a trailing "/").
  "$CLI" search "$TREE" "${ours[@]}" | LC_ALL=C sort > "$WORK/ours" || true
  find "$TREE" "${findq[@]}" | LC_ALL=C sort > "$WORK/find"
  bfs "$TREE" "${findq[@]}" | LC_ALL=C sort > "$WORK/bfs"
  fdfind -u "${fdq[@]}" "$TREE" | sed 's#/$##' | LC_ALL=C sort > "$WORK/fd"
  fdfind -u -j1 "${fdq[@]}" "$TREE" | sed 's#/$##' | LC_ALL=C sort > "$WORK/fd1"
  for peer in find bfs fd fd1; do
    if ! cmp -s "$WORK/ours" "$WORK/$peer"; then
      echo "  DIFFERENT RESULTS: qeltessary-cli $(wc -l < "$WORK/ours") paths, $peer $(wc -l < "$WORK/$peer") paths"
      diff "$WORK/ours" "$WORK/$peer" | head -5
      status=1
      return
    fi
  done
  echo "  all tools found the same $(wc -l < "$WORK/ours") paths"
  "$BIN/qel_bench_time" "$ROUNDS" \
    "qeltessary-cli" - "$CLI" search "$TREE" "${ours[@]}" ::: \
    "GNU find" 0.7 find "$TREE" "${findq[@]}" ::: \
    "bfs" 0.9 bfs "$TREE" "${findq[@]}" ::: \
    "fdfind -u" 1.0 fdfind -u "${fdq[@]}" "$TREE" ::: \
    "fdfind -u -j1" - fdfind -u -j1 "${fdq[@]}" "$TREE" ::: \
    "getdents floor" - "$BIN/qel_bench_getdents_floor" "$TREE" || status=1
}

query "name string \"report\"" --name report -- ! -type d -name '*report*' -- -s -t f -F report
query "extension \"txt\"" --ext txt -- ! -type d -name '?*.txt' -- -s -t f '^.+\.txt$'
query "folder name \"src\"" --folder src -- -type d -name src -- -s -t d '^src$'
query "every file" --name '' -- ! -type d -- -t f ''

peak=$( { /usr/bin/time -f %M "$CLI" search "$TREE" --name '' >/dev/null; } 2>&1 )
echo
echo "Peak memory of qeltessary-cli with every file as a result: $((peak / 1024)) MB (limit 32 MB)"
[ "$peak" -lt $((32 * 1024)) ] || status=1

echo
echo "== cold cache: name string \"report\" (page cache dropped before every run)"
if [ "$(id -u)" = 0 ] && sync && echo 3 2>/dev/null > /proc/sys/vm/drop_caches; then
  "$BIN/qel_bench_time" --cold "$COLD_ROUNDS" \
    "qeltessary-cli" - "$CLI" search "$TREE" --name report ::: \
    "GNU find" - find "$TREE" ! -type d -name '*report*' ::: \
    "bfs" - bfs "$TREE" ! -type d -name '*report*' ::: \
    "fdfind -u" 0.8 fdfind -u -s -t f -F report "$TREE" ::: \
    "fdfind -u -j1" - fdfind -u -j1 -s -t f -F report "$TREE" ::: \
    "getdents floor" - "$BIN/qel_bench_getdents_floor" "$TREE" || status=1
else
  echo "  skipped: the page cache cannot be dropped here (needs root and a writable /proc/sys/vm/drop_caches)"
fi

echo
if [ $status -eq 0 ]; then echo "All targets met."; else echo "Some targets were missed (see above)."; fi
exit $status
