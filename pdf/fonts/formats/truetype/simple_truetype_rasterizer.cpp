#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"

#include "pdf/fonts/formats/vectoriser/ttf_to_vector.h"
#include "pdf/render/canvas/generic_canvas.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/numbers.h"

namespace {

TPDFPoint Map(const TPDFMatrix& m, double x, double y) {
  TPDFPoint out;
  MatrixTransformPoint(m, {x, y}, out);
  return out;
}

}  // namespace

TPDFSimpleTrueTypeRasterizer::TPDFSimpleTrueTypeRasterizer() : WorkBitmap(std::make_unique<TBitmap>()) {
  WorkBitmap->SetPixelFormat(pf24bit);
  WorkBitmap->SetSize(10, 10);
  HDC screen = CreateCompatibleDC(nullptr);
  ScreenDPI = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) DeleteDC(screen);
}

TPDFSimpleTrueTypeRasterizer::~TPDFSimpleTrueTypeRasterizer() = default;

TFont& TPDFSimpleTrueTypeRasterizer::GetFont() { return WorkBitmap->Canvas().Font(); }

int TPDFSimpleTrueTypeRasterizer::OutlineFontSize() const {
  if (ScreenDPI <= 0) return 750;
  return int(RoundHalfEven(72000.0 / ScreenDPI));
}

bool TPDFSimpleTrueTypeRasterizer::DrawGlyph(double& x, double& y, uint8_t /*flag*/, const std::string& key,
                                             const TPDFMatrix& matrix, TPDFGenericCanvas* canvas) {
  TPDFMatrix m;
  MatrixMultiply(m, {1, 0, 0, 1, x, y}, matrix);
  TTTFToVectorConverter converter;
  TFont& font = converter.Font();
  const TFont& face = GetFont();
  font.SetName(face.Name());
  font.SetStyle(face.Style());
  font.SetCharset(face.Charset());
  font.SetSize(OutlineFontSize());
  int64_t code = 0;
  if (key.starts_with(kGlyphKeyCID)) {
    code = GlyphKeyNumber(key, kGlyphKeyCID).value_or(0);
  } else if (key.starts_with(kGlyphKeyGID)) {
    code = GlyphKeyNumber(key, kGlyphKeyGID).value_or(0);
  }
  if (code < 0 || code > 0xFFFF) code = 0;
  const bool found = converter.ConvertGlyph(uint16_t(code));
  if (canvas == nullptr) return found;
  const TFontCurveCollection& curves = converter.Curves();
  for (int c = 0; c < curves.ContourCount(); ++c) {
    const TPDFPoint start = Map(m, curves.StartPoint(c).X, curves.StartPoint(c).Y);
    canvas->MoveTo(start.X, start.Y);
    for (const TFontSegment& segment : curves.Segments(c)) {
      if (const auto* line = std::get_if<TFontLine>(&segment)) {
        const TPDFPoint p = Map(m, line->X, line->Y);
        canvas->LineTo(p.X, p.Y);
      } else if (const auto* spline = std::get_if<TFontSpline>(&segment)) {
        const TPDFPoint c1 = Map(m, spline->X1, spline->Y1);
        const TPDFPoint c2 = Map(m, spline->X2, spline->Y2);
        const TPDFPoint end = Map(m, spline->X3, spline->Y3);
        canvas->CurveTo(c1.X, c1.Y, c2.X, c2.Y, end.X, end.Y);
      }
    }
    canvas->ClosePath();
  }
  return found;
}
