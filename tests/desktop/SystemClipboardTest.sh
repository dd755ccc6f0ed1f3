#!/usr/bin/env bash
# The system clipboard of a real X display: the program runs under Xvfb, a formula is typed into
# its first line as a user types it, Ctrl+Alt+C copies it, and xclip (another X client, as any
# program pasting would be) reads the flavours it offers and each flavour's content.
#
# Usage: SystemClipboardTest.sh PROGRAM
set -euo pipefail

program=$(realpath "${1:?usage: $0 PROGRAM}")
for tool in xvfb-run xdotool xclip xmllint; do
    if ! command -v $tool >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
if [ -z "${ZELM_ON_XVFB:-}" ]; then
    exec env ZELM_ON_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A copy of the program with its recovery folder already beside it: no message about a new
# folder takes the focus from the line.
mkdir -p "$work/bin/Herstel" "$work/home"
cp "$program" "$work/bin/ZelmEditor"
HOME="$work/home" XDG_DATA_HOME="$work/home/share" XDG_CONFIG_HOME="$work/home/config" \
    QT_QPA_PLATFORM=xcb "$work/bin/ZelmEditor" 2>"$work/stderr" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name ZelmEditor | head -1)
[ -n "$window" ] || { echo "FAIL: no window: $(cat "$work/stderr")" >&2; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.3
# Formula mode; the fraction (a+b)/c; copied as a formula.
xdotool key --delay 20 ctrl+t alt+Up
xdotool type --delay 20 "a+b"
xdotool key --delay 20 Down c ctrl+alt+c
sleep 0.3

clip() { timeout 5 xclip -selection clipboard -t "$1" -o; }
flavours=(text/plain text/html application/mathml+xml application/mathml-presentation+xml
          text/x-unicodemath)
targets=$(clip TARGETS || true)
for type in "${flavours[@]}"; do
    grep -qx "$type" <<<"$targets" || fail "$type is not offered (offered: $(echo $targets))"
done
latex=$(clip text/plain || true)
[ "${latex// /}" = '\frac{a+b}{c}' ] || fail "text/plain is '$latex'"
html=$(clip text/html || true)
[[ $html == "<math"*"<mfrac>"*"</math>" ]] || fail "text/html is '$html'"
for type in application/mathml+xml application/mathml-presentation+xml; do
    clip "$type" >"$work/formula.xml" || true
    head -n 1 "$work/formula.xml" | grep -q '^<?xml version="1.0" encoding="UTF-8"?>' ||
        fail "$type has no XML declaration"
    xmllint --noout "$work/formula.xml" || fail "$type is not well-formed"
    grep -q "<mfrac>" "$work/formula.xml" || fail "$type holds no fraction"
done
unicode=$(clip text/x-unicodemath || true)
[[ ${unicode// /} == *"a+b"*"/"*"c"* ]] || fail "text/x-unicodemath is '$unicode'"

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "system clipboard: all checks passed"
