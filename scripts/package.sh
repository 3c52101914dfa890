#!/usr/bin/env bash
# Builds the Debian package build/deb/qeltessary_VERSION_ARCH.deb: an
# optimised build with Debian's hardening flags, installed below /usr, its
# dependencies computed by dpkg-shlibdeps. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Debian's flags without its -g and -O2: the Release build's -O3, and CPack strips.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP="-g -O2" DEB_CXXFLAGS_MAINT_STRIP="-g -O2" dpkg-buildflags --get "$1"; }
cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build build/deb >&2
rm -f build/deb/*.deb
(cd build/deb && cpack -G DEB >&2)
ls "$PWD"/build/deb/*.deb
