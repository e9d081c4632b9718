#!/usr/bin/env bash
# Sets up a fresh machine, builds Velmora and runs it against the simulated polarimeter.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'TEXT'
run.sh: no display. Velmora is a desktop program; on a machine without a screen start it in a
virtual X server, for example:
    xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/run.sh
(xvfb is installed by scripts/setup.sh; add x11vnc and a VNC viewer to watch the window), or
render it off screen with QT_QPA_PLATFORM=offscreen bash scripts/run.sh.
TEXT
    exit 2
fi

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default

bin=build/default/bin
ini="$bin/Velmora.ini"

# The simulated instrument prints the path of its pseudo-terminal on its first line.
sim_log=$(mktemp)
"$bin/velmora-sim" >"$sim_log" 2>&1 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$sim_log"' EXIT
trap 'exit 130' INT TERM
for _ in $(seq 100); do
    [ -s "$sim_log" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
device=$(head -n 1 "$sim_log" | tr -d '\r')
if [ -z "$device" ] || [ ! -e "$device" ]; then
    echo "run.sh: velmora-sim did not report its device:" >&2
    cat "$sim_log" >&2
    exit 1
fi

# Port COM1 (the login dialog's 串口1, the first run's choice) stands for the simulator's
# terminal: key COM1 of section [ports] in the program's settings file. Sections and keys match
# without regard to case; every other line is kept byte for byte (the file is GB18030, and a
# line never starts with the trail byte of a character).
touch "$ini"
LC_ALL=C awk -v device="$device" '
    function flush() { if (inPorts && !done) { print "COM1=" device "\r"; done = 1 } }
    {
        line = $0; sub(/\r$/, "", line)
        if (line ~ /^[ \t]*\[/) {
            flush()
            name = tolower(line); gsub(/^[ \t]*\[[ \t]*|[ \t]*\].*$/, "", name)
            inPorts = (name == "ports")
        } else if (inPorts && tolower(line) ~ /^[ \t]*com1[ \t]*=/) {
            next
        }
        print
    }
    END {
        flush()
        if (!done) print "[ports]\r\nCOM1=" device "\r"
    }' "$ini" >"$ini.new"
mv "$ini.new" "$ini"

echo "velmora-sim plays the instrument on $device (COM1). Choose 串口1 in the login dialog."
"$bin/velmora"
