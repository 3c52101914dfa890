#!/usr/bin/env bash
# Times a whole search in the main window (offscreen: Search pressed until the
# result window holds every row) against qeltessary-cli on the generated tree
# of about 400 000 files, for the match-everything query, and reports the
# peak memory of both side by side.
#
#   bench/gui/run.sh
#
# QEL_BENCH_TREE (default /tmp/qeltessary-bench/tree) is where the tree is
# made once and kept (shared with bench/run.sh); QEL_BENCH_GUI_ROUNDS
# (default 5) is the number of timed rounds. Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/prepare.sh qel_bench_gui_tools
find "$TREE" >/dev/null  # warm the cache

exec "$BIN/qel_bench_gui" "$TREE" "$BIN/qeltessary-cli" "${QEL_BENCH_GUI_ROUNDS:-5}"
