#pragma once

// Every noise recording is levelled to one EBU R128 integrated loudness, so that switching
// colours does not jump in level, and its true peak is kept at or below the ceiling, so that
// the resampler and the output limiter have room. Brown noise has its peaks furthest above its
// loudness (about 17.3 dB); this is the loudest whole figure that still keeps its true peak more
// than half a decibel under the ceiling.
inline constexpr double noiseLoudnessLufs = -19.0;
inline constexpr double noiseTruePeakCeilingDbtp = -1.0;
