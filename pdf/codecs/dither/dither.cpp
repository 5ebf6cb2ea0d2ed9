#include "pdf/codecs/dither/dither.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/bitmap.h"

int32_t MonochromeThreshold = 32512;

uint8_t TMonochromeLookup::Lookup(uint8_t R, uint8_t G, uint8_t B, std::array<uint8_t, 3>& Colour) {
  const int32_t s = 77 * R + 150 * G + 29 * B;
  if (s <= MonochromeThreshold) {
    Colour = {0, 0, 0};
    return 0;
  }
  Colour = {255, 255, 255};
  return 1;
}

TDitherEngine::TDitherEngine(int32_t Width, TColorLookup& Lookup) : Lookup(&Lookup), Width(std::max(Width, 0)) {}

uint8_t TDitherEngine::ProcessPixel(uint8_t R, uint8_t G, uint8_t B) {
  const uint8_t index = Lookup->Lookup(R, G, B, Colour);
  X += Direction;
  return index;
}

void TDitherEngine::NextRow() {
  Direction = -Direction;
  X = Direction == 1 ? 0 : Width - 1;
}

T5by3Ditherer::T5by3Ditherer(int32_t Width, TColorLookup& Lookup) : TDitherEngine(Width, Lookup) {
  for (auto& channel : Rows)
    for (auto& row : channel) row.assign(static_cast<size_t>(this->Width) + 2 * kGuard, 0);
  Divisor = 1;
  Step = 2 * Direction;
}

uint8_t T5by3Ditherer::ProcessPixel(uint8_t R, uint8_t G, uint8_t B) {
  // Outside the row there is nothing to carry the error; the pixel is looked up as it is.
  if (X < 0 || X >= Width) return TDitherEngine::ProcessPixel(R, G, B);
  const size_t cell = static_cast<size_t>(X) + kGuard;
  const uint8_t in[3] = {R, G, B};
  uint8_t adjusted[3];
  for (int c = 0; c < 3; ++c) {
    const int32_t e = Rows[c][kCurrent][cell];
    // Integer division truncates toward zero, as the accumulated error is meant to be read.
    const int32_t v = in[c] + (e + Divisor / 2) / Divisor;
    adjusted[c] = static_cast<uint8_t>(std::clamp(v, 0, 255));
  }
  const uint8_t index = TDitherEngine::ProcessPixel(adjusted[0], adjusted[1], adjusted[2]);
  for (int c = 0; c < 3; ++c) {
    const int32_t error = int32_t(adjusted[c]) - int32_t(Colour[size_t(c)]);
    Distribute(&Rows[c][kCurrent][cell], &Rows[c][kNext][cell], error, &Rows[c][kAfterNext][cell]);
  }
  return index;
}

void T5by3Ditherer::NextRow() {
  for (auto& channel : Rows) {
    std::fill(channel[kCurrent].begin(), channel[kCurrent].end(), 0);
    std::swap(channel[kCurrent], channel[kNext]);       // current <- next
    std::swap(channel[kNext], channel[kAfterNext]);     // next <- after-next, after-next <- zeroed
  }
  TDitherEngine::NextRow();
  Step = 2 * Direction;
}

TStuckiDitherer::TStuckiDitherer(int32_t Width, TColorLookup& Lookup) : T5by3Ditherer(Width, Lookup) {
  Divisor = 42;
}

void TStuckiDitherer::Distribute(int32_t* Current, int32_t* Next, int32_t Error, int32_t* AfterNext) {
  if (Error == 0) return;
  const int32_t d = Direction;
  Current[d] += 8 * Error;
  Current[2 * d] += 4 * Error;
  Next[-2 * d] += 2 * Error;
  Next[-d] += 4 * Error;
  Next[0] += 8 * Error;
  Next[d] += 4 * Error;
  Next[2 * d] += 2 * Error;
  AfterNext[-2 * d] += Error;
  AfterNext[-d] += 2 * Error;
  AfterNext[0] += 4 * Error;
  AfterNext[d] += 2 * Error;
  AfterNext[2 * d] += Error;
}

bool DitherToMonochrome(const TBitmap& Source, TBitmap& Target) {
  if (Source.Empty() || Source.PixelFormat() != pf24bit) return false;
  const TPixelFormat targetFormat = Target.PixelFormat();
  if (targetFormat != pf8bit && targetFormat != pf1bit) return false;
  const int32_t width = Source.Width(), height = Source.Height();
  if (Target.Width() < width || Target.Height() < height) return false;

  const GdiBitmap& source = Source.Dib();
  GdiBitmap& target = Target.Dib();
  const bool packed = targetFormat == pf1bit;
  TMonochromeLookup lookup;
  TStuckiDitherer ditherer(width, lookup);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = source.Row(y);
    uint8_t* out = target.Row(y);
    while (ditherer.X >= 0 && ditherer.X < width) {
      const int32_t x = ditherer.X;
      const uint8_t* p = in + static_cast<size_t>(x) * 3;
      const uint8_t index = ditherer.ProcessPixel(p[2], p[1], p[0]);
      if (!packed) {
        out[x] = index;
      } else {
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
        uint8_t& byte = out[x >> 3];
        byte = index ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
      }
    }
    ditherer.NextRow();
  }
  Target.Modified = true;
  return true;
}
