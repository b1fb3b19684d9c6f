#!/usr/bin/env bash
# The window: 640 x 480 with the show's title, and frames that follow the music on a real sound server.
# When the server goes away mid-show, the frames go on with the clock and q still ends with status 0.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_pulse
start_plix "$PLIX" "${pulse_env[@]}"
wait_frame
info=$(xwininfo -name "$title" 2>&1) || fail "no window titled \"$title\": $info"
grep -q "Width: 640$" <<<"$info" || fail "width: $info"
grep -q "Height: 480$" <<<"$info" || fail "height: $info"
names=$(xwininfo -root -tree | grep -c "\"$title\"")
[[ $names -eq 1 ]] || fail "expected one window titled \"$title\", found $names"
wait_clock
mark=$(events clock)
wait_for 30 "[[ \$(events clock) -ge $((mark + 15)) ]]" # 1.4 s at least, however slowly frames come
alive || fail "plix ended by itself"
[[ $(events swap) -ge 3 ]] || fail "frames stopped after the first"
[[ $(pulse list short sink-inputs | wc -l) -eq 1 ]] || fail "plix has no stream on the server"
why=$(clock_runs "$mark") || fail "on the server: $why"

stop_pulse KILL
mark=$(events clock)
wait_for 30 "[[ \$(events clock) -ge $((mark + 15)) ]]" # 1.4 s at least, however slowly frames come
alive || fail "plix ended when the server went away"
why=$(clock_runs "$mark") || fail "after the server went away: $why"
press q
wait_exit 20
[[ $status -eq 0 ]] || fail "status $status after q"
echo "ok: 640x480 window \"$title\", frames on the clock with and without the server"
