#include "skin/img_util.h"

#include <algorithm>
#include <array>

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/numbers.h"

namespace {

struct Rgb {
  int r, g, b;
};
Rgb Channels(TColor c) { return {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF}; }
TColor FromChannels(int r, int g, int b) {
  return TColor((std::clamp(r, 0, 255)) | (std::clamp(g, 0, 255) << 8) | (std::clamp(b, 0, 255) << 16));
}

// Runs `fn(row, x)` over every pixel of a 24-bit bitmap, the pixel's bytes at row + 3 x.
template <class Fn>
void ForEachPixel24(TBitmap& bitmap, Fn fn) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) fn(row + 3 * static_cast<size_t>(x));
  }
}

// The gradient cache: a ring of tables, the counter naming the slot the next new one takes.
struct GradientCache {
  std::array<std::vector<TColor>, kGradientSlots> tables;
  int next = 0;
};
GradientCache& Gradients() {
  static GradientCache cache;
  return cache;
}

// Copies the pixels of `source` into `bitmap` at the size given, 24-bit, through `at`, which
// names the source pixel of each target pixel.
template <class At>
void Rebuild24(TBitmap& bitmap, int width, int height, At at) {
  GdiBitmap source;
  source.CopyFrom(bitmap.Dib());
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(0, 0);
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      auto [sx, sy] = at(x, y);
      COLORREF c = source.GetColor(sx, sy);
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
}

}  // namespace

void GrayscaleBitmap(TBitmap& bitmap) {
  bitmap.SetPixelFormat(pf24bit);
  ForEachPixel24(bitmap, [](uint8_t* p) {
    uint8_t v = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
    p[0] = p[1] = p[2] = v;
  });
}

void ReplaceMagenta(TBitmap& bitmap, TColor color) {
  if (bitmap.PixelFormat() != pf24bit) bitmap.SetPixelFormat(pf24bit);
  const Rgb c = Channels(color);
  ForEachPixel24(bitmap, [&c](uint8_t* p) {
    if (p[0] == 255 && p[1] == 0 && p[2] == 255) {
      p[0] = static_cast<uint8_t>(c.b);
      p[1] = static_cast<uint8_t>(c.g);
      p[2] = static_cast<uint8_t>(c.r);
    }
  });
}

void MirrorBitmap(TBitmap& bitmap) {
  GdiBitmap& d = bitmap.Dib();
  GdiBitmap copy;
  copy.CopyFrom(d);
  const int w = d.Width();
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < w; ++x) d.SetRaw(x, y, copy.GetRaw(w - 1 - x, y));
  bitmap.Modified = true;
}

void FlipBitmap(TBitmap& bitmap) {
  GdiBitmap& d = bitmap.Dib();
  GdiBitmap copy;
  copy.CopyFrom(d);
  const int h = d.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < d.Width(); ++x) d.SetRaw(x, y, copy.GetRaw(x, h - 1 - y));
  bitmap.Modified = true;
}

void RotateBitmapLeft(TBitmap& bitmap) {
  const int ow = bitmap.Width(), oh = bitmap.Height();
  Rebuild24(bitmap, oh, ow, [ow](int x, int y) { return std::pair<int, int>(ow - 1 - y, x); });
}

void RotateBitmapRight(TBitmap& bitmap) {
  const int ow = bitmap.Width(), oh = bitmap.Height();
  Rebuild24(bitmap, oh, ow, [oh](int x, int y) { return std::pair<int, int>(y, oh - 1 - x); });
}

TColor BlendColors(TColor a, TColor b, int weight) {
  if (a < 0) a = static_cast<TColor>(GetSysColor(a & 0xFF));
  if (b < 0) b = static_cast<TColor>(GetSysColor(b & 0xFF));
  const int scale = weight < 100 ? 100 : 1000;
  const int term = scale / 2;
  const Rgb ca = Channels(a), cb = Channels(b);
  auto mix = [&](int x, int y) { return (x * weight + y * (scale - weight) + term) / scale; };
  return FromChannels(mix(ca.r, cb.r), mix(ca.g, cb.g), mix(ca.b, cb.b));
}

