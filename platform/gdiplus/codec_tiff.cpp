// TIFF files through libtiff: multi-page reading (bilevel and palette pages stay indexed, the
// rest is read as RGBA) and writing with LZW, CCITT group 3 or 4, PackBits or no compression.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "platform/gdiplus/codecs.h"

namespace gdiplus {
namespace {

constexpr uint32_t kMaxPages = 4096;

// A growable buffer behind libtiff's client procedures.
struct MemoryFile {
  std::vector<uint8_t> data;
  uint64_t pos = 0;
  bool writable = false;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t size) {
  auto* f = static_cast<MemoryFile*>(h);
  if (size <= 0 || f->pos >= f->data.size()) return 0;
  const uint64_t n = std::min<uint64_t>(uint64_t(size), f->data.size() - f->pos);
  std::memcpy(buf, f->data.data() + f->pos, size_t(n));
  f->pos += n;
  return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t size) {
  auto* f = static_cast<MemoryFile*>(h);
  if (!f->writable || size < 0) return -1;
  const uint64_t end = f->pos + uint64_t(size);
  if (end > (uint64_t(1) << 32)) return -1;
  try {
    if (end > f->data.size()) f->data.resize(size_t(end));
  } catch (...) {
    return -1;
  }
  std::memcpy(f->data.data() + f->pos, buf, size_t(size));
  f->pos = end;
  return size;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  int64_t base = whence == SEEK_CUR ? int64_t(f->pos) : whence == SEEK_END ? int64_t(f->data.size()) : 0;
  const int64_t target = base + int64_t(off);
  if (target < 0) return toff_t(-1);
  f->pos = uint64_t(target);
  return f->pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<MemoryFile*>(h)->data.size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int SilentHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr OpenMemory(MemoryFile& file, const char* mode) {
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (!opts) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(opts, SilentHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, SilentHandler, nullptr);
  // A reader's largest block is a strip or tile of the largest picture the data may describe
  // (at most eight bytes a pixel), or the data's own size.
  uint64_t largest = uint64_t(1) << 30;
  if (mode[0] == 'r') largest = std::min(largest, 8 * MaxPixelsForData(file.data.size()) + file.data.size());
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t(largest));
  TIFF* t = TIFFClientOpenExt("memory", mode, &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                              UnmapProc, opts);
  TIFFOpenOptionsFree(opts);
  return TiffPtr(t);
}

float Resolution(TIFF* t, ttag_t tag) {
  float res = 0;
  uint16_t unit = RESUNIT_INCH;
  if (!TIFFGetField(t, tag, &res) || !(res > 0) || !std::isfinite(res)) return 96;
  TIFFGetFieldDefaulted(t, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (unit == RESUNIT_CENTIMETER) return res * 2.54f;
  if (unit == RESUNIT_NONE) return 96;
  return res;
}

// Bilevel and palette pages of one sample per pixel, read row by row into an indexed plane.
GpStatus ReadIndexed(TIFF* t, uint32_t w, uint32_t h, uint16_t bits, uint16_t photometric, Plane& plane) {
  const PixelFormat format = bits == 1 ? PixelFormat1bppIndexed : bits == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
  if (!plane.Allocate(int32_t(w), int32_t(h), format)) return OutOfMemory;
  auto& pal = plane.palette();
  pal.clear();
  const uint32_t entries = 1u << bits;
  if (photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b)) return InvalidParameter;
    for (uint32_t i = 0; i < entries; ++i)
      pal.push_back(0xff000000u | uint32_t(r[i] >> 8) << 16 | uint32_t(g[i] >> 8) << 8 | uint32_t(b[i] >> 8));
  } else {
    for (uint32_t i = 0; i < entries; ++i) {
      uint32_t v = i * 255 / (entries - 1);
      if (photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
      pal.push_back(0xff000000u | v << 16 | v << 8 | v);
    }
  }
  const tmsize_t lineSize = TIFFScanlineSize(t);
  const size_t rowBytes = (size_t(w) * bits + 7) / 8;
  if (lineSize < tmsize_t(rowBytes)) return InvalidParameter;
  std::vector<uint8_t> line(static_cast<size_t>(lineSize));
  for (uint32_t y = 0; y < h; ++y) {
    if (TIFFReadScanline(t, line.data(), y, 0) < 0) {
      if (y == 0) return InvalidParameter;
      break;  // a damaged strip ends the page; the rows read so far stay
    }
    std::memcpy(plane.Row(int32_t(y)), line.data(), rowBytes);
  }
  return Ok;
}

GpStatus ReadRgba(TIFF* t, uint32_t w, uint32_t h, Plane& plane) {
  uint16_t extra = 0;
  uint16_t* extraTypes = nullptr;
  TIFFGetFieldDefaulted(t, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  char message[1024];
  if (!TIFFRGBAImageOK(t, message)) return InvalidParameter;
  std::vector<uint32_t> raster(size_t(w) * size_t(h));
  if (!TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) return InvalidParameter;
  if (!plane.Allocate(int32_t(w), int32_t(h), extra > 0 ? PixelFormat32bppARGB : PixelFormat24bppRGB)) return OutOfMemory;
  std::vector<ARGB> row(w);
  for (uint32_t y = 0; y < h; ++y) {
    const uint32_t* src = raster.data() + size_t(y) * w;
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t v = src[x];  // A B G R from the top byte down
      row[x] = Unpremultiply((v & 0xff00ff00u) | (v & 0xff) << 16 | ((v >> 16) & 0xff));
    }
    plane.WriteARGB(int32_t(y), 0, int32_t(w), row.data());
  }
  return Ok;
}

class TiffSource : public FrameSource {
 public:
  explicit TiffSource(std::vector<uint8_t> bytes) { file_.data = std::move(bytes); }

