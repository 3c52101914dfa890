# Sourced by the benchmark scripts: installs what is missing, builds the given
# targets in the optimised tree and makes the generated tree once.
# Sets BIN (the executables) and TREE (the generated tree).
#
#   . bench/prepare.sh TARGET...
set -euo pipefail
scripts/install-deps.sh

BUILD=build/release
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=ON "${LAUNCHER[@]}" >/dev/null
cmake --build "$BUILD" --target "$@" >/dev/null
BIN=$BUILD/bin
TREE=${QEL_BENCH_TREE:-/tmp/qeltessary-bench/tree}

# The tree is rebuilt only when the generator changed.
STAMP="$TREE.stamp"
WANT=$(sha256sum bench/qel_bench_gen_tree.cpp | cut -d' ' -f1)
if [ "$(cat "$STAMP" 2>/dev/null)" != "$WANT" ]; then
  echo "Generating the tree in $TREE ..."
  rm -rf "$TREE" "$STAMP"
  mkdir -p "$(dirname "$TREE")"
  "$BIN/qel_bench_gen_tree" "$TREE"
  echo "$WANT" > "$STAMP"
fi
