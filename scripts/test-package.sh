#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian, the desktop entry, the
# AppStream metadata and the manual pages as shipped; then installs it with
# apt, runs both programs from /usr/bin, removes it and checks that nothing of
# it is left in /usr. It installs into this machine (CI runs it as root on a
# throwaway one); a qeltessary package installed before is purged first.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
apt=($SUDO apt-get -y -qq -o DPkg::Lock::Timeout=600)
fail() { echo "test-package: $*" >&2; exit 1; }
installed() { dpkg-query -W -f='${Status}' qeltessary 2>/dev/null | grep -q "ok installed"; }

deb=$(scripts/package.sh | tail -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== lintian $(basename "$deb")"
lintian --fail-on error "$deb"

echo "== desktop entry, AppStream metadata and manual pages"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/qeltessary.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.github.qeltessary.QelTessary.metainfo.xml" >/dev/null
for page in qeltessary qeltessary-cli; do
  warnings=$(zcat "$work/root/usr/share/man/man1/$page.1.gz" | groff -ww -man -Tutf8 -z 2>&1)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
done

echo "== install"
if installed; then "${apt[@]}" purge qeltessary >/dev/null; fi
"${apt[@]}" install --no-install-recommends "$deb" >/dev/null
installed || fail "the package did not install"
version=$(dpkg-query -W -f='${Version}' qeltessary)

mkdir -p "$work/tree/docs/sub" "$work/home"
touch "$work/tree/docs/a.pdf" "$work/tree/docs/sub/b.pdf" "$work/tree/c.txt" "$work/tree/d.png"
# A fresh user: the filters come from the shipped env.json under /usr/share.
run() { (cd / && env -u QELTESSARY_HOME -u XDG_CONFIG_HOME HOME="$work/home" "$@"); }
found=$(run /usr/bin/qeltessary-cli search "$work/tree" --filter Documents | LC_ALL=C sort)
[ "$found" = "$(printf '%s\n' "$work/tree/c.txt" "$work/tree/docs/a.pdf" "$work/tree/docs/sub/b.pdf")" ] ||
  fail "qeltessary-cli search found: $found"
run /usr/bin/qeltessary-cli --list-filters | grep -qx Documents || fail "qeltessary-cli --list-filters misses Documents"
shown=$(run env QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/qeltessary --version) || fail "qeltessary --version failed"
[[ $shown == *"$version"* ]] || fail "qeltessary --version printed \"$shown\", not $version"
loaded=$(bash -c '. /usr/share/bash-completion/bash_completion; __load_completion qeltessary-cli; complete -p qeltessary-cli')
[ "$loaded" = "complete -F _qeltessary_cli qeltessary-cli" ] || fail "bash-completion does not load qeltessary-cli's: $loaded"

echo "== remove"
"${apt[@]}" remove qeltessary >/dev/null
! installed || fail "the package is still installed"
left=$(find /usr -name '*qeltessary*')
[ -z "$left" ] || fail "left in /usr: $left"
echo "package $(basename "$deb"): installed, ran and removed cleanly"
