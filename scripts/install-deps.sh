#!/usr/bin/env bash
# Installs every Debian package QelTessary needs to build, test and benchmark.
# Idempotent: does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
  libjsoncpp-dev rapidjson-dev libcli11-dev
  libcurl4-openssl-dev libproxy-dev libglib2.0-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev libssl-dev openssl
  fonts-dejavu-core
  shared-mime-info
  bfs fd-find findutils time
  unzip
  ccache
  bash-completion
  lintian appstream desktop-file-utils groff-base man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
