#!/usr/bin/env bash
# The program on a real accessibility bus: a virtual display, a private session bus with
# at-spi2-core's bus and registry, the program with accessibility on, and a pyatspi client
# (AccessibilityBusCheck.py) that reads and drives it as a screen reader would.
# Usage: AccessibilityBusTest.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3 # Debian's python3-pyatspi belongs to the system interpreter
missing=()
for tool in Xvfb xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
"$python" -c 'import pyatspi' 2>/dev/null || missing+=("python3-pyatspi")
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: not installed: ${missing[*]} (scripts/install-deps.sh installs them)"
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=""
# The server is waited for: one that is still going down removes its successor's socket.
trap '[ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2>/dev/null; rm -rf "$work"' EXIT
# A copy of the program keeps its recovery folder (beside the program) out of the build.
mkdir -p "$work/bin" "$work/home/run" && chmod 700 "$work/home/run"
cp "$1" "$work/bin/ZelmEditor"
# A display of its own, away from the low numbers other servers on the machine come and go by;
# no reset when the bus launcher, its first client, lets go of it while the program connects.
for display in $(seq $((200 + $$ % 500)) 760); do
    [ -e "/tmp/.X$display-lock" ] && continue
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -S "/tmp/.X11-unix/X$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null && break
        sleep 0.1
    done
    kill -0 "$xvfb_pid" 2>/dev/null && [ -S "/tmp/.X11-unix/X$display" ] && break
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "Xvfb did not start"; exit 1; }

export DISPLAY=":$display" HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS XDG_CONFIG_HOME XDG_DATA_HOME
timeout -k 5 90 dbus-run-session -- "$python" "$here/AccessibilityBusCheck.py" "$work/bin/ZelmEditor"
