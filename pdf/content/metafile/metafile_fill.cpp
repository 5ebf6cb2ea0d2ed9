// Painting a path with the selected pen and brush: solid and pattern fills through the painter,
// hatched fills as a background (opaque mode) and hatch lines clipped to the path.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"

namespace {

// Hatch lines a fill may draw along one direction; wider fills space them out.
constexpr double kMaxHatchLines = 2000;

double half0(double x0, double y0, double x1, double y1) { return std::hypot(x1 - x0, y1 - y0); }

}  // namespace

void TPDFMetafile::ApplyFill(TMetafileColor color) {
  const std::string text = ColorText(color, "rg");
  if (painter_->FillText != text) painter_->SetFillText(text);
}

void TPDFMetafile::ApplyStroke(const TStroke& stroke, TMetafileColor color) {
  // The painter's texts, not its fields, say what the content holds (a restored painter state
  // brings back texts only).
  TPDFPainter& p = *painter_;
  const std::string text = ColorText(color, "RG");
  if (p.StrokeText != text) p.SetStrokeText(text);
  const std::string style = p.Number(MiterLimit) + "M " + p.Number(stroke.Width) + "w " + std::to_string(stroke.Cap) +
                            " J " + std::to_string(stroke.Join) + " j";
  if (p.LineStyleText != style) {
    p.LineCap = stroke.Cap;
    p.LineJoin = stroke.Join;
    p.MiterLimit = MiterLimit;
    p.SetLineWidth(stroke.Width);
  }
  std::string dash;
  for (double d : stroke.Dash) dash += p.Number(d);
  const std::string dashText = dash.empty() ? std::string("[] 0 d") : "[ " + dash + "] " + p.Number(stroke.DashPhase) + "d";
  if (p.DashText != dashText) p.SetDashArray(dash, stroke.DashPhase);
}

void TPDFMetafile::FillWithColor(const TMetafilePath& path, TMetafileColor color, bool evenOdd) {
  if (path.Empty()) return;
  ApplyFill(color);
  path.Emit(*painter_);
  if (evenOdd)
    painter_->FillStrokeEvenOdd(true, false);
  else
    painter_->FillStroke(true, false);
}

TMetafilePath TPDFMetafile::OnPixelCentres(const TMetafilePath& path, double width) const {
  // The player's pens cover whole device pixels: a line of odd width runs through the centres
  // of the pixels its points name, one of even width along their edges. Fills cover whole
  // pixels from the points on.
  const double pixels = width / DevicePixel();
  if (!(pixels < 1e6) || std::llround(pixels) % 2 == 0) return path;
  const TPDFMatrix& m = DeviceTransform;
  return path.Translated(0.5 * (m[0] + m[2]), 0.5 * (m[1] + m[3]));
}

void TPDFMetafile::PaintPath(const TMetafilePath& given, bool fill, bool stroke, bool evenOdd) {
  if (given.Empty() || (!fill && !stroke)) return;
  const TStroke pen = ResolvePen(Pen);
  const TMetafilePath path = stroke ? OnPixelCentres(given, pen.Width) : given;
  if (stroke) ApplyStroke(pen, Pen.Color);
  if (fill && Brush.Style == TBrush::Hatched) {
    if (BkMode == 2) FillWithColor(path, BkColor, evenOdd);
    HatchPath(path, evenOdd);
    fill = false;
    if (!stroke) return;
    ApplyStroke(pen, Pen.Color);
  }
  if (fill) {
    const std::string pattern =
        Brush.Style != TBrush::Patterned ? std::string() : (Brush.Mono ? MonoPatternName(Brush) : Brush.PatternName);
    if (!pattern.empty()) {
      if (painter_->FillText != "/Pattern cs /" + pattern + " scn") painter_->SetFillPattern(pattern);
    } else {
      ApplyFill(Brush.Color);
    }
  }
  path.Emit(*painter_);
  if (evenOdd)
    painter_->FillStrokeEvenOdd(fill, stroke);
  else
    painter_->FillStroke(fill, stroke);
}

