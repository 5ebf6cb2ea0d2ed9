// Where a track bar's channel and thumb lie: the channel runs along the bar 8 pixels in from
// each end, the thumb is centred across it, and the thumb's middle stands at the position's
// share of the channel's length.
#pragma once

#include "platform/user/wintypes.h"

struct TrackGeometry {
  RECT channel{};
  RECT thumb{};
};

inline constexpr int kTrackEnd = 8;       // channel end to the bar's end
inline constexpr int kThumbAlong = 11;    // the thumb's extent along the bar
inline constexpr int kChannelWidth = 4;

// `client`: the bar's client rectangle; ticks on the far side (TBS_BOTTOM / TBS_RIGHT) put the
// thumb 4 pixels from the near edge, TBS_BOTH centres it.
TrackGeometry LayTrack(const RECT& client, bool vertical, bool both, int low, int high, int pos);
// The position nearest to a point along the bar (clamped to the range).
int TrackPosAt(const RECT& client, bool vertical, int low, int high, int at);
