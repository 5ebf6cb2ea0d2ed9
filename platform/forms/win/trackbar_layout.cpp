#include "platform/forms/win/trackbar_layout.h"

#include <algorithm>
#include <cstdint>

namespace {

// The thumb's extent across the bar: what the bar's thickness leaves, between 4 and 20.
int ThumbAcross(int thickness) { return std::clamp(thickness - 8, 4, 20); }

// A rectangle given along and across the bar.
RECT Oriented(bool vertical, int along0, int along1, int across0, int across1) {
  return vertical ? RECT{across0, along0, across1, along1} : RECT{along0, across0, along1, across1};
}

}  // namespace

TrackGeometry LayTrack(const RECT& client, bool vertical, bool both, int low, int high, int pos) {
  const int length = vertical ? client.bottom - client.top : client.right - client.left;
  const int thickness = vertical ? client.right - client.left : client.bottom - client.top;
  const int origin = vertical ? client.top : client.left, side = vertical ? client.left : client.top;
  const int across = ThumbAcross(thickness);
  const int thumbNear = side + (both ? (thickness - across) / 2 : 4);
  const int middle = thumbNear + across / 2;
  const int start = origin + kTrackEnd, end = std::max(start, origin + length - kTrackEnd);
  const int64_t range = int64_t(high) - low;
  const int64_t done = range > 0 ? std::clamp(int64_t(pos) - low, int64_t(0), range) : 0;
  const int centre = start + int(range > 0 ? done * (end - start) / range : 0);
  TrackGeometry g;
  g.channel = Oriented(vertical, start, end, middle - kChannelWidth / 2, middle + kChannelWidth / 2);
  g.thumb = Oriented(vertical, centre - kThumbAlong / 2, centre - kThumbAlong / 2 + kThumbAlong, thumbNear,
                     thumbNear + across);
  return g;
}

int TrackPosAt(const RECT& client, bool vertical, int low, int high, int at) {
  const int origin = vertical ? client.top : client.left;
  const int length = vertical ? client.bottom - client.top : client.right - client.left;
  const int start = origin + kTrackEnd, end = std::max(start, origin + length - kTrackEnd);
  if (high <= low || end == start) return low;
  const int64_t offset = std::clamp(int64_t(at) - start, int64_t(0), int64_t(end) - start);
  const int64_t range = int64_t(high) - low;
  return int(low + (offset * range + (end - start) / 2) / (end - start));
}