namespace {

// The player's hatch brushes are 8 x 8 pixel cells aligned on the device's origin.
bool HatchBit(uint32_t hatch, int64_t x, int64_t y) {
  const int64_t i = ((x % 8) + 8) % 8, j = ((y % 8) + 8) % 8;
  switch (hatch) {
    case 0: return j == 0;            // horizontal
    case 1: return i == 0;            // vertical
    case 2: return i == j;            // falling from left to right
    case 3: return i + j == 7;        // rising from left to right
    case 4: return i == 0 || j == 0;  // cross
    default: return i == j || i + j == 7;
  }
}

// A stencil of more device pixels than this is not made: the hatch is drawn as lines.
constexpr int64_t kMaxStencilPixels = int64_t(1) << 22;

}  // namespace

TPDFImage* TPDFMetafile::MakeStencil(const std::string& rows, int32_t width, int32_t height) {
  const std::string packed = FlateCompressString(rows);
  if (packed.empty() || Owner == nullptr || !Owner->OnMakeIndirect) return nullptr;
  TPDFStream* stream = Owner->NewStream(packed, false);
  TPDFDictionary* dict = stream->Dictionary();
  dict->SetValue("Type", Owner->NewName("XObject"));
  dict->SetValue("Subtype", Owner->NewName("Image"));
  dict->SetValue("Width", Owner->NewNumeric(width));
  dict->SetValue("Height", Owner->NewNumeric(height));
  dict->SetValue("ImageMask", Owner->NewBoolean(true));
  dict->SetValue("BitsPerComponent", Owner->NewNumeric(1));
  dict->SetValue("Decode", Owner->NewIntegerArray({1, 0}));  // set bits paint
  dict->SetValue("Filter", Owner->NewName("FlateDecode"));
  int objNum = 0, gen = 0;
  if (!Owner->MakeIndirect(stream, objNum, gen)) return nullptr;
  auto image = std::make_unique<TPDFImage>(Owner, "TalvoPDFI" + NewUniqueTag());
  image->Dict = dict;
  image->Ref = Owner->NewIndRef(objNum, gen);
  image->Width = width;
  image->Height = height;
  image->Kind = 2;
  ImageList->push_back(std::move(image));
  return ImageList->back().get();
}

void TPDFMetafile::HatchPath(const TMetafilePath& path, bool evenOdd) {
  double x0, y0, x1, y1;
  if (!path.Bounds(x0, y0, x1, y1) || !VisibleBounds(x0, y0, x1, y1)) return;
  // The path's box in device pixels (the device transform only scales and moves).
  const TPDFMatrix& m = DeviceTransform;
  if (m[0] == 0 || m[3] == 0) return;
  const double dx0 = (x0 - m[4]) / m[0], dx1 = (x1 - m[4]) / m[0];
  const double dy0 = (y0 - m[5]) / m[3], dy1 = (y1 - m[5]) / m[3];
  const double left = std::floor(std::min(dx0, dx1)), right = std::ceil(std::max(dx0, dx1));
  const double top = std::floor(std::min(dy0, dy1)), bottom = std::ceil(std::max(dy0, dy1));
  if (!(right > left && bottom > top) || (right - left) * (bottom - top) > double(kMaxStencilPixels)) {
    HatchLines(path, evenOdd);
    return;
  }
  const int32_t w = int32_t(right - left), h = int32_t(bottom - top);
  if (!Spend(int64_t(w) * h)) return;
  const size_t stride = (size_t(w) + 7) / 8;
  std::string rows(stride * size_t(h), '\0');
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if (HatchBit(Brush.Hatch, int64_t(left) + x, int64_t(top) + y))
        rows[size_t(y) * stride + size_t(x) / 8] |= char(0x80 >> (x % 8));
  TPDFImage* stencil = MakeStencil(rows, w, h);
  if (stencil == nullptr) {
    HatchLines(path, evenOdd);
    return;
  }
  // The stencil paints in the brush's colour inside the path.
  painter_->SaveGraphicsState();
  painter_->WriteText(path.Text(*painter_) + (evenOdd ? "W* n\n" : "W n\n"));
  painter_->SetFillText(ColorText(Brush.Color, "rg"));
  const TMetafilePoint corner = MapDevice(left, top);
  painter_->DrawXObject(*stencil, corner.X, corner.Y, w * std::abs(m[0]), h * std::abs(m[3]));
  WriteQ();
}

