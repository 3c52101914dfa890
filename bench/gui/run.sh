#!/usr/bin/env bash
# Times a whole search in the main window (offscreen: Search pressed until the
# result window holds every row) against qeltessary-cli on the generated tree
# of about 400 000 files, for the match-everything query, and reports the
# peak memory of the program.
#
#   bench/gui/run.sh
#
# QEL_BENCH_TREE (default /tmp/qeltessary-bench/tree) is where the tree is
# made once and kept (shared with bench/run.sh); QEL_BENCH_GUI_ROUNDS
# (default 5) is the number of timed rounds. Exit status 1 when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" --target qel_bench_gui_tools >/dev/null
BIN=$BUILD/bin
TREE=${QEL_BENCH_TREE:-/tmp/qeltessary-bench/tree}

# The same tree as bench/run.sh, rebuilt only when the generator changed.
STAMP="$TREE.stamp"
WANT=$(sha256sum bench/qel_bench_gen_tree.cpp | cut -d' ' -f1)
if [ "$(cat "$STAMP" 2>/dev/null)" != "$WANT" ]; then
  echo "Generating the tree in $TREE ..."
  rm -rf "$TREE" "$STAMP"
  mkdir -p "$(dirname "$TREE")"
  "$BIN/qel_bench_gen_tree" "$TREE"
  echo "$WANT" > "$STAMP"
fi
find "$TREE" >/dev/null  # warm the cache

exec "$BIN/qel_bench_gui" "$TREE" "$BIN/qeltessary-cli" "${QEL_BENCH_GUI_ROUNDS:-5}"
