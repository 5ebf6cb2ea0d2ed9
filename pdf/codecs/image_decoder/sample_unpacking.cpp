// Unpacking raw samples (no image codec in the chain) into the decoder's bitmap: every colour
// space to 24-bit RGB through per-image tables, one-bit grey straight into a one-bit bitmap,
// stencil masks into a two-colour PNG, colour keys into a mask bitmap.
#include <algorithm>
#include <cstring>
#include <vector>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/render/colour/color_manager.h"

using namespace imgdec;

namespace {

// The raw samples of one row (count of them), most significant bits first.
void ReadRowSamples(const uint8_t* row, int64_t count, int bpc, uint16_t* out) {
  switch (bpc) {
    case 8:
      for (int64_t i = 0; i < count; ++i) out[i] = row[i];
      return;
    case 16:
      for (int64_t i = 0; i < count; ++i) out[i] = uint16_t(row[2 * i] << 8 | row[2 * i + 1]);
      return;
    default: {
      const uint32_t mask = (1u << bpc) - 1;
      for (int64_t i = 0; i < count; ++i) {
        const int64_t bit = i * bpc;
        out[i] = uint16_t((row[bit >> 3] >> (8 - bpc - (bit & 7))) & mask);
      }
    }
  }
}

// Raw sample value (for 16 bits: its high byte) to the final byte of a component.
TByteTable ValueTable(int bpc, double low, double high) {
  const TByteTable decode = DecodeTable(low, high);
  TByteTable t{};
  const int values = bpc >= 8 ? 256 : 1 << bpc;
  for (int r = 0; r < values; ++r) t[size_t(r)] = decode[ScaleSample(uint32_t(r), bpc >= 8 ? 8 : bpc)];
  return t;
}

inline uint32_t TableIndex(uint16_t raw, int bpc) { return bpc == 16 ? raw >> 8 : raw; }

inline void PutColor(uint8_t* dst, COLORREF c) {
  dst[0] = GetBValue(c);
  dst[1] = GetGValue(c);
  dst[2] = GetRValue(c);
}

// The colour of CMYK samples (bytes after their tables), asked of the manager only when they
// differ from the last ones asked for.
COLORREF CMYKColor(const TPDFColorManager& manager, TColorRows& rows, uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
  const uint32_t key = uint32_t(c) << 24 | uint32_t(m) << 16 | uint32_t(y) << 8 | k;
  if (key != rows.lastCMYK) {
    if (rows.cmykTerms) {
      rows.lastColor = rows.cmykTerms->Color(c, m, y, k);
    } else {
      double r, g, b;
      manager.CMYKToRGB(c / 255.0, m / 255.0, y / 255.0, k / 255.0, r, g, b);
      rows.lastColor = RGB(ComponentByte(r), ComponentByte(g), ComponentByte(b));
    }
    rows.lastCMYK = key;
  }
  return rows.lastColor;
}

std::vector<RGBQUAD> GreyRamp() {
  std::vector<RGBQUAD> colors(256);
  for (int i = 0; i < 256; ++i) colors[size_t(i)] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  return colors;
}

}  // namespace

void TPDFImageDecoder::UnpackSamples() {
  Decoded = true;
  const int bpc = BitsPerComponent;
  if (!ImageSizeAccepted(Width, Height) || !UnpackableDepth(bpc) || (Data.empty() && borrowed_.empty())) {
    borrowed_ = {};
    return Fail();
  }
  const std::vector<double> decode = ParseNumberArray(Decode);
  sourceDecode_ = decode;
  if (MaskKind == kMaskStencil || (ColorSpace == "DeviceGray" && bpc == 1 && MaskKind != kMaskColorKey))
    TakeBorrowedSamples();
  if (MaskKind == kMaskStencil) return UnpackStencil(decode);
  if (ColorSpace == "DeviceGray" && bpc == 1 && MaskKind != kMaskColorKey) return UnpackOneBitGrey(decode);
  const int components = ComponentsOf(ColorSpace, DeviceNComponents());
  UnpackColor(decode, components);
  borrowed_ = {};
  if (!Decoded) return;

  if (!ICCProfile.empty()) ApplyICCProfile();
  if (ColorSpace == "Lab" || (ColorSpace == "Indexed" && IndexedBase == "Lab")) ConvertLab();
  if (ColorSpace == "Separation") ConvertSeparation();
  if (BitmapFailed) return Fail();
  // The samples are not needed any more.
  std::string().swap(Data);
  if (MaskKind == kMaskNone && !IsMaskDecoder && !PassThrough && !DrawOnly) HandOverAsPNG();
}

