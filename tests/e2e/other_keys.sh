#!/usr/bin/env bash
# Upper-case letters, the camera and shading keys and any other key leave the show running; the
# command line goes to the toolkit.
source "$(dirname "$0")/lib.sh"
start_xvfb
# The toolkit takes its own options from the command line (here the display); other words are ignored.
display=$DISPLAY
unset DISPLAY
start_plix "$PLIX" -- -display "$display" some words
export DISPLAY=$display
wait_frame
press Q S I K J L E ctrl+x
press i i k k l j j s s a x 1 space Return BackSpace Tab F1 Up Left
sleep 1
alive || fail "a key other than q or Escape ended the show"
press q
wait_exit 10
[[ $status -eq 0 ]] || fail "status $status after q"
echo "ok: other keys left it running"
