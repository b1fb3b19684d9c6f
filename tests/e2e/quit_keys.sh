#!/usr/bin/env bash
# q, Escape and the window manager's close button (sent twice, as the race it once lost was rare) end
# the show with status 0 while the music plays on a real sound server (its sink's monitor is recorded to
# see that the music is heard), and each way out closes the audio device. LSAN_OPTIONS is cleared: the
# sanitizer build quits cleanly by hand too.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_pulse
for way in q Escape close close; do
    start_plix "$PLIX" "${pulse_env[@]}" LSAN_OPTIONS=
    wait_frame
    wait_clock
    start=$(stat -c %s "$heard") # PipeWire's monitor delivers silence all the while, PulseAudio's none
    # Half a second of 16-bit stereo at 44100 Hz is 88 kB.
    wait_for 20 "[[ \$(stat -c %s $heard) -gt $((start + 88200)) ]]"
    alive || fail "plix ended by itself"
    size=$(($(stat -c %s "$heard") - start))
    [[ $size -gt 88200 ]] || fail "only $size bytes heard before $way"
    tail -c +$((start + 1)) "$heard" | cmp -s -n "$size" - /dev/zero && fail "the music is silent before $way"
    if [[ $way == close ]]; then
        "$WMCLOSE" "$(xdotool search --name "^$title\$")" || fail "could not send the close message"
    else
        press "$way"
    fi
    wait_exit 20
    [[ $status -eq 0 ]] || fail "status $status after $way"
    [[ $(events audio-closed) -eq 1 ]] || fail "the audio device was not closed after $way"
    grep -q Sanitizer "$work/stdout" && fail "a sanitizer report after $way"
    echo "ok: $way ends with status 0 after $size bytes of music"
done
