#!/usr/bin/env bash
# Starts the emulator on a virtual COM port and the tool with a throw-away settings folder, so
# that a demo never touches the user's own settings or port map. The connection dialog opens
# with the emulator's port selected; OK connects and the module data fills the grid. Closing
# the window stops the emulator.
set -euo pipefail
build=${1:-build}
port=${2:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
sim="$root/$build/vexalin-sim"
tool="$root/$build/vexalin-ct"
for program in "$sim" "$tool"; do
    if [ ! -x "$program" ]; then
        echo "$program is not built yet (make build)."
        exit 1
    fi
done
home=$(mktemp -d "${TMPDIR:-/tmp}/vexalin-demo.XXXXXX")
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$home"
}
trap cleanup EXIT INT TERM
export XDG_CONFIG_HOME="$home"
mkdir -p "$home/Norvel"
printf '[General]\nStartMode=2\nPort=%s\nBaudrate=38400\n' "$port" > "$home/Norvel/VEXALIN.conf"
"$sim" --port "$port" &
sim_pid=$!
# The emulator registers its port as COM<port> in the settings folder.
for _ in $(seq 50); do
    [ -e "$home/Norvel/VEXALIN/dosdevices/com$port" ] && break
    sleep 0.1
done
echo "Emulator on COM$port ($(readlink "$home/Norvel/VEXALIN/dosdevices/com$port" || echo '?'))."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running the tool under xvfb-run for ${DEMO_SECONDS:-10} seconds."
    timeout "${DEMO_SECONDS:-10}" xvfb-run -a "$tool" || true
else
    "$tool"
fi
