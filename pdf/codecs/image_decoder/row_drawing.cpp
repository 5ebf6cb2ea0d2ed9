// Images that are only drawn, pixel for pixel, never hold their whole picture: their rows are
// decoded a band at a time (samples, LZW samples, libjpeg's rows) and each band goes onto the
// page as the picture's rows would.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/image_decoder/sample_rows.h"
#include "pdf/codecs/jpeg/jpeg_markers.h"
#include "pdf/codecs/jpeg/jpeg_profile_rows.h"
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/core/filters/filter_chain.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/render/canvas/daubrix.h"

using namespace imgdec;

namespace {

// Bytes of pixels drawn at a time.
constexpr int64_t kBandBytes = 512 * 1024;

// The whole pixel a coordinate lies on, where it lies on one: placements made of fractions (a
// page's strips at k / height of a unit form) come out a rounding error away from it, which
// moves no sample of a picture drawn pixel for pixel.
bool WholePixel(double v, double& whole) {
  constexpr double kTolerance = 1e-7;
  // Far below where doubles stop telling whole pixels apart within the tolerance, and beyond
  // the tallest picture (a tile of 2^28 rows) placed anywhere on the largest page.
  if (!(std::fabs(v) < double(1 << 30))) return false;
  whole = std::round(v);
  return std::fabs(v - whole) <= kTolerance;
}

// JPEG data as the whole decode reads them: without a line feed written before the first marker.
std::string_view JPEGBytes(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes[0] == '\n' && uint8_t(bytes[1]) == 0xFF && uint8_t(bytes[2]) == 0xD8)
    bytes.remove_prefix(1);
  return bytes;
}

// Whether an LZW stage gives any samples at all: its first byte, and a predictor it can undo
// (the whole decode gives nothing otherwise).
bool LZWGivesSamples(std::string_view bytes, const StreamFilterParams& p) {
  const FlatePredictorParams predictor{p.Predictor, p.Colors, p.BitsPerComponent, p.Columns};
  if (p.Present && !PredictorParamsUsable(predictor)) return false;
  // Only the first byte is made.
  TPDFLZWDecompressor lzw;
  lzw.EarlyChange = p.EarlyChange == 1;
  lzw.Open(bytes, 1);
  return lzw.Produce(1) > 0;
}

// How deferred rows read their bytes.
TSampleRows::TCoding CodingOf(bool inflate, bool runLength, bool lzwPiecewise, const StreamFilterParams& lzw) {
  if (inflate) return runLength ? TSampleRows::kInflateRunLength : TSampleRows::kInflate;
  if (lzwPiecewise) return lzw.EarlyChange == 1 ? TSampleRows::kLZW : TSampleRows::kLZWLateChange;
  return TSampleRows::kStored;
}

}  // namespace

bool TPDFImageDecoder::RowsCanWaitAtAll() const {
  if (!DrawOnly || !DecodeWhileDrawing || KeepBitmap || PassThrough || IsMaskDecoder || decodeWhole_ || !Stream)
    return false;
  // Decryption hooks change the stream's bytes around the decode only.
  if (OnBeforeDecode || OnAfterDecode) return false;
  return MaskKind == kMaskNone && ICCProfile.empty();
}

bool TPDFImageDecoder::RowsCanWait() const {
  if (!RowsCanWaitAtAll() || !UnpackableDepth(BitsPerComponent)) return false;
  // Spaces whose rows become pixels one row at a time, with no pass over the whole picture
  // afterwards (Lab and Separation are converted after). One-bit grey too: decoded whole it
  // would keep a bitmap of an eighth of a byte a pixel beside the page, which a page of
  // thousands of one-row strips, each held, turns into a fifth of the page.
  if (ColorSpace == "DeviceGray") return true;
  if (ColorSpace == "Indexed") return BitsPerComponent <= 8 && IndexedBase != "Lab";
  return ColorSpace == "DeviceRGB" || ColorSpace == "DeviceCMYK";
}

bool TPDFImageDecoder::PlainEightBit() const {
  const int components = ColorSpace == "DeviceRGB" ? 3 : ColorSpace == "DeviceGray" ? 1 : 0;
  if (components == 0 || BitsPerComponent != 8) return false;
  const std::vector<double> decode = ParseNumberArray(Decode);
  if (int(decode.size()) < 2 * components) return true;  // the default for every component
  for (int c = 0; c < components; ++c)
    if (!IsIdentity(DecodeTable(decode[size_t(2 * c)], decode[size_t(2 * c + 1)]))) return false;
  return true;
}

