#!/usr/bin/env bash
# Recovery across real instances under Xvfb: windows on alpha.mds and beta.mds each get a word
# and close, alpha first; then three sessions in a row; then alpha.mds once more, with an Enter.
# Each closed session's work must stay in the recovery folder. Usage: RecoverySessionsTest.sh PROGRAM
set -euo pipefail
program=$(realpath "${1:?usage: $0 PROGRAM}")
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null ||
    { echo "SKIP: no xvfb-run or xdotool (scripts/install-deps.sh)"; exit 77; }
[ -n "${ZELM_ON_XVFB:-}" ] || exec env ZELM_ON_XVFB=1 xvfb-run -a bash "$0" "$@"
work=$(mktemp -d)
pids=()
declare -A instance
trap 'for p in "${pids[@]}"; do kill -TERM $p 2>/dev/null || true; done; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Its recovery folder already beside it: no message about a new one takes the focus.
herstel=$work/bin/Herstel
mkdir -p "$herstel"
cp "$program" "$work/bin/ZelmEditor"
byte() { printf "\\$(printf %03o "$1")"; }
zeros() { head -c "$1" /dev/zero; }
document() { # path text: one 792-byte record (plain text, Tahoma 12 pt, no codes, width 480)
    { byte 1 && zeros 3 && byte 6 && printf Tahoma && zeros 249 && byte 12 && zeros 7 &&
      byte 1 && zeros 259 && byte ${#2} && printf '%s' "$2" && zeros $((259 - ${#2})) &&
      byte 224 && byte 1 && zeros 2; } >"$1"
}
start() { # [document]: sets `pid` and `window`
    HOME="$work" QT_QPA_PLATFORM=xcb "$work/bin/ZelmEditor" "$@" 2>>"$work/stderr" &
    pid=$! && pids+=($pid)
    window=$(timeout 20 xdotool search --all --sync --onlyvisible --pid $pid \
        --name '^(ZelmEditor|alpha|beta)$' | head -1)
    [ -n "$window" ] || { echo "FAIL: no window: $(cat "$work/stderr")" >&2; exit 1; }
}
typeInto() { # window word: at the end of the first line
    xdotool windowfocus --sync "$1" sleep 0.3 key --delay 30 End type --delay 30 " $2"
    sleep 0.2
}
close() { # window pid
    xdotool windowfocus --sync "$1" key --delay 50 alt+F4
    timeout 10 tail --pid="$2" -f /dev/null || fail "pid $2 did not end"
}
holds() { grep -rlaq --include="$2" -e "$3" "$1"; } # folder file-pattern word

for doc in alpha beta; do
    document "$work/$doc.mds" " $doc" && start "$work/$doc.mds" && instance[$doc]="$window $pid"
done
typeInto ${instance[alpha]% *} woordalpha
typeInto ${instance[beta]% *} woordbeta
close ${instance[alpha]} && close ${instance[beta]}
for doc in alpha beta; do
    holds "$herstel" ${doc}0.wes woord$doc || fail "$doc's work is gone: $(ls -R "$herstel")"
done

# Each start says that the previous session's work was not saved; Return closes the message.
for n in 1 2 3; do
    start
    box=$(timeout 10 xdotool search --all --sync --onlyvisible --pid $pid --name TextverwerkerZelm |
        head -1 || true)
    [ -n "$box" ] && xdotool windowfocus --sync "$box" key Return || fail "session $n: no sentence"
    [ $n -lt 3 ] && typeInto "$window" sessie$n && close "$window" $pid
done
for n in 1 2; do
    holds "$herstel/Sessies" "Afsluiting-ZelmEditor.wes" sessie$n || fail "session $n's work is gone"
done
close "$window" $pid

# The document from the command line again: the first Enter keeps what its last session left.
start "$work/alpha.mds"
typeInto "$window" tweede && xdotool key Return
for _ in $(seq 25); do ls "$herstel"/Sessies/*/alpha0.wes >/dev/null 2>&1 && break; sleep 0.2; done
ls "$herstel"/Sessies/*/alpha0.wes >/dev/null || fail "the Enter stored no state"
holds "$herstel" alpha0.wes woordalpha || fail "the first Enter overwrote alpha's last session"
close "$window" $pid
[ $failures -eq 0 ] && echo "recovery sessions: all checks passed"
