#!/usr/bin/env bash
# Ways the show fails or is stopped: no sound device gives -2 and a table without the song -3, both with
# the window made and no frame drawn; without pictures all nine are reported in order and the show runs
# untextured; SIGTERM ends it as it ends any program.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_plix "$PLIX" SDL_AUDIODRIVER=nonexistent
wait_exit 20
[[ $status -eq 254 && $(cat "$work/stdout") == "Error upon sound initialization" ]] || fail "no sound device"
[[ $(events window-end) -eq 1 && $(events swap) -eq 0 && $(events module-begin) -eq 0 ]] ||
    fail "no sound device: the window, a frame or the song"
start_plix "$PLIX_NOSONG"
wait_exit 20
[[ $status -eq 253 && $(cat "$work/stdout") == "Error loading song" ]] || fail "no song"
[[ $(events window-end) -eq 1 && $(events audio-end) -eq 1 && $(events swap) -eq 0 ]] ||
    fail "no song: the window, the audio device or a frame"
start_plix "$PLIX_NOPICTURES"
wait_frame
expected=$(for name in HeatTube Flocke LagerFeuer Fire Back Bus People SouthPark TheEnd; do
    echo "util: ERROR loading data/$name.png"
done)
wait_for 20 "[[ \$(cat $work/stdout) == \"\$expected\" ]]" || fail "no pictures: the nine messages in the table's order"
alive || fail "no pictures: the show did not go on"
kill -s TERM "$plix_pid"
wait_exit 20
[[ $status -eq 143 ]] || fail "status $status after SIGTERM, expected 143"
echo "ok: 254 without sound, 253 without the song, nine messages without pictures, 143 on SIGTERM"
