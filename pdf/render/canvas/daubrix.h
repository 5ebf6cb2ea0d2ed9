// TPDFDaubrix: the canvas the renderer paints a page through. It keeps a drawing state
// (colours, alphas, line style, fill rule, matrix, pending clip) and sends each operation to
// one back end chosen once after creation: plain GDI on a framework canvas, or GDI+ bound at
// run time (falling back to GDI when the provider cannot be loaded or started). The image
// decoder and the image import also use it as an image service (decode, convert, draw).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/matrix.h"
#include "pdf/render/canvas/gdiplus_binding.h"
#include "pdf/render/canvas/gdiplus_settings.h"
#include "pdf/render/canvas/generic_canvas.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/rtl/streams.h"

class GdiBitmap;
struct TDecodedImage;
class TBitmap;
class TCanvas;
class TGraphic;
class TZRXPattern;
class TImageBytesStreamAdapter;
class TCairoDLL;
struct DashPiece;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

using TGPDashArray = std::vector<float>;
// A saved clip of the GDI+ back end, as SaveClip hands it out (null: none).
using TDaubrixClip = gdiplus::GpRegion*;

enum : uint8_t {
  kBackEndNone = 0,
  kBackEndGDI = 1,
  kBackEndGDIPlus = 2,
  kBackEndHTML5 = 3,
  kBackEndCairo = 4,
};

// Fill rules as the renderer gives them.
enum : uint8_t { kFillRuleNone = 0, kFillRuleWinding = 1, kFillRuleEvenOdd = 2 };

// The text a canvas records when an image operation could not draw (the renderer's own text
// for an image that fails).
inline constexpr const char* kImageDrawError = "Error rendering image";

class TPDFDaubrix : public TPDFGenericCanvas {
 public:
  TPDFDaubrix();
  ~TPDFDaubrix() override;
  TPDFDaubrix(const TPDFDaubrix&) = delete;
  TPDFDaubrix& operator=(const TPDFDaubrix&) = delete;

  // Back-end choice. SetTarget draws with GDI on the canvas (not owned). Setup draws with GDI+
  // on the canvas's device context (or on the device context or metafile set before) and falls
  // back to GDI on the same canvas when the provider cannot be loaded or started.
  void SetTarget(TCanvas* canvas);
  void Setup(TCanvas* canvas, const TGDIPlusSettings& settings);
  // Redirect a later Setup to a device context of the given size, or to an EMF recorded into
  // the stream (not owned).
  void SetTargetDC(int32_t width, int32_t height, HDC dc);
  void SetMetafileStream(int32_t width, int32_t height, TStream* stream);
  bool RecordMetafile(HDC dc);
  // Completes the recording (the metafile is disposed of, which writes it to the stream);
  // false when the stream would not take it. Destruction does the same, unasked.
  bool EndMetafile();
  // Draws with the cairo library loaded from the path onto the device context (its bitmap's
  // pixels take what is drawn when the canvas goes); paints it white first when asked. False,
  // with the back end as it was, when the library does not load.
  bool SetupCairo(HDC dc, const WideString& libraryPath, bool paintWhite);
  uint8_t BackEnd() const { return backEnd_; }

  // HTML5 canvas page: the head of the page on the stream (not owned), the drawing as script
  // statements written at once, and the tail with the canvas element of the given size.
  // AddScriptLine writes a text as it stands. Once the stream refuses bytes nothing more is
  // written and HTML5WriteFailed tells so.
  void BeginHTML5Canvas(TStream* stream);
  void EndHTML5Canvas(int32_t width, int32_t height);
  void AddScriptLine(std::string_view text);
  bool HTML5WriteFailed() const { return html5Failed_; }
  // A picture (24-bit colours, and a 24-bit grey coverage where not every pixel is opaque)
  // as pixels in the script, its upper-left, upper-right and lower-left corners on the points.
  void DrawHTML5Picture(TBitmap& colours, TBitmap* coverage, double x1, double y1, double x2, double y2, double x3,
                        double y3);
  // A picture upright on the box (left, top) to (right, bottom), cut to the path written so far
  // by the fill rule when toPath is set (the path stays for a stroke), else only to the clip.
  void FillHTML5Picture(TBitmap& colours, TBitmap* coverage, double left, double top, double right, double bottom,
                        bool toPath);
  // Three decimals at most, no trailing zeros, "0" for what rounds to zero.
  static std::string FormatNumber(double value);

