#!/usr/bin/env bash
# SIGTERM ends the show while the music plays, as it ends any program.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_plix "$PLIX"
wait_frame
alive || fail "plix ended by itself"
kill -s TERM "$plix_pid"
wait_exit 10
[[ $status -eq 143 ]] || fail "status $status after SIGTERM, expected 143"
echo "ok: SIGTERM ends plix"