  GpStatus Open() {
    tif_ = OpenMemory(file_, "rm");
    if (!tif_) return InvalidParameter;
    uint32_t n = 0;
    do {
      ++n;
    } while (n < kMaxPages && TIFFReadDirectory(tif_.get()));
    count_ = n;
    return Ok;
  }

  GUID Dimension() const override { return FrameDimensionPage; }
  uint32_t Count() const override { return count_; }

  GpStatus Decode(uint32_t index, ImageData& out) override {
    TIFF* t = tif_.get();
    if (index >= count_ || !TIFFSetDirectory(t, tdir_t(index))) return InvalidParameter;
    uint32_t w = 0, h = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
    if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h)) return InvalidParameter;
    if (!SizeAllowed(w, h, file_.data.size())) return InvalidParameter;
    uint32_t iccLength = 0;
    void* icc = nullptr;
    out.iccProfile.clear();
    if (TIFFGetField(t, TIFFTAG_ICCPROFILE, &iccLength, &icc) && icc != nullptr && iccLength <= file_.data.size())
      out.iccProfile.assign(static_cast<uint8_t*>(icc), static_cast<uint8_t*>(icc) + iccLength);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric)) photometric = PHOTOMETRIC_MINISWHITE;
    Plane plane;
    GpStatus st;
    const bool simple = samples == 1 && !TIFFIsTiled(t) &&
                        ((bits == 1 && (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK)) ||
                         ((bits == 4 || bits == 8) && photometric == PHOTOMETRIC_PALETTE));
    st = simple ? ReadIndexed(t, w, h, bits, photometric, plane) : ReadRgba(t, w, h, plane);
    if (st != Ok) return st;
    out.plane = std::move(plane);
    out.dpiX = Resolution(t, TIFFTAG_XRESOLUTION);
    out.dpiY = Resolution(t, TIFFTAG_YRESOLUTION);
    ++out.generation;
    return Ok;
  }

 private:
  MemoryFile file_;
  TiffPtr tif_;
  uint32_t count_ = 0;
};

// Bilevel rows for the fax compressions: 1 is black, as photometric min-is-white stores it.
void BilevelRows(const Plane& p, std::vector<uint8_t>& out, size_t rowBytes) {
  out.assign(rowBytes * size_t(p.height()), 0);
  std::vector<ARGB> row(static_cast<size_t>(p.width()));
  std::vector<bool> paletteBlack;
  if (p.indexed())
    for (ARGB c : p.palette())
      paletteBlack.push_back((((c >> 16) & 0xff) * 299 + ((c >> 8) & 0xff) * 587 + (c & 0xff) * 114) < 128000);
  for (int32_t y = 0; y < p.height(); ++y) {
    uint8_t* dst = out.data() + size_t(y) * rowBytes;
    if (!p.indexed()) p.ReadARGB(y, 0, p.width(), row.data());
    for (int32_t x = 0; x < p.width(); ++x) {
      bool black;
      if (p.indexed()) {
        const uint8_t i = p.Index(y, x);
        black = i < paletteBlack.size() ? paletteBlack[i] : true;
      } else {
        const ARGB c = row[size_t(x)];
        black = (c >> 24) >= 128 && (((c >> 16) & 0xff) * 299 + ((c >> 8) & 0xff) * 587 + (c & 0xff) * 114) < 128000;
      }
      if (black) dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
  }
}

}  // namespace

std::unique_ptr<FrameSource> OpenTiff(std::vector<uint8_t> bytes, GpStatus& status) {
  auto source = std::make_unique<TiffSource>(std::move(bytes));
  status = source->Open();
  if (status != Ok) return nullptr;
  return source;
}

