#!/usr/bin/env bash
# Runs a benchmark on a PipeWire of its own, with its pulse server: the end-to-end tests' private
# PipeWire, its null sink left idle. Usage: bench/pipewire.sh PROGRAM [ARGUMENT...], for instance
#   bench/pipewire.sh build/plain/bench/avsync_bench [RUNS] [SECONDS]
source "$(dirname "$0")/../tests/e2e/lib.sh"
SOUND_SERVER=pipewire start_pulse idle
env "${pulse_env[@]}" PIPEWIRE_RUNTIME_DIR="$work/pulse" "$@"
