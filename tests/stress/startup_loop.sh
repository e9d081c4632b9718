#!/usr/bin/env bash
# Starts the real program again and again under AddressSanitizer and UndefinedBehaviorSanitizer,
# as a user would: start, confirm the login dialog with Enter, wait for the main window (its
# instrument is the simulator on a pseudo-terminal), close it with Escape. Every run that aborts,
# reports a sanitizer error, exits with another status or hangs is kept with its output and
# stack. Not part of CI: a few hundred launches take a quarter of an hour.
#
#   cmake --preset asan && cmake --build --preset asan --target velmora velmora-sim
#   tests/stress/startup_loop.sh [launches] [build folder]        (300, build/asan)
#   KEEPER=0 tests/stress/startup_loop.sh ...     lets Xvfb reset whenever its last client leaves
#
# Needs Xvfb, xdotool and xprop (scripts/setup.sh). Prints one line per failed run and a summary;
# the logs stay in the folder it names.
set -euo pipefail

runs=${1:-300}
build=$(realpath "${2:-build/asan}")
for tool in Xvfb xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "startup_loop: $tool is missing" >&2; exit 2; }
done
[ -x "$build/bin/velmora" ] && [ -x "$build/bin/velmora-sim" ] \
    || { echo "startup_loop: no velmora and velmora-sim in $build/bin" >&2; exit 2; }

work=$(mktemp -d /tmp/startup_loop.XXXXXX)
mkdir -p "$work/program" "$work/failed"
cp "$build/bin/velmora" "$work/program/"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# A display of its own; a second client stays connected, since Xvfb resets itself whenever its
# last client leaves.
display=:$((100 + $$ % 800))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
# KEEPER=0 leaves Xvfb to reset between the clients, to see what a start during a reset does.
if [ "${KEEPER:-1}" != 0 ]; then
    xprop -root -spy >/dev/null 2>&1 &
    pids+=($!)
fi

# The instrument: one simulator for all runs, which stays when a run closes its terminal.
"$build/bin/velmora-sim" --stay --rate 5 >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/sim.log" ] && break; sleep 0.1; done
device=$(head -n 1 "$work/sim.log")
printf '[ports]\r\nCOM1=%s\r\n[SYSTEM]\r\nLOGINDLGSERIALNO=0\r\n' "$device" >"$work/program/Velmora.ini"

export QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=detect_leaks=0:handle_abort=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The visible windows of process $1 other than $2, waiting up to $3 tenths of a second.
window_of() {
    local pid=$1 other=$2 w
    for _ in $(seq "$3"); do
        kill -0 "$pid" 2>/dev/null || return 1
        for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [ "$w" != "$other" ] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

failed=0
for run in $(seq "$runs"); do
    log=$work/run-$run.log
    "$work/program/velmora" >"$log" 2>&1 &
    pid=$!
    step=login
    if login=$(window_of "$pid" none 600); then
        xdotool windowfocus --sync "$login" key Return 2>/dev/null || true
        step=main
        # Wider than any message box: a box here (the port failed to open) is not the main window.
        if main=$(window_of "$pid" "$login" 600) \
            && [ "$(xdotool getwindowgeometry --shell "$main" | sed -n 's/^WIDTH=//p')" -ge 400 ]; then
            xdotool windowfocus --sync "$main" key Escape 2>/dev/null || true
            step=exit
        fi
    fi
    for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        # A hang: SIGABRT makes the sanitizer print the stack of the thread it lands on.
        kill -ABRT "$pid" 2>/dev/null || true
        sleep 2
        kill -KILL "$pid" 2>/dev/null || true
        step="$step (hung)"
    fi
    status=0
    wait "$pid" || status=$?
    if [ "$status" -ne 0 ] || [ "$step" != exit ] \
        || grep -q 'ERROR: AddressSanitizer\|runtime error:\|SUMMARY:' "$log"; then
        failed=$((failed + 1))
        mv "$log" "$work/failed/"
        echo "run $run: status $status at $step, log $work/failed/run-$run.log"
    else
        rm -f "$log"
    fi
done
echo "startup_loop: $runs launches, $failed failed; logs in $work"
[ "$failed" -eq 0 ]