int64_t TPDFImageDecoder::SampleRowBytes() const {
  return RowBytesFor(Width, ComponentsOf(ColorSpace, DeviceNComponents()), BitsPerComponent);
}

TPDFImageDecoder::TDeferredRows TPDFImageDecoder::DeferredSource(std::string_view& bytes) const {
  TDeferredRows rows = *deferredRows_;
  if (rows.Source && Stream->PendingSource()) return rows;
  if (rows.Source) {
    // Made since: stored as they are, or samples like any that wait for their deflate.
    rows = TDeferredRows{};
    rows.PendingSamples = !Filter.empty();
  }
  if (rows.PendingSamples) {
    if (const std::string* pending = Stream->PendingDeflate()) {
      bytes = *pending;
      return rows;
    }
    // Deflated since: inflating gives the samples back.
    rows = TDeferredRows{};
    rows.Inflate = true;
  }
  bytes = Stream->Data();
  return rows;
}

bool TPDFImageDecoder::DeferRows(const TDeferredRows& rows) {
  deferredRows_ = rows;
  std::string_view bytes;
  const TDeferredRows source = DeferredSource(bytes);
  if (source.JPEG) {
    // A picture that carries its own profile is drawn through it, grey or colour, in a grey or
    // an RGB image alike: the whole decode makes the same rows. Other pictures are drawn as
    // libjpeg gives them where the image's colour is theirs (grey pixels of their grey value,
    // CMYK samples as the image's); colour ones in a grey image, and grey ones in an RGB image,
    // are left to the whole decode.
    using Kind = TPDFJPEGImage::TPictureKind;
    const std::string_view jpeg = JPEGBytes(bytes);
    const Kind kind = TPDFJPEGImage::PictureKind(jpeg, Width, Height);
    const bool profile = (kind == Kind::Grey || kind == Kind::Colour) && JPEGCarriesICCProfile(jpeg);
    const bool ownColour = (kind == Kind::Colour && ColorSpace == "DeviceRGB") ||
                           (kind == Kind::Grey && ColorSpace == "DeviceGray") ||
                           (kind == Kind::CMYK && ColorSpace == "DeviceCMYK");
    if (!profile && !ownColour) {
      deferredRows_.reset();
      return false;
    }
    deferredRows_->JPEGProfile = profile;
    deferredRows_->JPEGKind = kind;
    // The whole decode leaves Decode as it is (a CMYK image's inverts Adobe's inks).
    Decoded = true;
    sourceDecode_ = ParseNumberArray(Decode);
    deferredDecode_ = Decode;
    return true;
  }
  TColorRows conversion;
  // A source makes whole rows of samples of the image's size; other data are probed for a first
  // sample (a decoder is set up only for that, keeping no more of a row than a byte where no
  // predictor needs it whole).
  const bool empty =
      source.Source ? Stream->PendingSource()->RowBytes() != SampleRowBytes()
      : source.LZW  ? !LZWGivesSamples(bytes, source.LZWParams)
                    : TSampleRows(bytes, CodingOf(source.Inflate, source.RunLength, source.LZWPiecewise, source.LZWParams),
                                  source.Predictor, SampleRowBytes(), 0, 1)
                          .Empty();
  if (empty ||
      !PrepareColorRows(ParseNumberArray(Decode), ComponentsOf(ColorSpace, DeviceNComponents()), conversion)) {
    deferredRows_.reset();
    return false;
  }
  // What the whole decode would leave for the caller to see; it starts again from the text.
  Decoded = true;
  sourceDecode_ = ParseNumberArray(Decode);
  deferredDecode_ = Decode;
  if (conversion.space == TColorRows::kGray) Decode = "[ 0 1 ]";
  if (conversion.space == TColorRows::kRGB) Decode = "[ 0 1 0 1 0 1 ]";
  return true;
}

