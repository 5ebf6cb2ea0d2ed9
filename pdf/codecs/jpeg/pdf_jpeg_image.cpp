#include "pdf/codecs/jpeg/pdf_jpeg_image.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <exception>
#include <vector>

#include "pdf/codecs/jpeg/jpeg_glue.h"
#include "pdf/render/colour/color_manager.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/palette.h"
#include "platform/rtl/numbers.h"

namespace {

// Quantised 8-bit pictures for screens of 256 colours or fewer, 24 bits otherwise.
TJPEGDefaults ScreenDefaults() {
  TJPEGDefaults defaults;
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) : 32;
  if (screen) DeleteDC(screen);
  defaults.PixelFormat = bits > 8 ? jf24Bit : jf8Bit;
  return defaults;
}

}  // namespace

TJPEGDefaults JPEGDefaults = ScreenDefaults();

namespace {

// An image of more pixels than this is refused outright; below it, a file must be large
// enough to plausibly describe its pixels (a DCT block costs at least a bit per component),
// so a few hostile bytes cannot make us allocate a huge bitmap.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;
constexpr uint64_t kMinPixelAllowance = uint64_t{1} << 22;
constexpr uint64_t kPixelsPerDataByte = 1024;
// A picture of several scans (progressive ones) is held as its coefficients, two bytes a sample:
// its data give every 8 x 8 block of every component at least a bit (1,024 bytes of
// coefficients a byte), beyond the coefficients of four components of the smallest allowance.
constexpr uint64_t kCoefficientBytesPerDataByte = 1024;
constexpr uint64_t kMinCoefficientAllowance = kMinPixelAllowance * 4 * 2;
// What libjpeg may use beside those coefficients (its row buffers and tables).
constexpr long kLibjpegWorkingMemory = long{64} << 20;
// Progressive files with more scans than this are damaged or hostile.
constexpr int kMaxScans = 1000;

uint64_t PixelAllowance(size_t dataSize) {
  return std::min(kMaxPixels, std::max(kMinPixelAllowance, uint64_t(dataSize) * kPixelsPerDataByte));
}

uint64_t CoefficientAllowance(size_t dataSize) {
  return std::max(kMinCoefficientAllowance, uint64_t(dataSize) * kCoefficientBytesPerDataByte);
}

// A row of 24-bit pixels made white, or of CMYK samples made zero (its padding zero), before
// libjpeg writes it: rows a fatal error leaves undecoded stay so, as in a bitmap filled first.
void BlankRow(GdiBitmap& dib, int32_t y) {
  uint8_t* row = dib.Row(y);
  const int bytes = dib.BitsPerPixel() / 8;
  const size_t used = size_t(dib.Width()) * size_t(bytes);
  std::memset(row, bytes == 4 ? 0 : 0xFF, used);
  std::memset(row + used, 0, size_t(dib.Stride()) - used);
}

vj_decode_options DecodeOptionsOf(const TPDFJPEGImage& image, size_t size) {
  vj_decode_options options{};
  options.scale_denom = 1u << std::min<int>(image.Scale, 3);
  options.smoothing = image.Smoothing;
  options.grayscale = image.Grayscale;
  options.quantize_8bit = image.PixelFormat == jf8Bit;
  options.fast = image.Performance == jpBestSpeed;
  options.max_pixels = PixelAllowance(size);
  options.max_coefficient_bytes = CoefficientAllowance(size);
  options.max_memory = kLibjpegWorkingMemory;
  options.max_scans = kMaxScans;
  return options;
}

// Raises the image's progress event at most every 500 ms, and keeps an exception it throws
// until libjpeg has been left.
class ProgressRelay {
 public:
  explicit ProgressRelay(TPDFJPEGImage& image) : image_(image) {}

