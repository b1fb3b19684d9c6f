# Shared helpers of the end-to-end tests: an Xvfb of their own, plix under the watch library, waits.
# Sourced by each test with: PLIX (the program), WATCH (the preloaded library).
set -uo pipefail

title="plix - NightShore 2003 - veduzuvoz"
work=$(mktemp -d)
xvfb_pid=
plix_pid=

fail() {
    echo "FAIL: $*"
    [[ -f "$work/stdout" ]] && { echo "--- plix output:"; cat "$work/stdout"; }
    [[ -f "$work/watch" ]] && { echo "--- watch log:"; cat "$work/watch"; }
    exit 1
}

cleanup() {
    [[ -n "$plix_pid" ]] && kill -9 "$plix_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A display number of its own: Xvfb picks a free one and writes it to the given descriptor.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do
        [[ -s "$work/display" ]] && break
        sleep 0.05
    done
    [[ -s "$work/display" ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=:$(head -1 "$work/display")
}

# start_plix PROGRAM [VAR=VALUE...] [-- ARGUMENT...]: runs it in the background with the watch
# library preloaded.
start_plix() {
    local program=$1
    shift
    local vars=()
    while [[ $# -gt 0 && $1 != -- ]]; do
        vars+=("$1")
        shift
    done
    [[ $# -gt 0 ]] && shift
    rm -f "$work/watch" "$work/stdout"
    env SDL_AUDIODRIVER=dummy "${vars[@]}" PLIX_WATCH_LOG="$work/watch" LD_PRELOAD="$WATCH" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" "$program" "$@" >"$work/stdout" 2>&1 &
    plix_pid=$!
}

events() { grep -c "^$1 " "$work/watch" 2>/dev/null || true; }

# Waits until plix has presented a frame, failing if it dies or takes longer than the given seconds.
wait_frame() {
    local limit=${1:-20}
    for _ in $(seq $((limit * 20))); do
        [[ $(events swap) -gt 0 ]] && return 0
        kill -0 "$plix_pid" 2>/dev/null || fail "plix ended before its first frame"
        sleep 0.05
    done
    fail "no frame within $limit s"
}

# wait_exit SECONDS: waits for plix to end and sets $status; fails if it is still running.
wait_exit() {
    local limit=$1
    for _ in $(seq $((limit * 20))); do
        kill -0 "$plix_pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$plix_pid" 2>/dev/null && fail "plix still running after $limit s"
    wait "$plix_pid"
    status=$?
    plix_pid=
}

alive() { kill -0 "$plix_pid" 2>/dev/null; }

# Real key events through XTEST: the window covers the whole screen, so it has the pointer and the focus.
press() { xdotool key --delay 30 "$@"; }
