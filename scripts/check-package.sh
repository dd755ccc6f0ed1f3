#!/usr/bin/env bash
# Checks the Debian package that `make package` built: its declared dependencies, its files,
# that dpkg installs it into a fresh, empty root, and that apt can satisfy every dependency on
# a Debian 12 machine that has nothing installed (an empty dpkg status, the archive's lists).
#
# Usage: check-package.sh BUILD_FOLDER
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_FOLDER}" && pwd)
deb=$(ls -t "$build"/zelmeditor_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no zelmeditor_*.deb in $build (make package)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

echo "== $deb"
dpkg-deb --info "$deb"

# The Qt libraries the program links and what it loads at run time.
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins \
    fonts-wine fonts-urw-base35 fonts-liberation2; do
    grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for file in ./usr/bin/ZelmEditor \
    ./usr/share/applications/nl.zelmeditor.ZelmEditor.desktop \
    ./usr/share/metainfo/nl.zelmeditor.ZelmEditor.metainfo.xml \
    ./usr/share/mime/packages/nl.zelmeditor.ZelmEditor.xml \
    ./usr/share/icons/hicolor/scalable/apps/nl.zelmeditor.ZelmEditor.svg \
    ./usr/share/icons/hicolor/scalable/mimetypes/application-x-zelmeditor.svg \
    ./usr/share/zelmeditor/fonts/tangerine-latin-400-normal.woff \
    ./usr/share/zelmeditor/fonts/tangerine-latin-700-normal.woff; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done

# dpkg into a fresh root: an empty database, nothing else installed (hence --force-depends).
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
asRoot=()
[ "$(id -u)" -eq 0 ] || asRoot=(--force-not-root)
echo "== dpkg --root $root -i"
dpkg --root="$root" "${asRoot[@]}" --force-depends -i "$deb"
[ "$(dpkg --root="$root" -s zelmeditor | sed -n 's/^Status: //p')" = "install ok installed" ] ||
    fail "dpkg did not install the package into the fresh root"
[ -x "$root/usr/bin/ZelmEditor" ] || fail "no /usr/bin/ZelmEditor in the fresh root"

# apt on a machine with nothing installed: every dependency must come from the archive.
if ! ls /var/lib/apt/lists/*_Packages >/dev/null 2>&1; then
    [ "$(id -u)" -eq 0 ] && apt-get update -qq
fi
touch "$work/empty-status"
echo "== apt-get install --simulate on an empty system"
if apt-get -o Dir::State::status="$work/empty-status" -o Debug::NoLocking=1 \
    install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1; then
    grep -c '^Inst ' "$work/apt.log" | sed 's/$/ packages would be installed/'
    grep -q '^Inst zelmeditor ' "$work/apt.log" || fail "apt would not install zelmeditor"
else
    cat "$work/apt.log" >&2
    fail "apt cannot satisfy the dependencies"
fi

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package: all checks passed"