  void Raise(int percent) {
    if (!image_.OnProgress || failure_) return;
    try {
      image_.OnProgress(image_, percent);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }
  void RethrowIfFailed() const {
    if (failure_) std::rethrow_exception(failure_);
  }

  static int Callback(void* user, long counter, long limit, int completed, int total) noexcept {
    auto* self = static_cast<ProgressRelay*>(user);
    if (self->image_.OnProgress && total > 0 && limit > 0) {
      const auto now = std::chrono::steady_clock::now();
      if (now - self->last_ >= std::chrono::milliseconds(500)) {
        self->last_ = now;
        const double done = double(counter) / double(limit) + completed;
        self->Raise(int(done * 100 / total));
      }
    }
    return self->failure_ ? 1 : 0;
  }

 protected:
  TPDFJPEGImage& image_;
  std::exception_ptr failure_;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// Receives the decoded rows straight into the bitmap.
class DecodeSink : public ProgressRelay {
 public:
  DecodeSink(TPDFJPEGImage& image, TBitmap& bitmap) : ProgressRelay(image), bitmap_(bitmap) {}
  bool cmyk = false;

  static int Begin(void* user, unsigned width, unsigned height, int components, int colorSpace,
                   const unsigned char* const* colormap, int mapComponents, int colors) noexcept {
    auto* self = static_cast<DecodeSink*>(user);
    try {
      return self->Prepare(width, height, components, colorSpace, colormap, mapComponents, colors) ? 0 : 1;
    } catch (const std::exception&) {
      return 1;
    }
  }
  static unsigned char* Row(void* user, unsigned y) noexcept {
    auto* self = static_cast<DecodeSink*>(user);
    GdiBitmap& dib = self->bitmap_.Dib();
    // A colour row is made white just before libjpeg writes it, while it is in the cache
    // anyway: rows that a fatal error leaves undecoded stay white, as in a bitmap filled first.
    if (self->whiteOnDemand_) {
      BlankRow(dib, int32_t(y));
      self->handedOut_ = std::max(self->handedOut_, int32_t(y) + 1);
    }
    return dib.Row(int32_t(y));
  }

  // Rows the decode never reached become white.
  void FinishRows() {
    if (!whiteOnDemand_) return;
    for (int32_t y = handedOut_; y < bitmap_.Height(); ++y) BlankRow(bitmap_.Dib(), y);
  }

 private:
  bool Prepare(unsigned width, unsigned height, int components, int colorSpace,
               const unsigned char* const* colormap, int mapComponents, int colors) {
    TPixelFormat format;
    if (components == 1) format = pf8bit;
    else if (components == 3) format = pf24bit;
    else if (components == 4 && colorSpace == VJ_CS_CMYK) format = pf32bit;
    else return false;
    cmyk = format == pf32bit;
    bitmap_.SetPixelFormat(format);
    whiteOnDemand_ = format == pf24bit;
    if (whiteOnDemand_) {
      bitmap_.Dib().Allocate(int32_t(width), int32_t(height), 24, false);
      bitmap_.Modified = true;
    } else {
      bitmap_.SetSize(int(width), int(height));
    }
    if (cmyk) {
      // Rows a fatal error leaves undecoded come out white after the conversion.
      const auto bits = bitmap_.Dib().Bits();
      std::fill(bits.begin(), bits.end(), image_.RawCMYK ? uint8_t{0} : uint8_t{255});
    }
    if (format != pf8bit) return true;
    std::vector<PALETTEENTRY> entries(256);
    if (colormap != nullptr && colors > 0) {
      const bool invert = image_.RawCMYK;
      for (int i = 0; i < std::min(colors, 256); ++i) {
        PALETTEENTRY& e = entries[size_t(i)];
        if (mapComponents == 1) {
          const uint8_t v = invert ? uint8_t(255 - colormap[0][i]) : colormap[0][i];
          e = {v, v, v, 0};
        } else if (mapComponents == 3) {  // the map follows the output order: blue, green, red
          e = {colormap[2][i], colormap[1][i], colormap[0][i], 0};
        }
      }
    } else {
      for (int i = 0; i < 256; ++i) entries[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
    bitmap_.SetPalette(CreatePalette(entries));
    return true;
  }

  TBitmap& bitmap_;
  bool whiteOnDemand_ = false;
  int32_t handedOut_ = 0;
};

// Receives 24-bit rows (or CMYK samples) into a band of the picture's width and hands each full
// band on; the decode is stopped before a group of rows would run past the band.
class BandSink : public ProgressRelay {
 public:
  using Draw = std::function<bool(TBitmap& band, int32_t top, int32_t rows)>;
  BandSink(TPDFJPEGImage& image, int32_t bandRows, int32_t width, int32_t height, bool cmyk, const Draw& draw)
      : ProgressRelay(image), rows_(bandRows), width_(width), height_(height), bits_(cmyk ? 32 : 24), draw_(draw) {}

  static int Begin(void* user, unsigned width, unsigned height, int components, int colorSpace,
                   const unsigned char* const*, int, int) noexcept {
    auto* self = static_cast<BandSink*>(user);
    const bool cmyk = components == 4 && colorSpace == VJ_CS_CMYK;
    const bool colour = components == 3 && colorSpace != VJ_CS_CMYK;
    if (!(self->bits_ == 32 ? cmyk : colour) || int64_t(width) != self->width_ || int64_t(height) != self->height_)
      return 1;
    try {
      self->band_.SetPixelFormat(self->bits_ == 32 ? pf32bit : pf24bit);
      self->band_.Dib().Allocate(self->width_, self->rows_, self->bits_, false);
    } catch (const std::exception&) {
      return 1;
    }
    self->started_ = true;
    return 0;
  }
  static unsigned char* Row(void* user, unsigned y) noexcept {
    auto* self = static_cast<BandSink*>(user);
    const int64_t r = int64_t(y) - self->top_;
    GdiBitmap& dib = self->band_.Dib();
    if (r < 0 || r >= self->rows_) {
      // Never asked for while groups fit the band; written, it would be lost.
      self->stopped_ = true;
      self->spare_.resize(size_t(dib.Stride()));
      return self->spare_.data();
    }
    BlankRow(dib, int32_t(r));
    self->handedOut_ = std::max(self->handedOut_, int32_t(y) + 1);
    return dib.Row(int32_t(r));
  }
  static int Ready(void* user, unsigned done, unsigned count) noexcept {
    auto* self = static_cast<BandSink*>(user);
    if (int64_t(done) - self->top_ + count > self->rows_) self->Flush(int32_t(done));
    return self->stopped_ ? 1 : 0;
  }

  // The rows handed out go on, then white rows down to the picture's bottom.
  void Finish() {
    if (!started_) return;
    Flush(std::max(top_, handedOut_));
    while (top_ < height_ && !stopped_) {
      const int32_t end = std::min(height_, top_ + rows_);
      for (int32_t y = top_; y < end; ++y) BlankRow(band_.Dib(), y - top_);
      Flush(end);
    }
  }
  int32_t Drawn() const { return drawn_; }

 private:
  // Hands rows top_ to end - 1 on: the band itself when it is full, else a bitmap of their own.
  void Flush(int32_t end) {
    const int32_t n = end - top_;
    if (n <= 0 || stopped_) return;
    try {
      bool ok;
      if (n == rows_) {
        ok = draw_(band_, top_, n);
      } else {
        TBitmap part;
        part.SetPixelFormat(band_.PixelFormat());
        part.Dib().Allocate(width_, n, bits_, false);
        const size_t bytes = size_t(band_.Dib().Stride());
        for (int32_t r = 0; r < n; ++r) std::memcpy(part.Dib().Row(r), band_.Dib().Row(r), bytes);
        ok = draw_(part, top_, n);
      }
      if (ok) drawn_ += n;
      stopped_ = !ok;
    } catch (...) {
      failure_ = std::current_exception();
      stopped_ = true;
    }
    top_ = end;
  }

  const int32_t rows_, width_, height_;
  const int bits_;  // of a pixel in the band: 24, or 32 for CMYK samples
  const Draw& draw_;
  TBitmap band_;
  std::vector<uint8_t> spare_;
  bool started_ = false, stopped_ = false;
  int32_t top_ = 0, handedOut_ = 0, drawn_ = 0;
};

struct CompressSource : ProgressRelay {
  CompressSource(TPDFJPEGImage& image, TBitmap& bitmap) : ProgressRelay(image), bitmap(bitmap) {}
  TBitmap& bitmap;
  static const unsigned char* Row(void* user, unsigned y) noexcept {
    return static_cast<CompressSource*>(user)->bitmap.Dib().Row(int32_t(y));
  }
};

}  // namespace

TPDFJPEGImage::TPDFJPEGImage()
    : Image(std::make_shared<TJPEGData>()),
      Smoothing(JPEGDefaults.Smoothing),
      Grayscale(JPEGDefaults.Grayscale),
      PixelFormat(JPEGDefaults.PixelFormat),
      Quality(JPEGDefaults.CompressionQuality),
      Resolution(JPEGDefaults.Resolution),
      ProgressiveEncoding(JPEGDefaults.ProgressiveEncoding),
      Performance(JPEGDefaults.Performance),
      Scale(JPEGDefaults.Scale),
      ownManager_(std::make_unique<TPDFSimpleColorManager>()) {
  ColorManager = ownManager_.get();
}

TPDFJPEGImage::~TPDFJPEGImage() {
  if (TempPalette) DeleteObject(TempPalette);
}

void TPDFJPEGImage::SetColorManager(TPDFColorManager* manager) {
  if (manager == nullptr) return;
  ownManager_.reset();
  ColorManager = manager;
  ExternalColorManager = true;
}

// ---- the JPEG bytes

void TPDFJPEGImage::LoadBytes(TStream& stream, int64_t size) {
  Image = std::make_shared<TJPEGData>();
  Bitmap.reset();
  Image->Data = std::make_unique<TMemoryStream>();
  if (size > 0) Image->Data->CopyFrom(stream, size);
  if (Image->Data->Size() > 0) ReadHeader();
  Changed();
}

void TPDFJPEGImage::ReadHeader() {
  vj_header h;
  if (vj_read_header(Image->Data->Memory(), size_t(Image->Data->Size()), 1, &h) != VJ_OK) return;
  Image->Width = int32_t(std::min<unsigned>(h.width, 0x7FFFFFFF));
  Image->Height = int32_t(std::min<unsigned>(h.height, 0x7FFFFFFF));
  Image->Grayscale = h.color_space == VJ_CS_GRAY;
  ProgressiveEncoding = h.progressive != 0;
  NeedRecalc = true;
}

void TPDFJPEGImage::RecalcScaledSize() const {
  NeedRecalc = false;
  ScaledWidth = ScaledHeight = 0;
  if (!Image->Data || Image->Data->Size() == 0) return;
  vj_header h;
  if (vj_read_header(Image->Data->Memory(), size_t(Image->Data->Size()), 1u << std::min<int>(Scale, 3), &h) != VJ_OK)
    return;
  ScaledWidth = int32_t(std::min<unsigned>(h.scaled_width, 0x7FFFFFFF));
  ScaledHeight = int32_t(std::min<unsigned>(h.scaled_height, 0x7FFFFFFF));
}

void TPDFJPEGImage::LoadFromStream(TStream& stream) {
  LoadBytes(stream, std::max<int64_t>(0, stream.Size() - stream.Position()));
}

void TPDFJPEGImage::ReadData(TStream& stream) {
  uint32_t length = 0;
  if (stream.Read(&length, 4) < 4) length = 0;
  // A length beyond the stream takes what is there.
  LoadBytes(stream, std::min<int64_t>(length, std::max<int64_t>(0, stream.Size() - stream.Position())));
}

void TPDFJPEGImage::WriteData(TStream& stream) const {
  const uint32_t length = Image->Data ? uint32_t(Image->Data->Size()) : 0;
  stream.WriteBuffer(&length, 4);
  if (length >= 1) stream.WriteBuffer(Image->Data->Memory(), length);
}

void TPDFJPEGImage::SaveToStream(TStream& stream) {
  if (!Image->Data || Image->Data->Size() == 0) Compress();
  if (Image->Data && Image->Data->Size() > 0) stream.WriteBuffer(Image->Data->Memory(), Image->Data->Size());
}

// ---- TGraphic

int TPDFJPEGImage::Width() const {
  if (Bitmap) return Bitmap->Width();
  if (Scale != 0) {
    if (NeedRecalc) RecalcScaledSize();
    return ScaledWidth;
  }
  return Image->Width;
}

int TPDFJPEGImage::Height() const {
  if (Bitmap) return Bitmap->Height();
  if (Scale != 0) {
    if (NeedRecalc) RecalcScaledSize();
    return ScaledHeight;
  }
  return Image->Height;
}

bool TPDFJPEGImage::Empty() const {
  if (Image->Data && Image->Data->Size() > 0) return false;
  return !Bitmap || Bitmap->Empty();
}

void TPDFJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (TBitmap* b = Decode()) b->Draw(canvas, rect);
}

void TPDFJPEGImage::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (const auto* jpeg = dynamic_cast<const TPDFJPEGImage*>(&source)) {
    Image = jpeg->Image;
    Bitmap.reset();
    if (jpeg->Bitmap) {
      Bitmap = std::make_unique<TBitmap>();
      Bitmap->Assign(*jpeg->Bitmap);
    }
    NeedRecalc = true;
    Changed();
    return;
  }
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
    Image = std::make_shared<TJPEGData>();
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->Assign(*bitmap);
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TPDFJPEGImage::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  Assign(bitmap);
}

void TPDFJPEGImage::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  Decode()->SaveToClipboardFormat(format, data, palette);
}

void TPDFJPEGImage::AssignTo(TGraphic& dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
    if (TBitmap* decoded = Decode()) bitmap->Assign(*decoded);
    return;
  }
  dest.Assign(*this);
}

