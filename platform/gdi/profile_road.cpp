#include "platform/gdi/profile_road.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/gdi/lcms_handles.h"

namespace {

// The red, green, blue triples the decision runs through the conversion, a piece at a time
// (the decision's memory stays small beside the page): each piece calls Check(triples).
// Every fifth level of each channel in every combination, and every level of each channel,
// pair and grey alone (where a tone curve that strays between grid points shows first).
template <class Check>
bool EveryCheckColour(Check check) {
  std::vector<uint8_t> rgb;
  rgb.reserve(3 * 256 * 7);
  for (int r = 0; r <= 255; r += 5) {
    rgb.clear();
    for (int g = 0; g <= 255; g += 5)
      for (int b = 0; b <= 255; b += 5) rgb.insert(rgb.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    if (!check(rgb)) return false;
  }
  rgb.clear();
  for (int mask = 1; mask < 8; ++mask)
    for (int v = 0; v < 256; ++v)
      rgb.insert(rgb.end(), {uint8_t(mask & 4 ? v : 0), uint8_t(mask & 2 ? v : 0), uint8_t(mask & 1 ? v : 0)});
  return check(rgb);
}

// Whether two conversions of the same colours nowhere differ by more than one level.
bool WithinOneLevel(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  for (size_t i = 0; i < a.size(); ++i)
    if (std::abs(int(a[i]) - int(b[i])) > 1) return false;
  return true;
}

TProfileRoad Decide(std::span<const uint8_t> profile) {
  TProfileRoad road;
  lcms::ContextPtr context(cmsCreateContext(nullptr, nullptr));
  if (!context) return road;
  cmsContext ctx = static_cast<cmsContext>(context.get());
  lcms::SilenceErrors(ctx);
  lcms::ProfilePtr source(cmsOpenProfileFromMemTHR(ctx, profile.data(), cmsUInt32Number(profile.size())));
  lcms::ProfilePtr srgb(cmsCreate_sRGBProfileTHR(ctx));
  if (!source || !srgb) return road;
  // Kept as a number: a profile's header may name any value, not only the signatures the
  // enumeration lists.
  road.space = cmsGetColorSpace(source.get());
  road.kind = TProfileRoad::TKind::LittleCMS;
  if (road.space != cmsSigRgbData) return road;
  lcms::TransformPtr transform(
      cmsCreateTransformTHR(ctx, source.get(), TYPE_RGB_8, srgb.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0));
  if (!transform) {
    road.kind = TProfileRoad::TKind::Refused;
    return road;
  }
  std::shared_ptr<const TChannelSumsToSRGB> sums = TChannelSumsToSRGB::Sample(ctx, source.get());
  bool unchanged = true, summed = sums != nullptr;
  std::vector<uint8_t> converted, ours;
  EveryCheckColour([&](const std::vector<uint8_t>& colours) {
    converted.resize(colours.size());
    cmsDoTransform(transform.get(), colours.data(), converted.data(), cmsUInt32Number(colours.size() / 3));
    unchanged = unchanged && WithinOneLevel(colours, converted);
    if (summed) {
      // The sums read blue, green, red.
      ours.resize(colours.size());
      for (size_t i = 0; i < colours.size(); i += 3) {
        ours[i] = colours[i + 2];
        ours[i + 1] = colours[i + 1];
        ours[i + 2] = colours[i];
      }
      sums->Convert(ours.data(), ours.size() / 3, 3);
      for (size_t i = 0; i < ours.size(); i += 3) std::swap(ours[i], ours[i + 2]);
      summed = WithinOneLevel(ours, converted);
    }
    return unchanged || summed;
  });
  if (unchanged) {
    road.kind = TProfileRoad::TKind::Unchanged;
  } else if (summed) {
    road.kind = TProfileRoad::TKind::Sums;
    road.sums = std::move(sums);
  }
  return road;
}

// Decisions kept for the profiles last met; larger profiles are decided each time rather than
// kept with their bytes.
constexpr size_t kKeptProfiles = 16;
constexpr size_t kMaxKeptBytes = size_t(64) << 10;

struct Kept {
  std::vector<uint8_t> bytes;
  TProfileRoad road;
};

}  // namespace

TProfileRoad TProfileRoad::Of(std::span<const uint8_t> profile) {
  static std::mutex lock;
  static std::deque<Kept> kept;
  const bool keep = profile.size() <= kMaxKeptBytes;
  if (keep) {
    std::lock_guard<std::mutex> hold(lock);
    for (const Kept& k : kept)
      if (std::equal(k.bytes.begin(), k.bytes.end(), profile.begin(), profile.end())) return k.road;
  }
  TProfileRoad road = Decide(profile);
  if (keep) {
    std::lock_guard<std::mutex> hold(lock);
    if (kept.size() == kKeptProfiles) kept.pop_front();
    kept.push_back({std::vector<uint8_t>(profile.begin(), profile.end()), road});
  }
  return road;
}
