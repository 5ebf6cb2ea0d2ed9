// The provider's own objects behind the opaque GDI+ handles, and the helpers the entry points
// share. Nothing here is exported.
#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"

namespace gdiplus {

// An affine map in GDI+ order (m11, m12, m21, m22, dx, dy), kept in doubles.
struct Affine {
  double m[6] = {1, 0, 0, 1, 0, 0};

  static Affine Translation(double dx, double dy) { return Affine{{1, 0, 0, 1, dx, dy}}; }
  static Affine Scale(double sx, double sy) { return Affine{{sx, 0, 0, sy, 0, 0}}; }
  GpPointF Apply(double x, double y) const {
    return GpPointF{REAL(m[0] * x + m[2] * y + m[4]), REAL(m[1] * x + m[3] * y + m[5])};
  }
  void ApplyD(double& x, double& y) const {
    const double nx = m[0] * x + m[2] * y + m[4];
    y = m[1] * x + m[3] * y + m[5];
    x = nx;
  }
  double Determinant() const { return m[0] * m[3] - m[1] * m[2]; }
  bool IsInvertible() const;
  bool Invert();
  bool IsIdentity() const { return m[0] == 1 && m[1] == 0 && m[2] == 0 && m[3] == 1 && m[4] == 0 && m[5] == 0; }
  bool IsFinite() const;
  cairo_matrix_t ToCairo() const { return cairo_matrix_t{m[0], m[1], m[2], m[3], m[4], m[5]}; }
};
// first, then second: the point goes through `first` before `second`.
Affine Then(const Affine& first, const Affine& second);

// Pixels in one of the formats the provider keeps: indexed 1/4/8, 16-bit 555/565/1555,
// 24 (B, G, R), 32 RGB, ARGB and PARGB. Rows are `stride` bytes apart (negative for
// bottom-up storage); the pixels are owned or borrowed.
class Plane {
 public:
  Plane() = default;
  Plane(const Plane&) = delete;
  Plane& operator=(const Plane&) = delete;
  Plane(Plane&&) = default;
  Plane& operator=(Plane&&) = default;

  static bool Supported(PixelFormat format);
  // Fresh zeroed pixels; false when the size is refused or memory runs out.
  bool Allocate(int32_t width, int32_t height, PixelFormat format);
  void Borrow(uint8_t* scan0, int32_t stride, int32_t width, int32_t height, PixelFormat format);
  Plane Clone() const;

