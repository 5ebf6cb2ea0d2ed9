// How the pixels of pictures carrying a profile are to be turned into sRGB, decided once per
// profile and kept by the profile's bytes (a folder of photographs repeats a handful of
// profiles). An RGB profile whose conversion moves no colour of a grid through it by more than
// one level is sRGB in all but name: its pictures go as they are. One whose conversion the
// channel sums give within one level of LittleCMS's own 8-bit transform on that grid goes
// through the sums; any other through LittleCMS pixel by pixel.
// Depends on nothing else of the graphics layer: the GDI+ provider compiles it in.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/gdi/channel_sums_to_srgb.h"

struct TProfileRoad {
  enum class TKind : uint8_t {
    Refused,     // LittleCMS cannot open the profile or convert from it to sRGB
    Unchanged,   // an RGB profile that is sRGB already
    Sums,        // an RGB profile converted by the channel sums
    LittleCMS,   // converted pixel by pixel (and every grey profile)
  };
  TKind kind = TKind::Refused;
  uint32_t space = 0;  // the profile's colour space signature
  std::shared_ptr<const TChannelSumsToSRGB> sums;

  // The road of a profile: from the kept decisions, or decided now and kept.
  static TProfileRoad Of(std::span<const uint8_t> Profile);
};
