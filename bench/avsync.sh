#!/usr/bin/env bash
# Runs the A/V offset benchmark on a PulseAudio server of its own (the end-to-end tests' private server
# with a null sink). Usage: bench/avsync.sh BENCH_PROGRAM [RUNS] [SECONDS]
source "$(dirname "$0")/../tests/e2e/lib.sh"
program=$1
shift
start_pulse
env "${pulse_env[@]}" "$program" "$@"