void TPDFMetafile::HatchLines(const TMetafilePath& path, bool evenOdd) {
  double x0, y0, x1, y1;
  if (!path.Bounds(x0, y0, x1, y1) || !VisibleBounds(x0, y0, x1, y1)) return;
  // Lines eight device pixels apart, aligned on the device's origin as the player's brush is.
  const double pixel = DevicePixel();
  const TMetafilePoint origin = MapDevice(0, 0);
  struct TDir {
    double dx, dy;  // direction in content units (y up)
  };
  std::vector<TDir> dirs;
  const double s = std::numbers::sqrt2 / 2;
  switch (Brush.Hatch) {
    case 0: dirs = {{1, 0}}; break;            // horizontal
    case 1: dirs = {{0, 1}}; break;            // vertical
    case 2: dirs = {{s, -s}}; break;           // falling left to right on the device
    case 3: dirs = {{s, s}}; break;            // rising left to right on the device
    case 4: dirs = {{1, 0}, {0, 1}}; break;    // cross
    default: dirs = {{s, -s}, {s, s}}; break;  // diagonal cross
  }
  if (!(pixel > 0) || !std::isfinite(half0(x0, y0, x1, y1))) return;
  painter_->SaveGraphicsState();
  painter_->WriteText(path.Text(*painter_) + (evenOdd ? "W* n\n" : "W n\n"));
  TStroke line;
  line.Width = pixel;
  ApplyStroke(line, Brush.Color);
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, half = std::hypot(x1 - x0, y1 - y0) / 2 + pixel;
  bool first = true;
  for (const TDir& d : dirs) {
    const double nx = -d.dy, ny = d.dx;  // the lines' normal
    double spacing = 8 * pixel * (d.dx != 0 && d.dy != 0 ? s : 1.0);
    const double centre = (cx - origin.X) * nx + (cy - origin.Y) * ny;
    if (2 * half / spacing > kMaxHatchLines) spacing = 2 * half / kMaxHatchLines;
    // Lines lie at whole spacings from the origin: offsets m * spacing - phase from the box's
    // centre. Counted from the box's edge, since a far origin makes m too large to step by one.
    const double phase = std::fmod(centre, spacing), m0 = std::floor((phase - half) / spacing);
    const int64_t lines = int64_t(std::min(std::ceil(2 * half / spacing) + 2, kMaxHatchLines + 2));
    for (int64_t k = 0; k < lines; ++k) {
      // The line's foot nearest the box's centre, then half a diagonal either way.
      const double off = (m0 + double(k)) * spacing - phase;
      const double px = cx + nx * off, py = cy + ny * off;
      if (first)
        painter_->NewPath(px - d.dx * half, py - d.dy * half);
      else
        painter_->MoveTo(px - d.dx * half, py - d.dy * half);
      first = false;
      painter_->LineTo(px + d.dx * half, py + d.dy * half);
    }
  }
  painter_->FillStroke(false, true);
  WriteQ();
}

void TPDFMetafile::FrameRegion(const std::vector<std::array<double, 4>>& rects, int32_t w, int32_t h) {
  // The frame's width and height are logical units, at least a device pixel.
  if (Brush.Style == TBrush::None) return;
  const TPDFMatrix& m = Transform;
  const double ux = std::hypot(m[0], m[1]), uy = std::hypot(m[2], m[3]);
  if (!(ux > 0) || !(uy > 0)) return;
  const double fw = std::max(std::abs(double(w)), DevicePixel() / ux);
  const double fh = std::max(std::abs(double(h)), DevicePixel() / uy);
  std::vector<std::array<double, 4>> strips;
  for (const auto& q : rects) {
    strips.push_back({q[0], q[1], q[2], std::min(q[1] + fh, q[3])});
    strips.push_back({q[0], std::max(q[3] - fh, q[1]), q[2], q[3]});
    strips.push_back({q[0], q[1], std::min(q[0] + fw, q[2]), q[3]});
    strips.push_back({std::max(q[2] - fw, q[0]), q[1], q[2], q[3]});
  }
  PaintPath(LogicalRectsPath(strips), true, false, false);
}
