# Shared helpers of the end-to-end tests: an Xvfb and a sound server of their own (PulseAudio, or PipeWire
# with its pulse server when SOUND_SERVER=pipewire), plix under the watch library, waits. Sourced by each
# test with PLIX (the program) and WATCH (the preloaded library).
set -uo pipefail

title="plix - NightShore 2003 - veduzuvoz"
work=$(mktemp -d)
xvfb_pid= plix_pid= pulse_pids=() monitor_pid=

fail() {
    echo "FAIL: $*"
    [[ -f "$work/stdout" ]] && { echo "--- plix output:"; cat "$work/stdout"; }
    [[ -f "$work/watch" ]] && { echo "--- watch log:"; cat "$work/watch"; }
    exit 1
}

cleanup() {
    [[ -n "$plix_pid" ]] && kill -9 "$plix_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    stop_pulse
    rm -rf "$work"
}
trap cleanup EXIT

# wait_for SECONDS COMMAND: runs the command until it succeeds, at most for the given time.
wait_for() {
    for _ in $(seq $(($1 * 20))); do
        eval "$2" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

# A display of its own: Xvfb picks a free number and writes it to the given descriptor.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 20 "[[ -s $work/display ]]" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=:$(head -1 "$work/display")
}

# A PulseAudio server of our own with a null sink, its folders under $work, no D-Bus, no exit on idle;
# only clients given $pulse_env reach it, never a server the user runs. Unless told "idle", it records
# the sink's monitor to $heard, whose short latency keeps a new stream from waiting for the idle sink.
start_pulse() {
    local dir=$work/pulse
    mkdir -p "$dir"
    echo "autospawn = no" >"$dir/client.conf"
    pulse_env=(SDL_AUDIODRIVER=pulseaudio PULSE_SERVER="unix:$dir/native" PULSE_COOKIE="$dir/cookie"
        PULSE_CLIENTCONFIG="$dir/client.conf")
    if [[ ${SOUND_SERVER:-} == pipewire ]]; then
        start_pipewire "$dir"
    else
        printf '%s\n' "load-module module-null-sink sink_name=plix rate=44100" \
            "load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
            "set-default-sink plix" >"$dir/server.pa"
        env -u XDG_CONFIG_HOME HOME="$dir" XDG_RUNTIME_DIR="$dir" DBUS_SESSION_BUS_ADDRESS=disabled: \
            pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --log-target=file:"$dir/log" &
        pulse_pids=($!)
    fi
    wait_for 20 "pulse info" || fail "the sound server did not start: $(cat "$dir"/*log 2>/dev/null)"
    [[ ${1:-} == idle ]] && return 0
    heard=$dir/heard.raw
    env "${pulse_env[@]}" parec -d plix.monitor --raw --format=s16le --latency-msec=10 >"$heard" 2>/dev/null &
    monitor_pid=$!
    wait_for 20 "pulse list short source-outputs | grep -q ." || fail "the monitor could not be recorded"
    # Suspending and resuming restarts the sink's rendering at the recorder's latency.
    pulse suspend-sink plix 1 && pulse suspend-sink plix 0 || fail "the sink could not be restarted"
}

# start_pipewire DIR: PipeWire, its pulse server (at DIR/native) and WirePlumber to link streams, with the
# same null sink; DIR is their home, runtime and settings folder, and D-Bus is an address that leads nowhere.
start_pipewire() {
    local dir=$1 c="context" m=$(printf '{ name = libpipewire-module-%s } ' protocol-native metadata \
        spa-node-factory client-node client-device session-manager access adapter link-factory)
    local libs="$c.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert support.* = support/libspa-support }"
    mkdir -p "$dir/pipewire" "$dir/wireplumber/main.lua.d"
    echo "$c.properties = { core.daemon = true core.name = pipewire-0 default.clock.rate = 44100 }
        $libs $c.modules = [ $m ] $c.objects = [ { factory = adapter args = { node.name = plix audio.rate = 44100
        factory.name = support.null-audio-sink media.class = Audio/Sink audio.position = [ FL FR ] } } ]" \
        >"$dir/pipewire/pipewire.conf"
    echo "$c.properties = { wireplumber.script-engine = lua-scripting } $libs $c.modules = [ $m ]
        wireplumber.components = [ { name = libwireplumber-module-lua-scripting, type = module }
        { name = main.lua, type = config/lua } { name = policy.lua, type = config/lua } ]" >"$dir/wireplumber/wireplumber.conf"
    # No D-Bus: no portal and no device reservation; no devices but the null sink.
    echo 'default_access.properties["enable-flatpak-portal"] = false alsa_monitor.enabled = false
        v4l2_monitor.enabled = false libcamera_monitor.enabled = false' >"$dir/wireplumber/main.lua.d/51-test.lua"
    local run=(env HOME="$dir" XDG_CONFIG_HOME="$dir" XDG_RUNTIME_DIR="$dir" PULSE_RUNTIME_PATH="$dir"
        DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/no-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/no-bus")
    "${run[@]}" pipewire >"$dir/log" 2>&1 &
    pulse_pids=($!)
    wait_for 20 "[[ -S $dir/pipewire-0 ]]" || fail "PipeWire did not start: $(cat "$dir/log")"
    "${run[@]}" pipewire-pulse >"$dir/pulse.log" 2>&1 & pulse_pids+=($!)
    "${run[@]}" wireplumber >"$dir/wireplumber.log" 2>&1 & pulse_pids+=($!)
    wait_for 20 "pulse list short sinks | grep -q plix" || fail "no sink on PipeWire: $(cat "$dir"/*log)"
}

pulse() { env "${pulse_env[@]}" pactl "$@"; }

# stop_pulse [SIGNAL]
stop_pulse() {
    [[ ${#pulse_pids[@]} -gt 0 ]] || return 0
    kill -s "${1:-TERM}" "${pulse_pids[@]}" 2>/dev/null
    wait "${pulse_pids[@]}" "$monitor_pid" 2>/dev/null
    pulse_pids=()
}

# start_plix PROGRAM [VAR=VALUE...] [-- ARGUMENT...]: runs it in the background with the watch library.
start_plix() {
    local program=$1 vars=() && shift
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
alive() { kill -0 "$plix_pid" 2>/dev/null; }

wait_frame() {
    wait_for 20 "[[ \$(events swap) -gt 0 ]] || ! alive" && alive || fail "no frame, or plix ended before one"
}

# Waits until the frames' clock has left 0: an idle sink can hold the first audio callback back.
wait_clock() {
    wait_for 20 "grep -q '^clock [^0]\|^clock 0\.0*[1-9]' $work/watch" || fail "the clock did not start within 20 s"
}

# wait_exit SECONDS: waits for plix to end and sets $status; fails if it is still running.
wait_exit() {
    wait_for "$1" "! alive" || fail "plix still running after $1 s"
    wait "$plix_pid"
    status=$?
    plix_pid=
}

# clock_runs SKIP: the frames' clock readings after the first SKIP keep the wall clock's pace, or say why.
clock_runs() {
    grep '^clock ' "$work/watch" | tail -n +$(($1 + 1)) | awk '
        NR == 1 { s0 = $2; t0 = $3 } { s = $2; t = $3 }
        END {
            if (NR < 5) { print "only " NR " clock readings"; exit 1 }
            rate = (s - s0) / ((t - t0) / 1e9)
            if (rate < 0.7 || rate > 1.3) { printf "the clock ran at %.2f times the wall clock\n", rate; exit 1 }
        }'
}

# Real key events through XTEST: the window covers the whole screen, so it has the pointer and the focus.
press() { xdotool key --delay 15 "$@"; }
