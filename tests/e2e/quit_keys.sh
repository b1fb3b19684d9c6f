#!/usr/bin/env bash
# q, Escape and the window manager's close button (sent again and again, as the race it once lost was
# rare) end the show with status 0 while the music plays (written by SDL's disk driver), and each way
# out closes the audio device. LSAN_OPTIONS is cleared: the sanitizer build quits cleanly by hand too.
source "$(dirname "$0")/lib.sh"
start_xvfb
for way in q Escape close close close close; do
    audio=$work/audio.raw
    rm -f "$audio"
    start_plix "$PLIX" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" LSAN_OPTIONS=
    wait_frame
    sleep 1.5
    alive || fail "plix ended by itself"
    size=$(stat -c %s "$audio" 2>/dev/null || echo 0)
    # 1.5 s of float stereo at 44100 Hz is about 530 kB.
    [[ $size -gt 200000 ]] || fail "only $size bytes of audio before $way"
    cmp -s -n "$size" "$audio" /dev/zero && fail "the music is silent before $way"
    if [[ $way == close ]]; then
        "$WMCLOSE" "$(xdotool search --name "^$title\$")" || fail "could not send the close message"
    else
        press "$way"
    fi
    wait_exit 10
    [[ $status -eq 0 ]] || fail "status $status after $way"
    [[ $(events audio-closed) -eq 1 ]] || fail "the audio device was not closed after $way"
    grep -q Sanitizer "$work/stdout" && fail "a sanitizer report after $way"
    echo "ok: $way ends with status 0 after $size bytes of music"
done
