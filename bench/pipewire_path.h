// The A/V benchmark's measuring path on PipeWire: the sink's monitor recorded through PipeWire's own API,
// each sample placed on the graph's clock, and clicks played the same way to find how many graph cycles
// the monitor runs behind the sink.
#pragma once

#include <string>
#include <vector>

// Connects to the PipeWire server of the environment; false when there is none.
bool pipewireConnect();
void pipewireDisconnect();

// Records the sink's monitor from now until pipewireStopRecording.
bool pipewireStartRecording(const std::string& sink);
void pipewireStopRecording();
const std::vector<float>& pipewireRecorded(); // channels averaged

// When the sample at this index of the recording was heard: the wall time (CLOCK_MONOTONIC seconds) at
// which the sink took it, `lag` graph cycles before the monitor delivered it. NAN when unknown.
double pipewireHeardAt(double sample, int lag);

// Plays one-sample clicks a quarter second apart through PipeWire for the given time, into the
// recording. The monitor delivers each sample some graph cycles after the sink took it: how many depends
// on how its link was set up, and holds while it lasts, so each recording measures its own.
void pipewireClicks(const std::string& sink, double seconds);
// The cycles by which the monitor followed the sink in the last recording, the same for each of its
// clicks, or -1 (with a message).
int pipewireMonitorLag();

// The graph's cycles in the last recording: how many, and how many began later than the one before ended.
int pipewireCycles();
int pipewireCycleGaps();
