#!/usr/bin/env bash
# The system clipboard of a real X display: under Xvfb a formula is typed into the program's
# first line, Ctrl+Alt+C copies it, and xclip, as any pasting program, reads each flavour.
# Usage: SystemClipboardTest.sh PROGRAM
set -euo pipefail
program=$(realpath "${1:?usage: $0 PROGRAM}")
for tool in xvfb-run xdotool xclip xmllint; do
    command -v $tool >/dev/null || { echo "SKIP: no $tool (scripts/install-deps.sh)"; exit 77; }
done
[ -n "${ZELM_ON_XVFB:-}" ] || exec env ZELM_ON_XVFB=1 xvfb-run -a bash "$0" "$@"
work=$(mktemp -d)
trap 'kill -TERM $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Its recovery folder already beside it: no message about a new one takes the focus.
mkdir -p "$work/bin/Herstel"
cp "$program" "$work/bin/ZelmEditor"
HOME="$work" QT_QPA_PLATFORM=xcb "$work/bin/ZelmEditor" 2>"$work/stderr" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --pid $pid --name ZelmEditor | head -1)
[ -n "$window" ] || { echo "FAIL: no window: $(cat "$work/stderr")" >&2; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.3
# Formula mode; the fraction (a+b)/c; copied as a formula.
xdotool key --delay 20 ctrl+t alt+Up type --delay 20 "a+b"
xdotool key --delay 20 Down c ctrl+alt+c
sleep 0.3
clip() { timeout 5 xclip -selection clipboard -t "$1" -o || true; }
targets=$(clip TARGETS)
for type in text/plain text/html application/mathml{,-presentation}+xml text/x-unicodemath; do
    grep -qx "$type" <<<"$targets" || fail "$type not offered: $(echo $targets)"
done
grep -qxF 'application/x-openoffice-embed-source-xml;windows_formatname="Star Embed Source (XML)"' <<<"$targets" || fail "no embedded formula: $(echo $targets)"
latex=$(clip text/plain)
[ "${latex// /}" = '\frac{a+b}{c}' ] || fail "text/plain is '$latex'"
html=$(clip text/html)
[[ $html == "<math"*"<mfrac>"*"</math>" ]] || fail "text/html is '$html'"
for type in application/mathml{,-presentation}+xml; do
    clip $type >"$work/f.xml"
    grep -q '^<?xml version="1.0" encoding="UTF-8"?>' "$work/f.xml" || fail "$type: no declaration"
    xmllint --noout "$work/f.xml" && grep -q "<mfrac>" "$work/f.xml" || fail "$type: $(cat "$work/f.xml")"
done
unicode=$(clip text/x-unicodemath)
[[ ${unicode// /} == *"a+b"*"/"*"c"* ]] || fail "text/x-unicodemath is '$unicode'"
# An owner that does not answer (xclip, stopped): Ctrl+Alt+V says so in a box within seconds.
printf x | xclip -selection clipboard -quiet -i 2>/dev/null &
owner=$!
sleep 0.3 && kill -STOP $owner
xdotool windowfocus --sync "$window" key ctrl+alt+v
for _ in $(seq 30); do
    boxes=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | wc -l)
    [ "$boxes" -ge 2 ] && break || sleep 0.1
done
# Woken, xclip may already have ended on the request our program gave up on.
kill -CONT $owner 2>/dev/null || true
kill $owner 2>/dev/null || true
[ "$boxes" -ge 2 ] || fail "no message within 3 s of pasting from a silent clipboard owner"
[ $failures -eq 0 ] && echo "system clipboard: all checks passed"
