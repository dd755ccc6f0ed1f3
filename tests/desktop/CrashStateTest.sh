#!/usr/bin/env bash
# Under Xvfb: a word, a pause, a second word, kill -9. The next start offers what was stored,
# Return takes it, and that run's closing state holds the first word. Usage: $0 PROGRAM
set -euo pipefail
program=$(realpath "${1:?usage: $0 PROGRAM}")
for tool in xvfb-run xdotool; do
    command -v $tool >/dev/null || { echo "SKIP: no $tool (scripts/install-deps.sh)"; exit 77; }
done
[ -n "${ZELM_ON_XVFB:-}" ] || exec env ZELM_ON_XVFB=1 xvfb-run -a bash "$0" "$@"
work=$(mktemp -d) pid=
herstel="$work/bin/Herstel" # beside the program already: no message takes the focus
trap 'kill -KILL $pid 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$herstel" && cp "$program" "$work/bin/ZelmEditor"
start() {
    HOME="$work" QT_QPA_PLATFORM=xcb "$work/bin/ZelmEditor" 2>>"$work/stderr" &
    pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid $pid --name ZelmEditor | head -1)
    [ -n "$window" ] || fail "no window: $(cat "$work/stderr")"
}
# Answers the start-up's boxes with Return (the offer's default is "Ja"); prints their count.
answer() {
    local boxes=0 box wait=10
    while box=$(timeout $wait xdotool search --all --sync --onlyvisible --pid $pid \
                    --name '^TextverwerkerZelm$' | head -1) && [ -n "$box" ]; do
        xdotool windowfocus --sync "$box" key Return sleep 0.5
        boxes=$((boxes + 1)) wait=2
    done
    echo $boxes
}
start
xdotool windowfocus --sync "$window" sleep 0.3 type --delay 30 "eerste"
# Stored about two seconds after the last key; a loaded machine may take a little longer.
for _ in $(seq 50); do
    ls "$herstel"/Sessies/*/Noodkopie-ZelmEditor.wes >/dev/null 2>&1 && break
    sleep 0.2
done
ls "$herstel"/Sessies/*/Noodkopie-ZelmEditor.wes >/dev/null || fail "no crash state"
xdotool type --delay 30 "tweede" sleep 0.5
kill -KILL $pid && wait $pid 2>/dev/null || true
start
[ "$(answer)" -ge 1 ] || fail "the crash state was not offered"
kill -TERM $pid && wait $pid || fail "the program ended with $?" # closes as the close box does
grep -aq "eerste" "$herstel/ZelmEditor0.wes" || fail "the taken state lacks the first word"
! ls "$herstel"/Sessies/*/Noodkopie-* 2>/dev/null || fail "a crash state after a clean close"
echo "crash state: all checks passed"
