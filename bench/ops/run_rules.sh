#!/usr/bin/env bash
# Times the result window's rename rules and exports through the library
# calls the window makes:
#
#   rename rule over every file of a tree of about 100 000 files (the first
#     100 000 files of the generated tree, copied to a tree of its own),
#     against a C loop of renameat2      target at most 1.5 x
#   Save TXT of the generated tree's 400 000 files against one write() of
#     the same bytes                      target at most 2 x
#   Save Excel of the same 400 000 rows   target under 4 s and under 300 MB
#
#   bench/ops/run_rules.sh
#
# QEL_BENCH_ROUNDS (default 5) rounds each. Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/prepare.sh qel_bench_ops_rules qel_bench_gen_tree
ROUNDS=${QEL_BENCH_ROUNDS:-5}
DRIVER=$BIN/qel_bench_ops_rules

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
SUB=$WORK/tree100k
mkdir -p "$SUB"
# find stops early on a closed pipe, which is no failure here.
(cd "$TREE" && { find . -type f -print0 || true; } | head -z -n 100000 | tar --null -T - -cf -) | tar -xf - -C "$SUB"
echo "Machine: $(nproc) cores; rename tree: $(find "$SUB" -type f | wc -l) files in $(find "$SUB" -mindepth 1 -type d | wc -l) folders"
find "$TREE" >/dev/null  # warm the cache

status=0
"$DRIVER" rename "$SUB" "$ROUNDS" || status=1
"$DRIVER" txt "$TREE" "$ROUNDS" || status=1
"$DRIVER" excel "$TREE" "$WORK/result.xlsx" || status=1
exit $status