  PixelFormat format() const { return format_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t stride() const { return stride_; }
  bool empty() const { return scan0_ == nullptr; }
  bool indexed() const { return (format_ & PixelFormatIndexed) != 0; }
  uint8_t* Row(int32_t y) const { return scan0_ + ptrdiff_t(y) * stride_; }
  std::vector<ARGB>& palette() { return palette_; }
  const std::vector<ARGB>& palette() const { return palette_; }

  // Straight (not premultiplied) ARGB of n pixels from (x, y).
  void ReadARGB(int32_t y, int32_t x, int32_t n, ARGB* out) const;
  // From straight ARGB; indexed formats take the nearest palette entry.
  void WriteARGB(int32_t y, int32_t x, int32_t n, const ARGB* in);
  // Palette indices of an indexed plane.
  uint8_t Index(int32_t y, int32_t x) const;
  void SetIndex(int32_t y, int32_t x, uint8_t v);

 private:
  PixelFormat format_ = PixelFormatUndefined;
  int32_t width_ = 0, height_ = 0, stride_ = 0;
  uint8_t* scan0_ = nullptr;
  std::vector<uint8_t> owned_;
  std::vector<ARGB> palette_;
};

// The format of a DIB's pixels of bpp bits with no colour masks (1, 4, 8: indexed; 24; 32:
// RGB with the fourth byte unused); PixelFormatUndefined for other depths.
PixelFormat DibPixelFormat(int bpp);

// Size limits for everything an image decoder allocates.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 28;
// A decoder also refuses a picture far larger than its data could plausibly describe.
uint64_t MaxPixelsForData(uint64_t dataSize);
bool SizeAllowed(uint64_t width, uint64_t height, uint64_t dataSize);

// Premultiply / unpremultiply one ARGB value (cairo's ARGB32 is premultiplied).
uint32_t Premultiply(ARGB c);
ARGB Unpremultiply(uint32_t p);

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;

// A premultiplied cairo copy of the rectangle (x, y, w, h) of a plane; null on failure. adjust,
// when given, changes each row of w straight ARGB values before they are premultiplied.
using RowAdjust = std::function<void(ARGB* row, int32_t w)>;
SurfacePtr PlaneToSurface(const Plane& plane, int32_t x, int32_t y, int32_t w, int32_t h,
                          const RowAdjust& adjust = {});

// One decoded picture.
struct ImageData {
  Plane plane;
  std::vector<uint8_t> iccProfile;  // embedded in the file; applied only when asked
  float dpiX = 96, dpiY = 96;
  uint64_t generation = 0;  // changes whenever the pixels may have changed
  SurfacePtr cached;        // premultiplied copy of the whole plane for drawing
  uint64_t cachedGeneration = ~uint64_t(0);
  cairo_surface_t* Surface();  // the cached copy, refreshed when stale; null on failure
};

// Decodes the frames of a multi-frame file on demand.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual GUID Dimension() const = 0;
  virtual uint32_t Count() const = 0;
  virtual GpStatus Decode(uint32_t index, ImageData& out) = 0;
};

struct PropertyRecord {
  PROPID id;
  uint16_t type;
  std::vector<uint8_t> value;
};

struct LockState {
  bool locked = false;
  GpRect rect{};
  uint32_t flags = 0;
  PixelFormat format = 0;
  std::vector<uint8_t> buffer;
  uint8_t* scan0 = nullptr;
  int32_t stride = 0;
};

class MetafileRecorder;

// Images: bitmaps, and the metafiles that recording makes (they hold the recording until
// they are disposed of, which ends it).
struct GpImage {
  virtual ~GpImage() = default;
  ImageType type = ImageTypeBitmap;
  GUID rawFormat = ImageFormatMemoryBMP;
  std::shared_ptr<ImageData> data = std::make_shared<ImageData>();
  std::unique_ptr<FrameSource> frames;
  uint32_t activeFrame = 0;
  bool colourManaged = false;  // every frame decoded goes through its embedded profile
  std::vector<PropertyRecord> properties;
  LockState lock;
};
struct GpBitmap : GpImage {};
struct GpMetafile : GpImage {
  std::shared_ptr<MetafileRecorder> recorder;
};

// Paths.
struct GpPath {
  std::vector<GpPointF> points;
  std::vector<uint8_t> types;
  GpFillMode fillMode = FillModeAlternate;
  bool newFigure = true;
};

// Regions: a tree of paths and combinations, in the coordinates of whoever holds it.
struct RegionNode;
using RegionPtr = std::shared_ptr<const RegionNode>;
struct RegionNode {
  enum Kind { Infinite, Empty, Shape, Combine } kind = Infinite;
  // Shape: a closed outline in device or world coordinates.
  std::vector<GpPointF> points;
  std::vector<uint8_t> types;
  GpFillMode fillMode = FillModeAlternate;
  // Combine
  CombineMode op = CombineModeReplace;
  RegionPtr left, right;
};
RegionPtr MakeInfiniteRegion();
RegionPtr MakeEmptyRegion();
RegionPtr MakeShapeRegion(const GpPath& path);
RegionPtr MakeRectRegion(double x, double y, double w, double h);
RegionPtr CombineRegions(const RegionPtr& a, const RegionPtr& b, CombineMode op);
RegionPtr TransformRegion(const RegionPtr& r, const Affine& m);
struct GpRegion {
  RegionPtr root = MakeInfiniteRegion();
};

// Device-space bounds (x0, y0)-(x1, y1), x1 and y1 exclusive.
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Empty() const { return !(x1 > x0 && y1 > y0); }
  Box Intersect(const Box& o) const;
  Box Union(const Box& o) const;
};
Box RegionBounds(const RegionPtr& r);

// Brushes.
enum class BrushKind { Solid, LineGradient, Texture };
struct GpBrush {
  virtual ~GpBrush() = default;
  BrushKind kind = BrushKind::Solid;
};
struct GpSolidFill : GpBrush {
  ARGB color = 0;
};
struct GpLineGradient : GpBrush {
  GpPointF p1{}, p2{};
  std::vector<ARGB> colors;
  std::vector<REAL> positions;
  GpWrapMode wrap = WrapModeTile;
  Affine transform;
};
struct GpTexture : GpBrush {
  SurfacePtr tile;  // premultiplied copy of the chosen part of the image
  int32_t width = 0, height = 0;
  GpWrapMode wrap = WrapModeTile;
  Affine transform;
};

struct GpPen {
  ARGB color = 0xff000000;
  REAL width = 1;
  GpUnit unit = UnitWorld;
  std::vector<REAL> dashes;  // in multiples of the width; empty: solid
  REAL dashOffset = 0;
  GpLineJoin join = LineJoinMiter;
  GpLineCap startCap = LineCapFlat, endCap = LineCapFlat;
  GpDashCap dashCap = DashCapFlat;
  REAL miterLimit = 10;
  Affine transform;
};

