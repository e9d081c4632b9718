#!/usr/bin/env bash
# Sets up a fresh machine, builds Velmora and runs it against the simulated polarimeter.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'TEXT'
run.sh: no display. Velmora is a desktop program; on a machine without a screen start it in a
virtual X server (xvfb is installed by scripts/setup.sh):
    xvfb-run -a -s "-screen 0 1280x900x24" bash scripts/run.sh
and take screenshots with `import -window root shot.png` (imagemagick) or watch it through
x11vnc and a VNC viewer.
TEXT
    exit 2
fi

bin=build/default/bin

# The simulated instrument prints the path of its pseudo-terminal on its first line and maps
# port COM1 (the login dialog's 串口1, the first run's choice) to it in the program's settings
# file, keeping every other line of that file.
sim_log=$(mktemp)
"$bin/velmora-sim" --noise 20 --settings "$bin/Velmora.ini" --port COM1 >"$sim_log" 2>&1 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$sim_log"' EXIT
trap 'exit 130' INT TERM
for _ in $(seq 100); do
    [ -s "$sim_log" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
device=$(head -n 1 "$sim_log")
if [ -z "$device" ] || [ ! -e "$device" ]; then
    echo "run.sh: velmora-sim did not start:" >&2
    cat "$sim_log" >&2
    exit 1
fi

echo "velmora-sim plays the instrument on $device (COM1). Choose 串口1 in the login dialog."
"$bin/velmora"