bool TPDFJPEGImage::Equals(const TGraphic& other) const {
  const auto* jpeg = dynamic_cast<const TPDFJPEGImage*>(&other);
  if (jpeg == nullptr) return false;
  const bool mine = Image->Data && Image->Data->Size() > 0;
  const bool theirs = jpeg->Image->Data && jpeg->Image->Data->Size() > 0;
  if (mine && theirs) return Image->Data->View() == jpeg->Image->Data->View();
  return Image == jpeg->Image;
}

// ---- decoding

TBitmap* TPDFJPEGImage::Decode() {
  if (Bitmap) return Bitmap.get();
  Bitmap = std::make_unique<TBitmap>();
  if (!Image->Data || Image->Data->Size() == 0) return Bitmap.get();
  const size_t size = size_t(Image->Data->Size());
  const vj_decode_options options = DecodeOptionsOf(*this, size);
  DecodeSink sink(*this, *Bitmap);
  vj_decode_sink callbacks{&sink, &DecodeSink::Begin, &DecodeSink::Row, &ProgressRelay::Callback, nullptr};
  sink.Raise(0);
  vj_decompress(Image->Data->Memory(), size, &options, &callbacks);
  sink.FinishRows();
  // A fatal libjpeg error leaves the rows decoded so far; CMYK rows still become RGB.
  if (sink.cmyk) ConvertCMYKToRGB();
  sink.RethrowIfFailed();
  sink.Raise(100);
  sink.RethrowIfFailed();
  return Bitmap.get();
}