int GetGradient(int count, TColor a, TColor b) {
  if (count < 1) throw EAssertionFailed("Assertion failure (ImgUtil)");
  GradientCache& cache = Gradients();
  for (int slot = kGradientSlots - 1; slot >= 0; --slot) {
    const auto& t = cache.tables[static_cast<size_t>(slot)];
    if (static_cast<int>(t.size()) == count && t.front() == a && t.back() == b) return slot;
  }
  const int slot = cache.next;
  cache.next = (cache.next + 1) % kGradientSlots;
  auto& t = cache.tables[static_cast<size_t>(slot)];
  t.assign(static_cast<size_t>(count), 0);
  const Rgb ca = Channels(a), cb = Channels(b);
  if (count == 1) {
    t[0] = FromChannels(ca.r + (cb.r - ca.r) / 2, ca.g + (cb.g - ca.g) / 2, ca.b + (cb.b - ca.b) / 2);
    return slot;
  }
  const int64_t steps = count - 1;
  for (int64_t i = 0; i < count; ++i) {
    // Rounded to the nearest step both ways, so that the table ends at b also when a channel
    // falls.
    auto at = [&](int x, int y) {
      const int64_t d = (int64_t(y) - x) * i;
      return static_cast<int>(x + (d + (d < 0 ? -steps / 2 : steps / 2)) / steps);
    };
    t[static_cast<size_t>(i)] = FromChannels(at(ca.r, cb.r), at(ca.g, cb.g), at(ca.b, cb.b));
  }
  return slot;
}

const std::vector<TColor>& GradientTable(int slot) {
  return Gradients().tables[static_cast<size_t>(std::clamp(slot, 0, kGradientSlots - 1))];
}

void GradientFillRect(HDC dc, const TRect& rect, TColor a, bool vertical, TColor b) {
  if (!RectVisible(dc, &rect)) return;
  a = static_cast<TColor>(ColorToRGB(a));
  b = static_cast<TColor>(ColorToRGB(b));
  RECT clip{};
  GetClipBox(dc, &clip);
  const int n = vertical ? rect.Height() : rect.Width();
  if (n < 1) return;
  int first, last;
  if (vertical) {
    first = std::max(0, clip.top - rect.top);
    last = n - 1 - std::max(0, rect.bottom - clip.bottom);
  } else {
    first = std::max(0, clip.left - rect.left);
    last = n - 1 - std::max(0, rect.right - clip.right);
  }
  const std::vector<TColor>& table = GradientTable(GetGradient(n, a, b));
  RECT band = vertical ? RECT{rect.left, rect.top + first, rect.right, rect.top + first + 1}
                       : RECT{rect.left + first, rect.top, rect.left + first + 1, rect.bottom};
  for (int i = first; i <= last; ++i) {
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(table[static_cast<size_t>(i)]));
    FillRect(dc, &band, brush);
    DeleteObject(brush);
    if (vertical) {
      OffsetRect(band, 0, 1);
    } else {
      OffsetRect(band, 1, 0);
    }
  }
}

std::pair<int, int> ColorToHue(TColor color) {
  const Rgb c = Channels(color);
  const int mx = std::max({c.r, c.g, c.b}), mn = std::min({c.r, c.g, c.b});
  const double delta = mx - mn;
  const double s = mx == 0 ? 0.0 : delta / mx;
  double h = 0;
  if (s != 0) {
    if (mx == c.r) {
      h = 60.0 * (c.g - c.b) / delta;
    } else if (mx == c.g) {
      h = 120.0 + 60.0 * (c.b - c.r) / delta;
    } else {
      h = 240.0 + 60.0 * (c.r - c.g) / delta;
    }
    if (h < 0) h += 360.0;
  }
  const int saturation = (c.r < 160 && c.g < 160 && c.b < 160) ? 200 : static_cast<int>(RoundHalfEven(s * 255));
  return {saturation, static_cast<int>(RoundHalfEven(h * 255 / 360))};
}
