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

last() { grep "^$1 " "$work/watch" | tail -1 | cut -d' ' -f2-$(($2 + 1)); }
# keys KEY COUNT EXPECTED: presses the key COUNT times and waits for the frames to show the eye or shading.
keys() {
    press $(for _ in $(seq "$2"); do echo "$1"; done)
    local what=eye n=2
    [[ $1 == s ]] && what=shade n=1
    wait_for 20 "[[ \$(last $what $n) == '$3' ]]" || fail "$what $(last $what $n) after $2 of $1, expected $3"
}

# The keys are handled in order, so once the closing s shows, every key before it has been seen.
press Q S I K J L E ctrl+x a x 1 space Return BackSpace Tab F1 Up Left
keys s 1 flat
[[ $(last eye 2) == "0 -5" && $(events shade) -eq 2 ]] ||
    fail "a key other than i, k, l, j, s moved the eye or changed the shading"
keys k 1 "0 0" # from z -5 the lower bound 0 applies at once
keys i 30 "0 10"
keys k 1 "0 9.5"
keys l 8 "4 9.5"
keys l 20 "10 9.5"
keys j 41 "-10 9.5"
keys l 1 "-9.5 9.5"
keys s 1 smooth
alive || fail "a key other than q or Escape ended the show"
press q
wait_exit 20
[[ $status -eq 0 ]] || fail "status $status after q"
echo "ok: camera keys, shading and other keys"
