#!/usr/bin/env bash
# q and Escape end the show with status 0 while the music plays on a real sound server (its sink's
# monitor is recorded to see that the music is heard).
source "$(dirname "$0")/lib.sh"
start_xvfb
start_pulse
for key in q Escape; do
    start=$(stat -c %s "$heard")
    start_plix "$PLIX" "${pulse_env[@]}"
    wait_frame
    wait_clock
    sleep 1
    alive || fail "plix ended by itself"
    size=$(($(stat -c %s "$heard") - start))
    # One second of 16-bit stereo at 44100 Hz is 176 kB.
    [[ $size -gt 100000 ]] || fail "only $size bytes heard before $key"
    tail -c +$((start + 1)) "$heard" | cmp -s -n "$size" - /dev/zero && fail "the music is silent before $key"
    press "$key"
    wait_exit 10
    [[ $status -eq 0 ]] || fail "status $status after $key"
    echo "ok: $key ends with status 0 after $size bytes of music"
done
