// The show's music: the embedded song every front plays, and the rate the players mix it at.
#pragma once

inline constexpr const char* songAsset = "data/boo.oxm";
inline constexpr int songMixRate = 44100;