bool TPDFImageDecoder::DrawRows(TPDFDaubrix& canvas, double x1, double y1, double x2, double y2, double x3,
                                double y3) {
  // Only upright, unscaled and on whole pixels do bands land exactly where the picture's rows
  // would.
  double px[3], py[3];
  if (!WholePixel(x1, px[0]) || !WholePixel(y1, py[0]) || !WholePixel(x2, px[1]) || !WholePixel(y2, py[1]) ||
      !WholePixel(x3, px[2]) || !WholePixel(y3, py[2]))
    return false;
  if (px[1] - px[0] != Width || py[1] != py[0] || px[2] != px[0] || py[2] - py[0] != Height) return false;
  x1 = px[0], y1 = py[0], x2 = px[1];
  if (deferredRows_->Fax) return DrawFaxRows(canvas, x1, y1, x2);
  std::string_view bytes;
  const TDeferredRows source = DeferredSource(bytes);
  if (source.JPEG) return DrawJPEGRows(canvas, bytes, x1, y1, x2, source);
  // LZW rows that cannot be made a piece at a time (rows of another width than the
  // predictor's): the samples live while they are drawn, then go.
  std::string lzwSamples;
  FlatePredictorParams predictor = source.Predictor;
  if (source.LZW && !source.LZWPiecewise) {
    lzwSamples = LZWDecodeStage(bytes, source.LZWParams, source.Ceiling);
    bytes = lzwSamples;
    predictor = {};
  }
  const int components = ComponentsOf(ColorSpace, DeviceNComponents());
  TColorRows conversion;
  if (!PrepareColorRows(sourceDecode_, components, conversion)) return false;
  const TSampleRows::TCoding coding = CodingOf(source.Inflate, source.RunLength, source.LZWPiecewise, source.LZWParams);
  // Rows wider than a band go onto the page in parts of a band's width, read in parts where no
  // predictor needs the row whole: a row of 2^28 pixels would be a band of 768 MiB beside its
  // samples.
  const int64_t partPixels = kBandBytes / 3 / 8 * 8;
  const bool inParts = !source.Source && Width > partPixels && (coding == TSampleRows::kStored || predictor.Predictor < 2);
  const std::unique_ptr<TPDFSampleSource::TRows> made = source.Source ? Stream->PendingSource()->Open() : nullptr;
  const std::unique_ptr<TSampleRows> rows =
      made ? nullptr
           : std::make_unique<TSampleRows>(bytes, coding, predictor, SampleRowBytes(), Height,
                                           inParts ? RowBytesFor(partPixels, components, BitsPerComponent) : 0);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  if (inParts) {
    for (int32_t y = 0; y < Height; ++y)
      for (int64_t x = 0; x < Width; x += partPixels) {
        const int64_t n = std::min<int64_t>(partPixels, Width - x);
        if (bitmap.Width() != n) bitmap.SetSize(int(n), 1);
        ConvertColorRow(conversion, rows->NextPart(RowBytesFor(n, components, BitsPerComponent)), bitmap.ScanLine(0), n);
        if (!canvas.DrawDibPoints(bitmap.SharedDib(), x1 + x, y1 + y, x1 + x + n, y1 + y, x1 + x, y1 + y + 1)) {
          if (y == 0 && x == 0) return false;
          DrawFailed = true;
          return true;
        }
      }
    return true;
  }
  const int32_t band = int32_t(std::clamp<int64_t>(kBandBytes / (3 * int64_t(Width)), 1, Height));
  for (int32_t top = 0; top < Height; top += band) {
    const int32_t n = std::min(band, Height - top);
    if (bitmap.Height() != n) bitmap.SetSize(Width, n);
    // The band's pixels change: asked for once, not for each of its rows (a picture of 2^28
    // rows of one pixel).
    bitmap.ScanLine(0);
    GdiBitmap& pixels = bitmap.Dib();
    for (int32_t r = 0; r < n; ++r) ConvertColorRow(conversion, made ? made->Next() : rows->Next(), pixels.Row(r));
    if (!canvas.DrawDibPoints(bitmap.SharedDib(), x1, y1 + top, x2, y1 + top, x1, y1 + top + n)) {
      if (top == 0) return false;
      DrawFailed = true;
      return true;
    }
  }
  return true;
}