GpStatus EncodeTiff(const ImageData& image, const TiffOptions& options, std::vector<uint8_t>& out) {
  const Plane& p = image.plane;
  int depth = options.colorDepth;
  const int compression = options.compression;
  const bool fax = compression == EncoderValueCompressionCCITT3 || compression == EncoderValueCompressionCCITT4 ||
                   compression == EncoderValueCompressionRle;
  if (fax) depth = 1;
  if (depth == 0) {
    depth = p.indexed() ? int(GetPixelFormatSize(p.format())) : (p.format() & PixelFormatAlpha) ? 32 : 24;
    if (depth == 1 && p.palette().size() < 2) depth = 8;
  }
  uint16_t tiffCompression = COMPRESSION_LZW;
  switch (compression) {
    case EncoderValueCompressionCCITT3:
      tiffCompression = COMPRESSION_CCITTFAX3;
      break;
    case EncoderValueCompressionCCITT4:
      tiffCompression = COMPRESSION_CCITTFAX4;
      break;
    case EncoderValueCompressionRle:
      tiffCompression = COMPRESSION_CCITTRLE;
      break;
    case EncoderValueCompressionNone:
      tiffCompression = COMPRESSION_NONE;
      break;
    default:
      break;
  }
  MemoryFile file;
  file.writable = true;
  TiffPtr tif = OpenMemory(file, "w");
  if (!tif) return GenericError;
  TIFF* t = tif.get();
  const uint32_t w = uint32_t(p.width()), h = uint32_t(p.height());
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, tiffCompression);
  TIFFSetField(t, TIFFTAG_XRESOLUTION, image.dpiX);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, image.dpiY);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, fax ? h : std::max<uint32_t>(1, uint32_t((64u << 10) / std::max<uint32_t>(1, w * 4))));

  std::vector<uint8_t> rows;
  size_t rowBytes;
  if (depth == 1) {
    rowBytes = (size_t(w) + 7) / 8;
    BilevelRows(p, rows, rowBytes);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    if (tiffCompression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, 0);
  } else if (depth == 4 || depth == 8) {
    // Palette pages: the picture's own indices when it has them, else the nearest entry of the
    // standard palette of that depth.
    Plane indexed;
    const Plane* src = &p;
    if (!p.indexed() || int(GetPixelFormatSize(p.format())) != depth) {
      if (!indexed.Allocate(p.width(), p.height(), depth == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed))
        return OutOfMemory;
      std::vector<ARGB> row(w);
      for (int32_t y = 0; y < p.height(); ++y) {
        p.ReadARGB(y, 0, p.width(), row.data());
        indexed.WriteARGB(y, 0, p.width(), row.data());
      }
      src = &indexed;
    }
    rowBytes = (size_t(w) * size_t(depth) + 7) / 8;
    rows.resize(rowBytes * h);
    for (uint32_t y = 0; y < h; ++y) std::memcpy(rows.data() + y * rowBytes, src->Row(int32_t(y)), rowBytes);
    std::vector<uint16_t> r(size_t(1) << depth), g(r.size()), b(r.size());
    for (size_t i = 0; i < r.size() && i < src->palette().size(); ++i) {
      const ARGB c = src->palette()[i];
      r[i] = uint16_t(((c >> 16) & 0xff) * 257);
      g[i] = uint16_t(((c >> 8) & 0xff) * 257);
      b[i] = uint16_t((c & 0xff) * 257);
    }
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, depth);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  } else if (depth == 24 || depth == 32) {
    const size_t n = depth == 32 ? 4 : 3;
    rowBytes = size_t(w) * n;
    rows.resize(rowBytes * h);
    std::vector<ARGB> row(w);
    for (uint32_t y = 0; y < h; ++y) {
      p.ReadARGB(int32_t(y), 0, int32_t(w), row.data());
      uint8_t* q = rows.data() + y * rowBytes;
      for (uint32_t x = 0; x < w; ++x, q += n) {
        q[0] = uint8_t(row[x] >> 16);
        q[1] = uint8_t(row[x] >> 8);
        q[2] = uint8_t(row[x]);
        if (n == 4) q[3] = uint8_t(row[x] >> 24);
      }
    }
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(n));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    if (n == 4) {
      const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
      TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
  } else {
    return InvalidParameter;
  }
  if (tiffCompression == COMPRESSION_LZW && depth >= 8) TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_NONE);
  for (uint32_t y = 0; y < h; ++y)
    if (TIFFWriteScanline(t, rows.data() + size_t(y) * rowBytes, y, 0) < 0) return GenericError;
  if (!TIFFWriteDirectory(t)) return GenericError;
  tif.reset();
  out = std::move(file.data);
  return Ok;
}

}  // namespace gdiplus
