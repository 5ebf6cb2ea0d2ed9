#include "pdf/content/image_import/tiff_page_layout.h"

#include <algorithm>
#include <string>

#include "pdf/core/pdf_helpers.h"
#include "platform/gdi/dib.h"

namespace tiffpage {

namespace {

bool ColourKnown(const TPDFTIFFPage& p) {
  switch (p.Photometric) {
    case 0: case 1: case 2: case 3: case 5: return true;
    default: return false;
  }
}

const char kHex[] = "0123456789ABCDEF";

// n / d of the unit square in billionths, rounded to the nine decimals a content number holds.
std::string Billionths(int64_t n, uint64_t d) {
  if (d == 0) return "0";
  constexpr int64_t kBillion = 1000000000;
  const unsigned __int128 scaled = (unsigned __int128)(n < 0 ? -n : n) * kBillion * kBillion;
  const unsigned __int128 rounded = (scaled + d / 2) / d;
  const auto whole = uint64_t(rounded / kBillion), fraction = uint64_t(rounded % kBillion);
  if (whole == 0 && fraction == 0) return "0";
  // The fraction's digits as the number writer gives them ("0.25" for a quarter), without the 0.
  const std::string decimals = fraction ? FormatPDFNumber(double(fraction) / kBillion, 9).substr(1) : "";
  return (n < 0 ? "-" : "") + std::to_string(whole) + decimals;
}

}  // namespace

bool PageAcceptable(const TPDFTIFFPage& p) {
  // A colour model beyond those the record holds (CIELab, LogLuv, ...) would be read as grey;
  // a page of no samples per pixel holds no picture at all. Strips handed on unchanged are
  // drawn at the size the page claims, so their layout is bounded as decoded ones are.
  return p.Width > 0 && p.Height > 0 && uint64_t(p.Width) * p.Height <= uint64_t(kMaxBitmapPixels) &&
         p.PhotometricTag <= 7 && p.SamplesPerPixel > 0 && p.PiecesWithinBitmapLimit();
}

bool SamplesExpressible(const TPDFTIFFPage& p) {
  if (!ColourKnown(p) || p.SampleFormat != 1 || p.SamplesPerPixel != p.ColorChannels()) return false;
  const uint32_t b = p.BitsPerSample;
  if (!(b == 1 || b == 2 || b == 4 || b == 8 || (b == 16 && p.BigEndian))) return false;
  if (p.Photometric == 3 && (b > 8 || p.ColorMap.size() < (size_t(3) << b))) return false;
  if (p.Predictor >= 2 && (p.Predictor != 2 || b != 8)) return false;
  return true;
}

bool TilesPastPage(const TPDFTIFFPage& p) {
  return p.Tiled && (p.TilesAcross() * p.TileWidth > p.Width || p.TilesDown() * p.TileLength > p.Height);
}

std::string ColorSpaceText(const TPDFTIFFPage& p, bool inlineForm) {
  switch (p.Photometric) {
    case 0:
    case 1: return inlineForm ? "/G" : "/DeviceGray";
    case 2: return inlineForm ? "/RGB" : "/DeviceRGB";
    case 5: return inlineForm ? "/CMYK" : "/DeviceCMYK";
    case 3: {
      const uint32_t bits = std::min<uint32_t>(p.BitsPerSample, 8);
      const size_t entries = size_t(1) << bits;
      const size_t n = p.ColorMap.size() / 3;
      std::string hex;
      hex.reserve(entries * 6);
      for (size_t i = 0; i < n && hex.size() < entries * 6; ++i)
        for (size_t c = 0; c < 3; ++c) {
          const uint32_t v = (p.ColorMap[c * n + i] >> 8) & 0xFF;
          hex += kHex[v >> 4];
          hex += kHex[v & 15];
        }
      hex.resize(entries * 6, '0');
      return std::string(inlineForm ? "[ /Indexed /RGB " : "[ /Indexed /DeviceRGB ") + std::to_string(entries - 1) +
             " <" + hex + "> ]";
    }
    default: return {};
  }
}

std::string DecodeText(const TPDFTIFFPage& p) { return p.Photometric == 0 ? "[ 1 0 ]" : std::string(); }

TStripWalk::TStripWalk(const TPDFTIFFPage& p) : p_(p), count_(p.Strips.size()) {
  if (p.Tiled) {
    stripWidth_ = p.TileWidth;
    stripHeight_ = p.TileLength;
    across_ = p.TilesAcross();
    count_ = size_t(std::min<uint64_t>(count_, across_ * p.TilesDown()));
  } else {
    stripWidth_ = p.Width;
    // The reader made absent (or too large) rows per strip the whole image.
    stripHeight_ = p.RowsPerStrip ? p.RowsPerStrip : p.Height;
  }
}

bool TStripWalk::Next() {
  if (index_ >= count_) return false;
  const TPDFTIFFPage& p = p_;
  if (p.Tiled) {
    // A tile's rows below the page are not placed: the page would cut them off, and its image
    // stops where the page does (its data are read no further than that).
    top_ = index_ / across_ * p.TileLength;
    left_ = index_ % across_ * p.TileWidth;
    w_ = p.TileWidth;
  } else {
    top_ = uint64_t(index_) * stripHeight_;
    if (top_ >= p.Height) return false;
    left_ = 0;
    w_ = stripWidth_;
  }
  h_ = uint32_t(std::min<uint64_t>(stripHeight_, p.Height - top_));
  ++index_;
  return true;
}

std::string FormUnits() { return "0.000000001 0 0 0.000000001 0 0 cm\n"; }

std::string Placement(const TPDFTIFFPage& p, uint64_t left, uint64_t top, uint64_t w, uint64_t h) {
  // From the page's bottom edge; a piece reaching below the page starts below 0.
  const int64_t bottom = int64_t(p.Height) - int64_t(top) - int64_t(h);
  return "q " + Billionths(int64_t(w), p.Width) + " 0 0 " + Billionths(int64_t(h), p.Height) + " " +
         Billionths(int64_t(left), p.Width) + " " + Billionths(bottom, p.Height) + " cm";
}

}  // namespace tiffpage