void TPDFImageDecoder::TakeBorrowedSamples() {
  if (borrowed_.empty()) return;
  Data.assign(borrowed_);
  borrowed_ = {};
}

std::string_view TPDFImageDecoder::SamplesOfRows(int64_t size) {
  if (int64_t(borrowed_.size()) >= size) return borrowed_.substr(0, size_t(size));
  TakeBorrowedSamples();
  // Missing data read as all ones, as other readers do.
  Data.resize(size_t(size), '\xFF');
  return Data;
}

void TPDFImageDecoder::HandOverAsPNG() {
  // The writer takes the bitmap over and gives it back: no copy of the pixels is made.
  TPNGWriter writer(std::move(Bitmap));
  writer.StoreOnly = true;
  auto stream = std::make_unique<TMemoryStream>();
  writer.SaveToStream(*stream);
  if (KeepBitmap) Bitmap = std::move(writer.Bitmap);
  DataStream = std::move(stream);
  DataFormat = kDataPNG;
}

void TPDFImageDecoder::UnpackStencil(const std::vector<double>& decode) {
  // Painted samples are 0 under the default Decode, 1 under [1 0]; they become palette index 1
  // (white), the others index 0 (black), which the drawing turns into the fill colour and
  // transparency.
  const int bpc = BitsPerComponent;
  const bool inverted = decode.size() >= 2 && decode[0] > decode[1];
  const int64_t rowBytes = RowBytesFor(Width, 1, bpc);
  Data.resize(size_t(rowBytes * Height), '\xFF');
  const int64_t outRow = (int64_t(Width) + 7) / 8;
  std::vector<uint8_t> bits(size_t(outRow * Height), 0);
  std::vector<uint16_t> samples(static_cast<size_t>(Width));
  for (int64_t y = 0; y < Height; ++y) {
    const auto* src = reinterpret_cast<const uint8_t*>(Data.data()) + y * rowBytes;
    uint8_t* dst = bits.data() + y * outRow;
    if (bpc == 1) {
      for (int64_t i = 0; i < outRow; ++i) dst[i] = inverted ? src[i] : uint8_t(~src[i]);
      continue;
    }
    ReadRowSamples(src, Width, bpc, samples.data());
    for (int64_t x = 0; x < Width; ++x) {
      uint8_t v = ScaleSample(samples[size_t(x)], bpc);
      if (!inverted) v = uint8_t(255 - v);
      if (v >= 128) dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
  }
  // The stencil is its PNG data from now on.
  DataStream = std::make_unique<TMemoryStream>(
      TwoColourPNG(Width, Height, bits.data(), outRow, RGB(0, 0, 0), RGB(255, 255, 255)));
  Bitmap.reset();
  Decode = "[ 0 1 ]";
  std::string().swap(Data);
}

void TPDFImageDecoder::UnpackOneBitGrey(const std::vector<double>& decode) {
  const auto [low, high] = DecodePair(decode, 0, 1);
  const uint8_t g0 = ComponentByte(low), g1 = ComponentByte(high);
  const int64_t rowBytes = RowBytesFor(Width, 1, 1);
  Data.resize(size_t(rowBytes * Height), '\xFF');
  try {
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetPixelFormat(pf1bit);
    Bitmap->SetSize(Width, Height);
  } catch (const std::exception&) {
    BitmapFailed = true;
    return Fail();
  }
  // Black and white keep the default palette (inverted samples are complemented); any other
  // pair of greys goes into the palette.
  const bool plain = g0 == 0 && g1 == 255, inverted = g0 == 255 && g1 == 0;
  if (!plain && !inverted) {
    const RGBQUAD colors[2] = {{g0, g0, g0, 0}, {g1, g1, g1, 0}};
    Bitmap->Dib().SetColors(colors);
  }
  for (int32_t y = 0; y < Height; ++y) {
    const auto* src = reinterpret_cast<const uint8_t*>(Data.data()) + int64_t(y) * rowBytes;
    uint8_t* dst = Bitmap->ScanLine(y);
    if (inverted)
      for (int64_t i = 0; i < rowBytes; ++i) dst[i] = uint8_t(~src[i]);
    else
      std::memcpy(dst, src, size_t(rowBytes));
  }
  Decode = "[ 0 1 ]";
  std::string().swap(Data);
}

bool TPDFImageDecoder::PrepareColorRows(const std::vector<double>& decode, int components, TColorRows& rows) {
  const int bpc = BitsPerComponent;
  const bool gray = ColorSpace == "DeviceGray" || ColorSpace == "Separation";
  const bool rgb = ColorSpace == "DeviceRGB";
  const bool lab = ColorSpace == "Lab";
  const bool cmyk = ColorSpace == "DeviceCMYK";
  const bool deviceN = ColorSpace == "DeviceN";
  const bool indexed = ColorSpace == "Indexed";
  // What cannot be shown right is not shown at all.
  if (!gray && !rgb && !lab && !cmyk && !deviceN && !indexed) return false;
  if (indexed && bpc > 8) return false;
  if (deviceN && DeviceNComponents() <= 0) return false;
  if ((lab && !LabSpace) || (ColorSpace == "Separation" && !SeparationSpace)) return false;
  rows.space = gray ? TColorRows::kGray : rgb || lab ? TColorRows::kRGB : cmyk ? TColorRows::kCMYK
               : deviceN ? TColorRows::kDeviceN : TColorRows::kIndexed;
  rows.components = components;
  rows.bpc = bpc;
  if (cmyk) {
    auto terms = std::make_shared<TCMYKTerms>();
    if (terms->Prepare(*ColorManager)) rows.cmykTerms = std::move(terms);
  }

  // Palette of an Indexed image: 256 entries, indices above HiVal take HiVal's colour.
  if (indexed) {
    std::vector<COLORREF>& palette = rows.palette;
    palette.assign(256, RGB(0, 0, 0));
    const auto* lut = reinterpret_cast<const uint8_t*>(Lookup.data());
    const int64_t size = int64_t(Lookup.size());
    const int n = DeviceNComponents();
    const bool known = IndexedBase == "DeviceRGB" || IndexedBase == "Lab" || IndexedBase == "DeviceGray" ||
                       IndexedBase == "DeviceCMYK" || (IndexedBase == "DeviceN" && n > 0) ||
                       (IndexedBase == "Separation" && SeparationSpace);
    if (!known || (IndexedBase == "Lab" && !LabSpace)) return false;
    for (int i = 0; i < 256; ++i) {
      const int64_t j = std::min<int64_t>(i, HiVal);
      if (j < 0) continue;
      COLORREF& e = palette[size_t(i)];
      if (IndexedBase == "DeviceRGB" || IndexedBase == "Lab") {
        if (3 * j + 3 <= size) e = RGB(lut[3 * j], lut[3 * j + 1], lut[3 * j + 2]);
      } else if (IndexedBase == "DeviceGray") {
        if (j + 1 <= size) e = RGB(lut[j], lut[j], lut[j]);
      } else if (IndexedBase == "DeviceCMYK") {
        if (4 * j + 4 > size) continue;
        double r, g, b;
        ColorManager->CMYKToRGB(lut[4 * j] / 255.0, lut[4 * j + 1] / 255.0, lut[4 * j + 2] / 255.0,
                                lut[4 * j + 3] / 255.0, r, g, b);
        e = RGB(ComponentByte(r), ComponentByte(g), ComponentByte(b));
      } else if (IndexedBase == "DeviceN") {
        if (int64_t(n) * (j + 1) > size) continue;
        std::vector<double> tints(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) tints[size_t(c)] = lut[int64_t(n) * j + c] / 255.0;
        e = DeviceNColor(tints);
      } else {  // Separation
        if (j + 1 <= size) e = SeparationColor(lut[j] / 255.0);
      }
    }
  }

  // Per component: raw sample to final byte (scaling and Decode in one lookup). Lab samples
  // are taken as they are: their ranges are the space's.
  rows.tables.assign(static_cast<size_t>(components), TByteTable{});
  for (int c = 0; c < components; ++c) {
    const auto [low, high] = lab ? std::pair{0.0, 1.0} : DecodePair(decode, c, components);
    rows.tables[size_t(c)] = ValueTable(bpc, low, high);
  }
  // An Indexed sample through its Decode pair (in index units) to an index.
  if (indexed) {
    const double top = double((1 << bpc) - 1);
    const auto [low, high] = decode.size() >= 2 ? std::pair{decode[0], decode[1]} : std::pair{0.0, top};
    for (int r = 0; r < (1 << bpc); ++r) {
      const double x = low + r * (high - low) / top;
      rows.indexOf[size_t(r)] = uint8_t(std::clamp(int64_t(x + 0.5), int64_t{0}, int64_t{255}));
    }
    // Each sample's pixel bytes.
    for (int r = 0; r < 256; ++r) {
      const COLORREF c = rows.palette[rows.indexOf[size_t(r)]];
      rows.pixelOf[size_t(r)] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
  }
  rows.tints.resize(static_cast<size_t>(components));
  rows.fastRGB = rgb && bpc == 8 && IsIdentity(rows.tables[0]) && IsIdentity(rows.tables[1]) && IsIdentity(rows.tables[2]);
  return true;
}

void TPDFImageDecoder::ConvertColorRow(TColorRows& rows, const uint8_t* src, uint8_t* dst, int64_t count) {
  const int64_t width = count < 0 ? Width : count;
  if (rows.fastRGB && !rows.keepSamples) return SamplesToBGR(src, dst, width, false);
  const int components = rows.components, bpc = rows.bpc;
  // Bytes that are samples of one component: looked up straight from the row.
  if (bpc == 8 && !rows.keepSamples && rows.space == TColorRows::kGray) {
    const TByteTable& grey = rows.tables[0];
    for (int64_t x = 0; x < width; ++x, dst += 3) dst[0] = dst[1] = dst[2] = grey[src[x]];
    return;
  }
  if (bpc == 8 && !rows.keepSamples && rows.space == TColorRows::kIndexed && width > 0) {
    // Four bytes a pixel, the fourth written over by the next pixel; the last pixel takes three.
    const int64_t last = width - 1;
    for (int64_t x = 0; x < last; ++x, dst += 3) std::memcpy(dst, rows.pixelOf[src[x]].data(), 4);
    std::memcpy(dst, rows.pixelOf[src[last]].data(), 3);
    return;
  }
  if (bpc == 8 && !rows.keepSamples && rows.space == TColorRows::kCMYK) {
    // The samples' bytes through their tables, the colour asked for only when it changes.
    const TByteTable &c = rows.tables[0], &m = rows.tables[1], &y = rows.tables[2], &k = rows.tables[3];
    for (int64_t x = 0; x < width; ++x, src += 4, dst += 3)
      PutColor(dst, CMYKColor(*ColorManager, rows, c[src[0]], m[src[1]], y[src[2]], k[src[3]]));
    return;
  }
  // The raw samples of as many pixels as are converted at a time, made room for when first needed.
  if (int64_t(rows.samples.size()) < width * components) rows.samples.resize(size_t(width * components));
  ReadRowSamples(src, width * components, bpc, rows.samples.data());
  const std::vector<TByteTable>& tables = rows.tables;
  const uint16_t* s = rows.samples.data();
  for (int64_t x = 0; x < width; ++x, s += components, dst += 3) {
    switch (rows.space) {
      case TColorRows::kGray:
        dst[0] = dst[1] = dst[2] = tables[0][TableIndex(s[0], bpc)];
        break;
      case TColorRows::kRGB:
        dst[2] = tables[0][TableIndex(s[0], bpc)];
        dst[1] = tables[1][TableIndex(s[1], bpc)];
        dst[0] = tables[2][TableIndex(s[2], bpc)];
        break;
      case TColorRows::kCMYK:
        PutColor(dst, CMYKColor(*ColorManager, rows, tables[0][TableIndex(s[0], bpc)], tables[1][TableIndex(s[1], bpc)],
                                tables[2][TableIndex(s[2], bpc)], tables[3][TableIndex(s[3], bpc)]));
        break;
      case TColorRows::kDeviceN: {
        // Runs of one colour ask the tint transform once.
        bool same = rows.haveLastTints;
        for (int c = 0; c < components; ++c) {
          const double t = tables[size_t(c)][TableIndex(s[c], bpc)] / 255.0;
          same = same && rows.tints[size_t(c)] == t;
          rows.tints[size_t(c)] = t;
        }
        if (!same) rows.lastColor = DeviceNColor(rows.tints);
        rows.haveLastTints = true;
        PutColor(dst, rows.lastColor);
        break;
      }
      case TColorRows::kIndexed:
        PutColor(dst, rows.palette[rows.indexOf[s[0]]]);
        break;
    }
  }
}

void TPDFImageDecoder::UnpackColor(const std::vector<double>& decode, int components) {
  TColorRows conversion;
  if (!PrepareColorRows(decode, components, conversion)) return Fail();
  try {
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetSize(Width, Height);
  } catch (const std::exception&) {
    BitmapFailed = true;
    return Fail();
  }
  const int64_t rowBytes = RowBytesFor(Width, components, BitsPerComponent);
  const std::string_view rows = SamplesOfRows(rowBytes * Height);

  // A colour key compares raw samples against the ranges; it needs a range for every
  // component and becomes a mask bitmap.
  const bool keyed = MaskKind == kMaskColorKey && int(ColorKey.size()) >= 2 * components;
  if (MaskKind == kMaskColorKey && !keyed) MaskKind = kMaskNone;
  if (keyed) {
    MaskBitmap = std::make_unique<TBitmap>();
    MaskBitmap->SetPixelFormat(pf8bit);
    MaskBitmap->Dib().SetColors(GreyRamp());
    MaskBitmap->SetSize(Width, Height);
  }
  conversion.keepSamples = keyed;
  for (int32_t y = 0; y < Height; ++y) {
    const auto* src = reinterpret_cast<const uint8_t*>(rows.data()) + int64_t(y) * rowBytes;
    ConvertColorRow(conversion, src, Bitmap->ScanLine(y));
    if (keyed) {
      uint8_t* m = MaskBitmap->ScanLine(y);
      const uint16_t* k = conversion.samples.data();
      for (int32_t x = 0; x < Width; ++x, k += components) {
        bool inside = true;
        for (int c = 0; c < components && inside; ++c)
          inside = ColorKey[size_t(2 * c)] <= k[c] && k[c] <= ColorKey[size_t(2 * c + 1)];
        m[x] = inside ? 0 : 255;
      }
    }
  }
  if (keyed) {
    MaskBitmap->SetPixelFormat(pf24bit);
    MaskKind = kMaskBitmap;
    MaskDecode.clear();
  }
  if (conversion.space == TColorRows::kGray) Decode = "[ 0 1 ]";
  if (conversion.space == TColorRows::kRGB) Decode = "[ 0 1 0 1 0 1 ]";
}
