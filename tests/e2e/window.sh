#!/usr/bin/env bash
# The window: 640 x 480 with the show's title, and frames keep coming.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_plix "$PLIX"
wait_frame
info=$(xwininfo -name "$title" 2>&1) || fail "no window titled \"$title\": $info"
grep -q "Width: 640$" <<<"$info" || fail "width: $info"
grep -q "Height: 480$" <<<"$info" || fail "height: $info"
names=$(xwininfo -root -tree | grep -c "\"$title\"")
[[ $names -eq 1 ]] || fail "expected one window titled \"$title\", found $names"
sleep 1
alive || fail "plix ended by itself"
[[ $(events swap) -ge 3 ]] || fail "frames stopped after the first"
press q
wait_exit 10
[[ $status -eq 0 ]] || fail "status $status after q"
echo "ok: 640x480 window \"$title\""