int32_t TPDFJPEGImage::DecodeBands(int32_t bandRows, int32_t width, int32_t height,
                                   const std::function<bool(TBitmap&, int32_t, int32_t)>& draw, TPictureKind kind) {
  if (!Image->Data) return 0;
  return DecodeBands(Image->Data->View(), bandRows, width, height, draw, kind);
}

int32_t TPDFJPEGImage::DecodeBands(std::string_view data, int32_t bandRows, int32_t width, int32_t height,
                                   const std::function<bool(TBitmap&, int32_t, int32_t)>& draw, TPictureKind kind) {
  if (data.empty() || bandRows < 16 || width <= 0 || height <= 0 || kind == TPictureKind::Other) return 0;
  const size_t size = data.size();
  vj_decode_options options = DecodeOptionsOf(*this, size);
  options.grey_as_colour = kind == TPictureKind::Grey;
  BandSink sink(*this, bandRows, width, height, kind == TPictureKind::CMYK, draw);
  vj_decode_sink callbacks{&sink, &BandSink::Begin, &BandSink::Row, &ProgressRelay::Callback, &BandSink::Ready};
  sink.Raise(0);
  vj_decompress(reinterpret_cast<const unsigned char*>(data.data()), size, &options, &callbacks);
  sink.Finish();
  sink.RethrowIfFailed();
  sink.Raise(100);
  sink.RethrowIfFailed();
  return sink.Drawn();
}

