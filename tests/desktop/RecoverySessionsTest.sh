#!/usr/bin/env bash
# Recovery across real instances under Xvfb: two windows opened on alpha.mds and beta.mds each
# get a word and close, alpha first; then three sessions in a row. Every closed session's work
# must still be in the recovery folder.
# Usage: RecoverySessionsTest.sh PROGRAM
set -euo pipefail
[ -z "${ZELM_TRACE:-}" ] || set -x
program=$(realpath "${1:?usage: $0 PROGRAM}")
for tool in xvfb-run xdotool; do
    command -v $tool >/dev/null || { echo "SKIP: no $tool (scripts/install-deps.sh)"; exit 77; }
done
[ -n "${ZELM_ON_XVFB:-}" ] || exec env ZELM_ON_XVFB=1 xvfb-run -a bash "$0" "$@"
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill -TERM $p 2>/dev/null || true; done; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Its recovery folder already beside it: no message about a new one takes the focus.
mkdir -p "$work/bin/Herstel"
cp "$program" "$work/bin/ZelmEditor"
herstel=$work/bin/Herstel

# A document of one plain-text line: a 792-byte record (mode, Tahoma 12 pt, codes, text).
byte() { printf "\\$(printf %03o "$1")"; }
zeros() { head -c "$1" /dev/zero; }
document() { # path text
    { byte 1 && zeros 3 && byte 6 && printf Tahoma && zeros 249 && byte 12 && zeros 7 &&
      byte 1 && zeros 3 && zeros 256 && byte ${#2} && printf '%s' "$2" &&
      zeros $((255 - ${#2})) && zeros 4 && byte 224 && byte 1 && zeros 2; } >"$1"
}

# Starts the program on its arguments and waits for its window; sets `pid` and `window`.
start() {
    HOME="$work" QT_QPA_PLATFORM=xcb "$work/bin/ZelmEditor" "$@" 2>>"$work/stderr" &
    pid=$!
    pids+=($pid)
    window=$(timeout 20 xdotool search --all --sync --onlyvisible --pid $pid \
        --name '^(ZelmEditor|alpha|beta)$' | head -1)
    [ -n "$window" ] || { echo "FAIL: no window: $(cat "$work/stderr")" >&2; exit 1; }
}
# Types a word at the end of the first line of `window`.
typeInto() { # window word
    xdotool windowfocus --sync "$1"
    sleep 0.3
    xdotool key --delay 30 End type --delay 30 " $2"
    sleep 0.2
}
close() { # window pid
    xdotool windowfocus --sync "$1" key --delay 50 alt+F4
    timeout 10 tail --pid="$2" -f /dev/null || fail "pid $2 did not end"
}
# True when a closing state holding `word` is in `folder` (or below it).
holds() { grep -rlaq --include="$2" -e "$3" "$1"; }

document "$work/alpha.mds" " alfa"
document "$work/beta.mds" " beta"
start "$work/alpha.mds"
alphaWindow=$window alphaPid=$pid
start "$work/beta.mds"
betaWindow=$window betaPid=$pid
typeInto "$alphaWindow" woordalfa
typeInto "$betaWindow" woordbeta
close "$alphaWindow" $alphaPid
close "$betaWindow" $betaPid
holds "$herstel" alpha0.wes woordalfa || fail "alpha0.wes lost alpha's word: $(ls -R "$herstel")"
holds "$herstel" beta0.wes woordbeta || fail "beta0.wes lost beta's word"
holds "$herstel/Sessies" Afsluiting-alpha.wes woordalfa || fail "alpha's session lost its state"

# Three sessions without a document; each starts with the sentence about the previous
# session's unsaved work (beta's, then the sessions'), which Return dismisses.
for n in 1 2 3; do
    start
    box=$(timeout 10 xdotool search --all --sync --onlyvisible --pid $pid --name TextverwerkerZelm |
        head -1 || true)
    [ -n "$box" ] && xdotool windowfocus --sync "$box" key Return || fail "session $n: no sentence"
    [ $n -eq 3 ] && break
    typeInto "$window" sessie$n
    close "$window" $pid
done
for n in 1 2; do
    holds "$herstel/Sessies" "Afsluiting-ZelmEditor.wes" sessie$n || fail "session $n's work is gone"
done
close "$window" $pid
[ $failures -eq 0 ] && echo "recovery sessions: all checks passed"
