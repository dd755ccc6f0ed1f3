#!/usr/bin/env bash
# Installs whatever the build, the tests and the program need and is not yet on this machine.
# Debian 12; runs apt-get through sudo when not root. Safe to run again: it does nothing when
# everything is present.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n libxcb1-dev
    libjpeg62-turbo-dev zlib1g-dev libzip-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-wine fonts-urw-base35 fonts-liberation2
    nodejs npm
    xvfb xauth imagemagick librsvg2-bin
    xdotool xclip  # test-only: the program driven by keys, the system clipboard read back
    pandoc unzip  # test-only: the office exports read back by programs not ours
    desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libxml2-utils
    w3c-sgml-lib
    file
    valgrind
    clang libclang-rt-14-dev
    # test-only: the program on a real accessibility bus, driven like a screen reader
    dbus dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# nodejs/npm may come from elsewhere than Debian; a working npm is enough.
if command -v npm >/dev/null 2>&1; then
    missing=("${missing[@]/nodejs}"); missing=("${missing[@]/npm}")
fi
read -r -a missing <<<"${missing[*]:-}"

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Tangerine face comes from the npm registry (SIL Open Font License).
font_dir="$here/.deps/node_modules/@fontsource/tangerine"
if [ ! -d "$font_dir/files" ]; then
    echo "Installing @fontsource/tangerine"
    mkdir -p "$here/.deps"
    npm install --silent --no-audit --no-fund --prefix "$here/.deps" @fontsource/tangerine@5 >/dev/null
fi

# KaTeX, the test that every LaTeX the writer makes renders, from the npm registry (MIT).
if [ ! -f "$here/.deps/node_modules/katex/package.json" ]; then
    echo "Installing katex"
    mkdir -p "$here/.deps"
    npm install --silent --no-audit --no-fund --prefix "$here/.deps" katex@0.19 >/dev/null
fi
