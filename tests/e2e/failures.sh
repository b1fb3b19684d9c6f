#!/usr/bin/env bash
# Start-up failures: no sound device gives -2, a table without the song gives -3; in both the window
# exists but no frame is drawn. Arguments: the plix program, then its variant without the song.
source "$(dirname "$0")/lib.sh"
start_xvfb

start_plix "$PLIX" SDL_AUDIODRIVER=nonexistent
wait_exit 20
[[ $status -eq 254 ]] || fail "no sound device: status $status, expected 254"
grep -qx "Error upon sound initialization" "$work/stdout" || fail "no sound device: message missing"
[[ $(events window-end) -eq 1 ]] || fail "no sound device: the window was not created"
[[ $(events swap) -eq 0 ]] || fail "no sound device: a frame was drawn"
[[ $(events module-begin) -eq 0 ]] || fail "no sound device: the song was loaded all the same"
echo "ok: no sound device, status 254"

start_plix "$PLIX_NOSONG"
wait_exit 20
[[ $status -eq 253 ]] || fail "no song: status $status, expected 253"
grep -qx "Error loading song" "$work/stdout" || fail "no song: message missing"
grep -q "Error upon sound" "$work/stdout" && fail "no song: the sound layer failed instead"
[[ $(events window-end) -eq 1 ]] || fail "no song: the window was not created"
[[ $(events audio-end) -eq 1 ]] || fail "no song: audio was not opened first"
[[ $(events swap) -eq 0 ]] || fail "no song: a frame was drawn"
echo "ok: no song, status 253"