TPDFJPEGImage::TPictureKind TPDFJPEGImage::PictureKind(std::string_view data, int32_t width, int32_t height) {
  vj_header h{};
  if (data.empty() ||
      vj_read_header(reinterpret_cast<const unsigned char*>(data.data()), data.size(), 1, &h) != VJ_OK)
    return TPictureKind::Other;
  if (int64_t(h.width) != width || int64_t(h.height) != height) return TPictureKind::Other;
  if (h.components == 3 && (h.color_space == VJ_CS_YCBCR || h.color_space == VJ_CS_RGB)) return TPictureKind::Colour;
  if (h.components == 1 && h.color_space == VJ_CS_GRAY) return TPictureKind::Grey;
  if (h.components == 4 && (h.color_space == VJ_CS_CMYK || h.color_space == VJ_CS_YCCK)) return TPictureKind::CMYK;
  return TPictureKind::Other;
}

bool TPDFJPEGImage::RefusedByHeader(std::string_view data) {
  vj_header h{};
  if (data.empty() ||
      vj_read_header(reinterpret_cast<const unsigned char*>(data.data()), data.size(), 1, &h) != VJ_OK)
    return false;
  return uint64_t(h.width) * h.height > PixelAllowance(data.size()) ||
         h.coefficient_bytes > CoefficientAllowance(data.size());
}

