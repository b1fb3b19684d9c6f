#!/usr/bin/env bash
# Runs a benchmark on a PulseAudio server of its own: the end-to-end tests' private server, its null
# sink left idle. Usage: bench/pulse.sh PROGRAM [ARGUMENT...], for instance
#   bench/pulse.sh build/plain/bench/avsync_bench [RUNS] [SECONDS]
#   bench/pulse.sh build/plain/bench/clock_bench [SECONDS] [FRAME_MS]
source "$(dirname "$0")/../tests/e2e/lib.sh"
start_pulse idle
env "${pulse_env[@]}" "$@"
