#!/usr/bin/env bash
# The camera keys move the eye within its bounds, s toggles the shading, every other key (capitals
# included) does nothing and leaves the show running; the command line goes to the toolkit.
source "$(dirname "$0")/lib.sh"
start_xvfb
# The toolkit takes its own options from the command line (here the display); other words are ignored.
display=$DISPLAY
unset DISPLAY
start_plix "$PLIX" -- -display "$display" some words
export DISPLAY=$display
wait_frame

eye() { grep '^eye ' "$work/watch" | tail -1 | cut -d' ' -f2,3; }
shade() { grep '^shade ' "$work/watch" | tail -1 | cut -d' ' -f2; }
# expect_eye "X Z" WHAT: waits for the frames to place the eye there.
expect_eye() {
    for _ in $(seq 100); do
        [[ $(eye) == "$1" ]] && return 0
        sleep 0.05
    done
    fail "eye at $(eye) after $2, expected $1"
}
times() { for _ in $(seq "$2"); do echo "$1"; done; }

expect_eye "0 -5" "start-up"
press Q S I K J L E ctrl+x a x 1 space Return BackSpace Tab F1 Up Left
sleep 0.5
[[ $(eye) == "0 -5" ]] || fail "a key other than i, k, l, j moved the eye to $(eye)"
[[ $(shade) == smooth && $(events shade) -eq 1 ]] || fail "a key other than s changed the shading"
press k
expect_eye "0 0" "k from z -5 (the lower bound is 0)"
press $(times i 30)
expect_eye "0 10" "thirty presses of i"
press k
expect_eye "0 9.5" "k from z 10"
press $(times l 8)
expect_eye "4 9.5" "eight presses of l"
press $(times l 20)
expect_eye "10 9.5" "twenty more presses of l"
press $(times j 41)
expect_eye "-10 9.5" "41 presses of j"
press l
expect_eye "-9.5 9.5" "l from x -10"
press s
sleep 0.3
[[ $(shade) == flat ]] || fail "s did not switch to flat shading"
press s
sleep 0.3
[[ $(shade) == smooth ]] || fail "a second s did not switch back to smooth shading"
alive || fail "a key other than q or Escape ended the show"
press q
wait_exit 10
[[ $status -eq 0 ]] || fail "status $status after q"
echo "ok: camera keys, shading and other keys"