void TPDFJPEGImage::DecodeRawCMYK() {
  if (RawCMYK) return;
  Bitmap.reset();
  RawCMYK = true;
  Decode();
}

void TPDFJPEGImage::ConvertCMYKToRGB() {
  std::array<double, 256> plain{}, inverted{};
  for (int v = 0; v < 256; ++v) {
    plain[size_t(v)] = v / 255.0;
    inverted[size_t(v)] = 1 - v / 255.0;
  }
  // Adobe applications write CMYK inverted; that is the default reading.
  const auto& table = RawCMYK ? plain : inverted;
  auto toByte = [](double v) {
    const int64_t r = RoundHalfEven(std::clamp(v, 0.0, 1.0) * 255);
    return uint8_t(r);
  };
  GdiBitmap& dib = Bitmap->Dib();
  for (int y = 0; y < dib.Height(); ++y) {
    uint8_t* p = dib.Row(y);
    for (int x = 0; x < dib.Width(); ++x, p += 4) {
      double r = 0, g = 0, b = 0;
      ColorManager->CMYKToRGB(table[p[0]], table[p[1]], table[p[2]], table[p[3]], r, g, b);
      if (!(r == r)) r = 0;  // NaN from a caller's manager
      if (!(g == g)) g = 0;
      if (!(b == b)) b = 0;
      p[0] = toByte(b);
      p[1] = toByte(g);
      p[2] = toByte(r);
      p[3] = 0;
    }
  }
  Bitmap->SetPixelFormat(pf24bit);
}

void TPDFJPEGImage::SaveBitmapToStream(TStream& stream) {
  TBitmap copy;
  if (TBitmap* decoded = Decode()) copy.Assign(*decoded);
  copy.SaveToStream(stream);
}

// ---- compression

void TPDFJPEGImage::Compress() {
  Image = std::make_shared<TJPEGData>();
  Image->Data = std::make_unique<TMemoryStream>();
  if (!Bitmap || Bitmap->Width() == 0 || Bitmap->Height() == 0) return;
  // libjpeg reads 24-bit rows; other formats go through a temporary copy.
  TBitmap* source = Bitmap.get();
  std::unique_ptr<TBitmap> copy;
  if (Bitmap->PixelFormat() != pf24bit) {
    copy = std::make_unique<TBitmap>();
    copy->Assign(*Bitmap);
    copy->SetPixelFormat(pf24bit);
    source = copy.get();
  }
  Image->Width = source->Width();
  Image->Height = source->Height();
  if (Grayscale) Image->Grayscale = true;
  CompressSource src(*this, *source);
  vj_compress_params params{};
  params.width = unsigned(source->Width());
  params.height = unsigned(source->Height());
  params.grayscale = Grayscale;
  params.quality = std::clamp<int>(Quality, 1, 100);
  params.density = unsigned(std::clamp<int32_t>(Resolution, 1, 65535));
  params.user = &src;
  params.row = &CompressSource::Row;
  params.progress = &ProgressRelay::Callback;
  unsigned char* out = nullptr;
  size_t outSize = 0;
  src.Raise(0);
  vj_compress(&params, &out, &outSize);
  if (out != nullptr) {
    Image->Data->WriteBuffer(out, int64_t(outSize));
    vj_free(out);
  }
  Image->Data->SetPosition(0);
  src.RethrowIfFailed();
  src.Raise(100);
  src.RethrowIfFailed();
}

void AssignGraphic(TGraphic& dest, const TGraphic& source) { dest.Assign(source); }
