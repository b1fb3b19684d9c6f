#!/usr/bin/env bash
# q and Escape end the show with status 0 while the music plays (written by SDL's disk driver).
source "$(dirname "$0")/lib.sh"
start_xvfb
for key in q Escape; do
    audio=$work/audio-$key.raw
    start_plix "$PLIX" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
    wait_frame
    sleep 1.5
    alive || fail "plix ended by itself"
    size=$(stat -c %s "$audio" 2>/dev/null || echo 0)
    # 1.5 s of float stereo at 44100 Hz is about 530 kB.
    [[ $size -gt 200000 ]] || fail "only $size bytes of audio before $key"
    cmp -s -n "$size" "$audio" /dev/zero && fail "the music is silent before $key"
    press "$key"
    wait_exit 10
    [[ $status -eq 0 ]] || fail "status $status after $key"
    echo "ok: $key ends with status 0 after $size bytes of music"
done
