// Stopping on SIGINT, SIGTERM and SIGHUP: a thread of its own takes the signals, so that the capture
// stops at a safe point, removes what it made and exits with 128 + the signal number.
#pragma once

// Blocks the three signals (call it before any other thread starts: threads inherit the mask) and
// starts the thread that waits for them; it records the signal and calls onStop, once. SIGHUP stays
// ignored when it was ignored at the start (nohup).
void watchStopSignals(void (*onStop)());
// The signal that asked the capture to stop, or 0.
int stopSignal();
