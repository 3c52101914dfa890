#!/usr/bin/env bash
# Installs what is missing, builds the optimised program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
if [ -x build/release/bin/qeltessary ]; then
  exec build/release/bin/qeltessary "$@"
fi
echo "The main window is not built yet; try build/release/bin/qeltessary-cli --help" >&2
exit 1