bool TPDFImageDecoder::DrawFaxRows(TPDFDaubrix& canvas, double x1, double y1, double x2) {
  const int32_t band = int32_t(std::clamp<int64_t>(kBandBytes / (3 * int64_t(Width)), 1, Height));
  std::array<std::array<uint8_t, 3>, 2> bgr;
  for (size_t i = 0; i < 2; ++i)
    bgr[i] = {GetBValue(faxColours_[i]), GetGValue(faxColours_[i]), GetRValue(faxColours_[i])};
  // The pixels of every byte of bits, made once: a noisy page changes colour every pixel or two,
  // and a pixel at a time cost about a tenth of its drawing.
  std::vector<std::array<uint8_t, 24>> eight(256);
  for (size_t b = 0; b < 256; ++b)
    for (size_t i = 0; i < 8; ++i) std::memcpy(&eight[b][3 * i], bgr[(b >> (7 - i)) & 1].data(), 3);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  int32_t top = 0, next = 0;  // the band's first row, the next row to come
  bool drawn = true;
  // A row into the band (nullptr: of the first colour), the band onto the page once full.
  const auto put = [&](const uint8_t* bits) {
    const int32_t n = std::min(band, Height - top);
    if (bitmap.Height() != n) bitmap.SetSize(Width, n);
    uint8_t* out = bitmap.ScanLine(next - top);
    int32_t x = 0;
    for (; bits && x + 8 <= Width; x += 8, out += 24) std::memcpy(out, eight[bits[x >> 3]].data(), 24);
    for (; x < Width; ++x, out += 3) {
      const auto& c = bgr[bits ? (bits[x >> 3] >> (7 - (x & 7))) & 1 : 0];
      out[0] = c[0], out[1] = c[1], out[2] = c[2];
    }
    if (++next < top + n) return true;
    if (!canvas.DrawDibPoints(bitmap.SharedDib(), x1, y1 + top, x2, y1 + top, x1, y1 + top + n)) {
      drawn = false;
      return false;
    }
    top = next;
    return true;
  };
  TZRXCCITTDecoder decoder(Width, 1, false, faxByteAlign_, 1, Height);
  try {
    decoder.Decode(faxK_, [&](int64_t y, std::span<const uint8_t> bits) { return y == next && put(bits.data()); },
                   faxData_);
  } catch (const std::exception&) {
    // The data were read whole before; what was drawn stands, the rest as the data do not reach.
  }
  // Rows the data do not reach are of the first colour, as the fax decoder leaves them (0).
  while (drawn && next < Height) put(nullptr);
  if (drawn) return true;
  if (top == 0) return false;
  DrawFailed = true;
  return true;
}

bool TPDFImageDecoder::DrawJPEGRows(TPDFDaubrix& canvas, std::string_view bytes, double x1, double y1, double x2,
                                    const TDeferredRows& rows) {
  const int32_t drawn =
      DecodeJPEGBands(JPEGBytes(bytes), rows.JPEGKind, rows.JPEGProfile, [&](TBitmap& band, int32_t top, int32_t n) {
        return canvas.DrawDibPoints(band.SharedDib(), x1, y1 + top, x2, y1 + top, x1, y1 + top + n);
      });
  if (drawn == 0) return false;
  if (drawn < Height) DrawFailed = true;
  return true;
}

int32_t TPDFImageDecoder::DecodeJPEGBands(std::string_view bytes, TPDFJPEGImage::TPictureKind kind, bool profile,
                                          const std::function<bool(TBitmap&, int32_t, int32_t)>& draw) {
  // Bands of a whole number of libjpeg's row groups (1, 2, 3, 4, 8 or 16 rows).
  constexpr int32_t kGroupMultiple = 48;
  const int64_t fit = kBandBytes / (3 * int64_t(Width)) / kGroupMultiple * kGroupMultiple;
  const int32_t band = int32_t(std::clamp<int64_t>(fit, kGroupMultiple, 16 * kGroupMultiple));
  // The bytes are read where they lie: no copy of the file beside the page.
  TPDFJPEGImage jpeg;
  // Rows the profile does not convert (none given, or none that converts) are left as they are.
  const bool grey = kind == TPDFJPEGImage::TPictureKind::Grey;
  const TJPEGProfileRows toSRGB(profile ? bytes : std::string_view(), grey);
  // CMYK samples become pixels a band at a time, as the samples of any CMYK image do.
  const bool cmyk = kind == TPDFJPEGImage::TPictureKind::CMYK;
  TColorRows conversion;
  if (cmyk && !PrepareColorRows(sourceDecode_, 4, conversion)) return 0;
  TBitmap pixels;
  pixels.SetPixelFormat(pf24bit);
  return jpeg.DecodeBands(
      bytes, band, Width, Height,
      [&](TBitmap& rows, int32_t top, int32_t n) {
        if (!cmyk) {
          toSRGB.Apply(rows, n);
          return draw(rows, top, n);
        }
        if (pixels.Height() != n) pixels.SetSize(Width, n);
        for (int32_t r = 0; r < n; ++r) ConvertColorRow(conversion, rows.Dib().Row(r), pixels.ScanLine(r));
        return draw(pixels, top, n);
      },
      kind);
}

void TPDFImageDecoder::DecodeDeferredRows() {
  if (!deferredRows_) return;
  deferredRows_.reset();
  std::string().swap(faxData_);
  decodeWhole_ = true;
  Decoded = false;
  Decode = deferredDecode_;
  ApplyFilters();
  decodeWhole_ = false;
}