  // The canvas operations (device coordinates).
  void NewPath() override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void QuadCurveTo(double x1, double y1, double x2, double y2) override;
  void ClosePath() override;
  void Stroke() override;
  void Fill() override;
  void FillAndStroke() override;
  void DrawImage(TGraphic& graphic, double x1, double y1, double x2, double y2, double x3, double y3) override;
  // Slot 9's work; true when the graphic was drawn.
  bool DrawGraphicPoints(TGraphic& graphic, double x1, double y1, double x2, double y2, double x3, double y3);

  // Drawing state. Colours are 0x00BBGGRR (red in the low byte).
  void SetFillColor(uint32_t color);
  void SetStrokeColor(uint32_t color);
  void SetFillPattern(TZRXPattern* pattern);
  void SetStrokePattern(TZRXPattern* pattern);
  void SetFillAlpha(double alpha);
  void SetStrokeAlpha(double alpha);
  void SetLineWidth(double width);
  void SetLineCap(int32_t cap);    // 0 butt, 1 round, 2 projecting square
  void SetLineJoin(int32_t join);  // 0 miter, 1 round, 2 bevel
  void SetMiterLimit(double limit);
  void SetDash(const TGPDashArray& dashes, double phase);
  void SetBlendMode(uint8_t mode);
  // 1 nonzero winding, 2 even-odd; applied at once to the current GDI+ path.
  void SetFillRule(uint8_t rule);
  // Sets the fill rule and makes the current path the clip at the next paint or EndPath.
  void SetClip(uint8_t rule);
  void SetMatrix(double a, double b, double c, double d, double e, double f);
  void SetMatrix(const TPDFMatrix& m) { SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]); }

  // Renderer hooks. EndPath ends a path without painting (PDF "n"); SaveClip / RestoreClip
  // keep the GDI+ clip across q and Q; SaveState / RestoreState are balanced (a restore
  // without a save does nothing); FillClipBounds fills the bounds of the clip (PDF "sh").
  void EndPath();
  void SaveState();
  void RestoreState();
  TDaubrixClip SaveClip();
  void RestoreClip(TDaubrixClip region);
  void FillClipBounds();

  // Image operations. Each answers whether it drew (or wrote); a failure also records
  // kImageDrawError in LastError. DrawBitmap, DrawImageData, DrawImageDataColorKey and slot 9
  // work with GDI too (decoded here, placed by an affine nearest-neighbour blit). cairo draws
  // DrawImageData and DrawImageDataColorKey (a page's colour-keyed images come that way).
  bool DrawBitmap(TBitmap& bitmap, double x, double y, double width, double height);
  // frame is 1-based; icm asks for colour management of an embedded profile. Metafiles (EMF,
  // placeable WMF) are played by the platform's player on either back end.
  bool DrawImageStream(TStream& stream, int32_t frame, double x, double y, double width, double height, bool icm);
  // The encoded image's upper-left, upper-right and lower-left corners land on the points.
  bool DrawImageData(TStream& stream, double x1, double y1, double x2, double y2, double x3, double y3);
  // As DrawImageData with the BMP form of a 24-bit bitmap, drawn from its own pixels without
  // that encoding. False, with nothing drawn and no error, when this canvas cannot take it so
  // (the caller encodes it then).
  bool DrawDibPoints(const std::shared_ptr<GdiBitmap>& picture, double x1, double y1, double x2, double y2, double x3,
                     double y3);
  // As DrawImageData, drawing the source rectangle (0, 0, sourceWidth, sourceHeight) and
  // leaving out every pixel whose red, green and blue each lie between those of lowKey and
  // highKey (0xAARRGGBB; alpha is not compared).
  bool DrawImageDataColorKey(TStream& stream, int32_t sourceWidth, int32_t sourceHeight, double x1, double y1,
                             double x2, double y2, double x3, double y3, uint32_t lowKey, uint32_t highKey);
  // GDI+ only: re-encode the image in `source` as black-and-white CCITT group 4 TIFF, or with
  // the given encoder (no parameters).
  bool SaveImageStreamAsTIFF(TStream& source, TStream& target);
  bool ConvertImageStream(TStream& source, TStream& target, const gdiplus::CLSID& encoder);

  // Group surfaces of the cairo back end: a surface the size of the target, made current. The
  // drawing between BeginMaskedDrawing and EndMaskedDrawing knocks out: each fill first puts
  // back what the group surface holds (a copy of the backdrop) where the fill will lie, so
  // that it meets the backdrop and not the group's earlier fills. Knockout drawings nest.
  void BeginGroup(bool alphaOnly, cairo_surface_t*& previousSurface, cairo_t*& previousContext,
                  cairo_surface_t*& surface, cairo_t*& context);
  void SetCurrentSurface(cairo_surface_t* surface, cairo_t* context);
  void BeginMaskedDrawing(bool paintWhite, cairo_t* groupContext, cairo_t* maskContext, cairo_surface_t* maskSurface,
                          cairo_surface_t* groupSurface);
  void PaintThroughMask(cairo_surface_t* surface, cairo_surface_t* mask);
  void EndMaskedDrawing(cairo_surface_t* surface, cairo_t* context);
  void FreeGroup(cairo_t* context, cairo_surface_t* surface);
  // Paints a group surface over the current target (a knockout drawing on the target puts its
  // backdrop back under the group first).
  void PaintGroup(cairo_surface_t* surface);
  TCairoDLL* Cairo() const { return cairo_.get(); }
  cairo_t* CairoContext() const { return cairoContext_; }

  // ARGB of the fill and stroke colours with round(alpha x 255) (halves to even) on top, the
  // alpha taken as 0..1 (an ExtGState's CA may hold any number).
  uint32_t FillARGB() const;
  uint32_t StrokeARGB() const;

  // The first failure text since creation or ClearError (empty when none).
  const std::string& LastError() const { return lastError_; }
  void ClearError() { lastError_.clear(); }

  // State read by the renderer and by tests.
  const TGDIPlusSettings& Settings() const { return settings_; }
  TWZRXGDIPlus* GDIPlus() const { return gdiplus_.get(); }
  gdiplus::GpGraphics* Graphics() const { return graphics_; }
  TCanvas* Target() const { return target_; }
  uint32_t FillColor() const { return fillColor_; }
  uint32_t StrokeColor() const { return strokeColor_; }
  double LineWidth() const { return lineWidth_; }
  int32_t LineCap() const { return lineCap_; }
  int32_t LineJoin() const { return lineJoin_; }
  double MiterLimit() const { return miterLimit_; }
  uint8_t BlendMode() const { return blendMode_; }
  double FillAlpha() const { return fillAlpha_; }
  double StrokeAlpha() const { return strokeAlpha_; }
  uint8_t FillRule() const { return fillRule_; }
  const TGPDashArray& Dash() const { return dash_; }
  double DashPhase() const { return dashPhase_; }
  const TPDFMatrix& Matrix() const { return matrix_; }
  double CurrentX() const { return x_; }
  double CurrentY() const { return y_; }
  bool StartedHere() const { return startedHere_; }
  size_t SavedClipCount() const { return savedClips_.size(); }
  int32_t SaveDepth() const { return saveDepth_; }

  // BMP and PNG encoder identifiers fetched by Setup (all zero when unknown).
  gdiplus::CLSID BMPEncoder{};
  gdiplus::CLSID PNGEncoder{};
  // Written directly by the renderer: the offset of tiling brushes, and the page height.
  double TileOffset = 0;
  double PageHeight = 0;

  // Smallest dash entry handed to GDI+ (a zero entry would stop the pen from drawing).
  static constexpr float kMinDashEntry = 0.01f;

 private:
  // GDI back end.
  void GdiNewPath();
  void GdiMoveTo(double x, double y);
  void GdiLineTo(double x, double y);
  void GdiCurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void GdiClosePath();
  void GdiPaint(bool fill, bool stroke);
  bool DrawMetafileStream(TStream& stream, int32_t frame, double x, double y, double width, double height);
  bool GdiBlit(const TDecodedImage& image, int32_t sourceWidth, int32_t sourceHeight, const double* pts, bool key,
               uint32_t lowKey, uint32_t highKey);
  bool GdiDrawImage(TStream* stream, TGraphic* graphic, int32_t sourceWidth, int32_t sourceHeight, const double* pts,
                    bool key, uint32_t lowKey, uint32_t highKey);
  HDC TargetDC() const;
  // The diagonal of the target in pixels (a large page's when unknown).
  double TargetDiagonal() const;

  // HTML5 back end.
  void Html5Paint(bool fill, bool stroke);
  void Html5EndPath();
  void Html5Save();
  void Html5Restore();
  void Html5LineStyle();

  // GDI+ back end.
  bool GdiplusStart(TCanvas* canvas);
  bool CreateGraphics(TCanvas* canvas);
  void FallBackToGdi(TCanvas* canvas);
  void ReleaseGdiplus();
  void ApplyPathQuality();
  void ApplyImageQuality();
  void GpNewPath();
  void GpMoveTo(double x, double y);
  void GpLineTo(double x, double y);
  void GpCurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void GpClosePath();
  void GpPaint(bool fill, bool stroke);
  void PreparePath();
  void DeletePath();
  gdiplus::GpBrush* CreateFillBrush();
  gdiplus::GpBrush* FillWithPattern(TZRXPattern& pattern);
  // Without dashes when `dashed` is false.
  gdiplus::GpPen* CreateStrokePen(bool dashed = true);
  // Dashes (daubrix_dashes.cpp): whether the back end's path is cut into its dashes here; a
  // path as GDI+ points and types cut so, near the visible box (false where it is drawn solid:
  // a pattern with no gap, or more dashes than the box may hold, as finer dashing is); the
  // current GDI+ path so cut, or null where it is drawn solid.
  bool CutsOwnDashes() const;
  bool CutOwnDashes(std::span<const gdiplus::GpPointF> points, std::span<const uint8_t> types,
                    const gdiplus::GpRectF& visible, std::vector<DashPiece>& pieces) const;
  gdiplus::GpPath* DashedPath();
  gdiplus::GpImage* LoadImage(TStream& stream, bool icm);
  bool GpDrawLoaded(gdiplus::GpImage* image, const double* pts, int32_t sourceWidth, int32_t sourceHeight, bool key,
                    uint32_t lowKey, uint32_t highKey);
  void DeleteSavedClips();

  // cairo back end.
  bool DecodesHere() const { return backEnd_ == kBackEndGDI || backEnd_ == kBackEndCairo; }
  void ReleaseCairo();
  template <class F>
  void CairoEach(F&& segment);
  void CairoNewPath();
  void CairoMoveTo(double x, double y);
  void CairoLineTo(double x, double y);
  void CairoCurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void CairoClosePath();
  void CairoSetFillRule(uint8_t rule);
  void CairoSource(bool fill);
  bool CairoFillWithPattern(const TZRXPattern& pattern);
  bool CairoFillWithTiling(TZRXPattern& pattern, uint32_t colour);
  void CairoStrokeStyle();
  // Strokes the current path (kept for a pending clip) as its dashes.
  void CairoStrokeOwnDashes();
  void CairoPaint(bool fill, bool stroke);
  void CairoEndPath();
  void CairoFillClipBounds();
  bool CairoDrawImage(const TDecodedImage& image, int32_t sourceWidth, int32_t sourceHeight, const double* pts,
                      bool keyed, uint32_t lowKey, uint32_t highKey);
  // Encoded data through the PNG that cairo reads (cairo_png.cpp).
  bool CairoDrawImageData(TStream& stream, const double* pts);
  bool CairoPaintSurface(cairo_surface_t* surface, double sourceWidth, double sourceHeight, const double* pts);

  bool ImageFailed();
  void RecordError(const std::string& text);

  // Current point and state.
  double x_ = 0, y_ = 0;
  TGDIPlusSettings settings_{};
  uint32_t fillColor_ = 0, strokeColor_ = 0;
  double lineWidth_ = 1.0;
  int32_t lineCap_ = 0, lineJoin_ = 0;
  double miterLimit_ = 10.0;
  TGPDashArray dash_;
  double dashPhase_ = 0;
  uint8_t backEnd_ = kBackEndNone;
  TCanvas* target_ = nullptr;
  double strokeAlpha_ = 1.0, fillAlpha_ = 1.0;
  uint8_t blendMode_ = 0;
  uint8_t fillRule_ = kFillRuleNone;
  bool clipPending_ = false;
  TZRXPattern* fillPattern_ = nullptr;
  TZRXPattern* strokePattern_ = nullptr;
  TPDFMatrix matrix_ = kIdentityMatrix;
  int32_t saveDepth_ = 0;
  std::string lastError_;

  // GDI+ clip stack.
  bool clipChanged_ = true;
  gdiplus::GpRegion* currentClip_ = nullptr;
  std::vector<gdiplus::GpRegion*> savedClips_;

  // Metafile output and device-context output (GDI+).
  bool recording_ = false;
  int32_t metafileWidth_ = 0, metafileHeight_ = 0;
  std::unique_ptr<TImageBytesStreamAdapter> metafileAdapter_;
  gdiplus::GpMetafile* metafile_ = nullptr;
  HDC memoryDC_ = nullptr;
  bool dcOutput_ = false;
  int32_t dcWidth_ = 0, dcHeight_ = 0;
  HDC targetDC_ = nullptr;
  // The GDI fallback of device-context output draws through a canvas of its own.
  std::unique_ptr<TCanvas> ownCanvas_;

  // HTML5. The line style last written, and the ones saved by ctx.save() (restored with it).
  struct THtml5LineStyle {
    double Width = 1, MiterLimit = 10;
    int32_t Cap = 0, Join = 0;
  };
  TStream* html5Stream_ = nullptr;
  bool html5Failed_ = false;
  THtml5LineStyle html5Style_;
  std::vector<THtml5LineStyle> html5Saved_;

  // GDI+.
  bool pathWithinLimits_ = true;
  gdiplus::GpGraphics* graphics_ = nullptr;
  gdiplus::ULONG_PTR token_ = 0;
  gdiplus::GpPath* path_ = nullptr;
  bool startedHere_ = false;
  gdiplus::GdiplusStartupOutput startupOutput_{};
  gdiplus::ULONG_PTR notificationToken_ = 0;
  bool notificationHooked_ = false;
  std::unique_ptr<TWZRXGDIPlus> gdiplus_;

  // cairo.
  std::unique_ptr<TCairoDLL> cairo_;
  cairo_surface_t* cairoSurface_ = nullptr;  // current: the target's or a group's
  cairo_t* cairoContext_ = nullptr;
  cairo_surface_t* cairoDeviceSurface_ = nullptr;  // over the target, flushed to it at the end
  cairo_t* cairoDeviceContext_ = nullptr;
  // The knockout drawing in force (on the context that was current when it began) and the
  // ones it interrupted.
  struct TMaskedDrawing {
    bool Active = false;
    cairo_t* Target = nullptr;
    cairo_surface_t* GroupSurface = nullptr;
    cairo_t* GroupContext = nullptr;
    cairo_surface_t* MaskSurface = nullptr;
    cairo_t* MaskContext = nullptr;
  };
  bool Knocking() const;
  void KnockOut(cairo_surface_t* shape);
  TMaskedDrawing masked_;
  std::vector<TMaskedDrawing> maskedOuter_;
};
