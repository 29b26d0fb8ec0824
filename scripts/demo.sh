#!/usr/bin/env bash
# Starts the emulator on a virtual COM port and the tool connected to it, with settings of their own
# so that a demo never touches the user's settings or port map.
set -euo pipefail
build=${1:-build}
port=${2:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
sim="$root/$build/vexalin-sim"
tool="$root/$build/vexalin-ct"
if [ ! -x "$sim" ]; then
    echo "The emulator is not built yet."
    exit 1
fi
export XDG_CONFIG_HOME="$root/$build/demo-home"
mkdir -p "$XDG_CONFIG_HOME/Norvel"
"$sim" --port "$port" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true' EXIT
sleep 0.5
conf="$XDG_CONFIG_HOME/Norvel/VEXALIN.conf"
if [ ! -f "$conf" ]; then
    printf '[General]\nStartMode=3\nPort=%s\nBaudrate=38400\n' "$port" > "$conf"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running the tool under xvfb-run for 10 seconds."
    timeout 10 xvfb-run -a "$tool" || true
else
    "$tool"
fi