struct GpMatrix {
  Affine a;
};

struct GpImageAttributes {
  struct Adjust {
    bool keyEnabled = false;
    ARGB keyLow = 0, keyHigh = 0;
    bool matrixEnabled = false;
    ColorMatrix matrix{};
    ColorMatrixFlags flags = ColorMatrixFlagsDefault;
  };
  Adjust byType[5];  // default, bitmap, brush, pen, text
  const Adjust& ForBitmaps() const;
};

// Where a Graphics draws.
class PixelTarget {
 public:
  virtual ~PixelTarget() = default;
  virtual Plane& plane() = 0;
  virtual void Modified() {}
  virtual float dpiX() const { return 96; }
  virtual float dpiY() const { return 96; }
};

struct GraphicsStateRecord {
  Affine world;
  GpUnit pageUnit = UnitDisplay;
  RegionPtr clip;
  SmoothingMode smoothing = SmoothingModeNone;
  PixelOffsetMode pixelOffset = PixelOffsetModeNone;
  InterpolationMode interpolation = InterpolationModeBilinear;
  CompositingMode compositing = CompositingModeSourceOver;
  CompositingQuality compositingQuality = CompositingQualityDefault;
};

struct GpGraphics {
  std::unique_ptr<PixelTarget> target;
  GraphicsStateRecord state;
  struct Saved {
    GraphicsState token;
    GraphicsStateRecord state;
  };
  std::vector<Saved> saved;
  GraphicsState nextToken = 1;
  // Set on the Graphics of a recording metafile: calls are recorded, nothing is painted.
  std::shared_ptr<MetafileRecorder> recorder;

  // World to device: the world transform, then the page unit's scale.
  Affine WorldToDevice() const;
  bool Antialias() const;
  // The half-pixel shift of the pixel-offset modes that put pixel centres on integers.
  double PixelShift() const;
};

// Device pixels per page or pen unit at dpi; the pixel-like units (pixel, display, world) are
// taken as one pixel.
double UnitScale(GpUnit unit, double dpi);

// A Graphics in its initial state on a target.
std::unique_ptr<GpGraphics> NewGraphics(std::unique_ptr<PixelTarget> target);

// Recording metafiles: the one Graphics a recording hands out, and the end of the recording
// (its status is the status of writing the stream).
GpStatus NewRecordingGraphics(GpMetafile& metafile, GpGraphics** graphics);
GpStatus EndRecording(GpMetafile& metafile);

// Run `body`, turning exceptions into statuses.
template <typename F>
GpStatus Guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  } catch (...) {
    return GenericError;
  }
}

// Start-up bookkeeping: most constructors refuse while GDI+ is not started.
bool Started();
const GpHostTable* Host();

// Paints through the clip: `draw` composes onto a premultiplied working surface that covers
// `bounds` (device pixels) and holds the target's pixels there.
GpStatus PaintDevice(GpGraphics& g, const Box& bounds, const std::function<void(cairo_t*)>& draw);
// cairo keeps coordinates in 24.8 fixed point, about 8.4 million pixels either way of the
// origin: a path's points far outside any surface are pulled in to this distance, which leaves
// room for a stroke's outline around them (kMaxStrokeReach) and a working surface's offset.
inline constexpr double kCoordinateLimit = 4.0e6;
inline constexpr double kMaxStrokeReach = double(1 << 21);
// Adds a path (in world units) to a cairo context in device space, its points held within
// kCoordinateLimit.
void AppendPath(cairo_t* cr, const std::vector<GpPointF>& points, const std::vector<uint8_t>& types,
                const Affine& toDevice);
Box PathDeviceBounds(const std::vector<GpPointF>& points, const Affine& toDevice);
// Sets a brush as the cairo source; false when the brush cannot be used.
bool SetBrushSource(cairo_t* cr, const GpBrush& brush, const Affine& worldToDevice, cairo_filter_t filter);
// The cairo filter for the graphics' interpolation mode.
cairo_filter_t FilterFor(InterpolationMode mode);

// Image helpers shared by the codecs.
GpImage* NewBitmapImage(ImageData&& data, const GUID& rawFormat);
// A picture from file bytes; with colour management its frames go through their embedded
// profiles into sRGB.
GpStatus ImageFromBytes(std::vector<uint8_t>&& bytes, GpImage** image, bool colourManaged = false);
GpStatus ReadWholeStream(IStream* stream, std::vector<uint8_t>& out);
GpStatus WriteWholeStream(IStream* stream, std::span<const uint8_t> bytes);
// A file name of the flat API as the file system takes it.
std::string FileName(const WCHAR* name);

}  // namespace gdiplus
