// TPDFMetafile turns an enhanced metafile (a WMF is translated into one by the platform's
// metafile object) into the text of a PDF content stream. It walks the records in order and
// keeps a model of the player's device context: mapping mode, window and viewport, world
// transform, selected pens and brushes, colours and modes, current position, path, clip and a
// save/restore stack. Each drawing record becomes content operators through the converter's
// own painter; bitmaps, patterns and graphics states become resources appended to the lists of
// the calling image.
//
// Content units: the picture's shorter side spans 1000 units with y pointing up; Play writes a
// 0.001 scale first, so that the shorter side spans one unit of the form.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "pdf/content/metafile/metafile_path.h"
#include "pdf/content/metafile/metafile_record.h"
#include "pdf/core/matrix.h"

class TPDFStructure;
class TPDFStream;
class TPDFFont;
class TPDFImage;
class TPDFPainter;
class TPDFPattern;
class TEMFGraphicState;
class TMetafile;
class TBitmap;
class GdiBitmap;
class TRopEvaluator;

// Colours are COLORREF values: red in the low byte, then green, then blue.
using TMetafileColor = uint32_t;

class TPDFMetafile {
 public:
  // The lists belong to the calling image; the converter appends to them.
  TPDFMetafile(TPDFStructure* owner, std::vector<TPDFFont*>* fontList,
               std::vector<std::unique_ptr<TPDFImage>>* imageList,
               std::vector<std::unique_ptr<TEMFGraphicState>>* gstateList,
               std::vector<std::unique_ptr<TPDFPattern>>* patternList);
  ~TPDFMetafile();
  TPDFMetafile(const TPDFMetafile&) = delete;
  TPDFMetafile& operator=(const TPDFMetafile&) = delete;

  // Converts the whole metafile and stores the content, Flate-compressed, in the stream. The
  // picture's frame fills the box of the form the image writes (its size in points).
  void Play(TMetafile& graphic, TPDFStream* target);
  // The same for a record list the caller walks itself: Begin resets the model for a picture
  // box of width x height (its aspect is the form's; records before a header take the units
  // as reference-device pixels), HandleRecord takes one record, Finish closes what the records
  // left open and answers the content text.
  void Begin(int32_t width, int32_t height);

  // A size in hundredths of a millimetre in points, rounded as the form's box is.
  static int32_t Points(int32_t hundredthsOfMillimetre);
  void HandleRecord(const TMetafileRecord& record);
  std::string Finish();

  // Set by the caller after creation.
  bool AdvanceFlag = true;  // text records use their advance arrays
  bool EmbedTrueType = false;
  uint8_t FontOption = 0;
  std::string NoEmbedFonts;

  // Content written beyond this many bytes is not made: the conversion stops and fails.
  static constexpr size_t kMaxContentBytes = size_t(48) << 20;
  // Work beyond the content (bitmap and pattern pixels, stencil pixels, region rectangles)
  // that a conversion may do in all before it stops and fails.
  static constexpr int64_t kMaxWork = int64_t(1) << 27;
  // Saved states and clip levels beyond these depths are refused.
  static constexpr size_t kMaxSaveDepth = 1024;
  static constexpr size_t kMaxClipLevels = 256;

  // --- The device-context model (read by tests; the handlers keep it).
  TPDFStructure* Owner;
  std::vector<TPDFFont*>* FontList;
  std::vector<std::unique_ptr<TPDFImage>>* ImageList;
  std::vector<std::unique_ptr<TEMFGraphicState>>* GStateList;
  std::vector<std::unique_ptr<TPDFPattern>>* PatternList;

  struct TBrush {
    enum TStyle : uint8_t { None, Plain, Hatched, Patterned } Style = Plain;
    TMetafileColor Color = 0xFFFFFF;
    uint32_t Hatch = 0;
    std::string PatternName;  // a written pattern resource ("" when it could not be made)
    std::shared_ptr<const GdiBitmap> Mono;  // a monochrome pattern, coloured when it paints
    uint64_t MonoId = 0;                     // which one, for the patterns made of it
  };
  // A pen as the records describe it; its widths and dashes in logical units are resolved
  // against the transform in force when it draws, as the player does.
  struct TPen {
    bool Null = false;
    TMetafileColor Color = 0;
    double Width = 0;              // logical units; 0 draws one device pixel wide
    bool Geometric = false;        // an extended geometric pen: any width dashes, caps and joins as given
    uint32_t Style = 0;            // solid, dash, dot, dash-dot, dash-dot-dot, ..., user, alternate
    std::vector<double> UserDash;  // user-style entries: logical units (geometric), else device pixels
    int32_t Cap = 1, Join = 1;     // round, as plain pens draw once wider than a pixel
  };
  // What a pen draws with in content units.
  struct TStroke {
    double Width = 0;
    std::vector<double> Dash;  // empty for solid
    double DashPhase = 0;      // how far into the pattern each line starts
    int32_t Cap = 0, Join = 0;
  };
  // Objects the records create, by their index.
  std::map<uint32_t, TPen> PenObjects;
  std::map<uint32_t, TBrush> BrushObjects;
  std::map<uint32_t, std::string> FontObjects;  // what the font records described

  int32_t PolyFillMode = 1;  // 1 alternate (even-odd), any other winding
  TBrush Brush;              // the selected brush
  TPen Pen;                  // the selected pen
  bool InPath = false;
  TMetafilePath Path;                       // the path bracket's figures
  double CurrentLogX = 0, CurrentLogY = 0;  // current position, logical units
  int32_t ArcDirection = 1;                 // 1 counter-clockwise, any other clockwise
  int32_t BkMode = 1;                       // 1 transparent, 2 opaque
  TMetafileColor BkColor = 0xFFFFFF;
  TMetafileColor TextColor = 0;
  int32_t TextAlign = 0;
  int32_t ICMMode = 2;
  double MiterLimit = 10.0;

  // Reference device and transforms.
  double DevicePixelsX = 0, DevicePixelsY = 0, DeviceMillimetresX = 0, DeviceMillimetresY = 0;
  int32_t MapMode = 1;
  TPDFMatrix FrameTransform = kIdentityMatrix;  // reference-device units to frame units
  TPDFMatrix WorldTransform = kIdentityMatrix;
  TPDFMatrix BaseTransform = kIdentityMatrix;  // frame units to content units
  int32_t WindowOrgX = 0, WindowOrgY = 0, WindowExtX = 1, WindowExtY = 1;
  int32_t ViewportOrgX = 0, ViewportOrgY = 0, ViewportExtX = 1, ViewportExtY = 1;
  TPDFMatrix Transform = kIdentityMatrix;        // logical units to content units
  TPDFMatrix DeviceTransform = kIdentityMatrix;  // reference-device units to content units
  int32_t Width = 0, Height = 0;                 // the picture in pixels
  bool Stopped = false;                          // a budget ran out: the picture is incomplete

  // The font text records use (nil until a font is selected) and what the selection said.
  TPDFFont* CurrentFont = nullptr;
  struct TTextState {
    std::string Key;           // face and style suffix
    double Height = 0;         // logical height: negative the em, positive the cell
    double DevicePixels = 0;   // when not 0, the em in reference-device pixels instead
    bool Underline = false;
    bool StrikeOut = false;
    int32_t Charset = 1;
    int32_t Escapement = 0;    // tenths of a degree
    double WidthScale = 100;   // percent
  };
  TTextState TextState;
  std::vector<std::string> ScreenFonts;  // read when the first font is made
  std::array<char16_t, 256> CharMap{};   // WinAnsiEncoding: byte code to Unicode

  TPDFPainter& Painter() { return *painter_; }

  // A vertex of a gradient: position in logical units, colour channels 0..255.
  struct TGradientVertex {
    double X = 0, Y = 0;
    std::array<double, 3> C{};
  };

 private:
  // --- Frame: dispatch, simple state, transforms (metafile_frame.cpp, metafile_transform.cpp)
  void Reset();
  void Dispatch(const TMetafileRecord& r);
  bool HandleStateRecord(const TMetafileRecord& r);
  void ReadHeader(const TMetafileRecord& r);
  void SetMapMode(int32_t mode);
  void RecomputeTransforms();
  void PageScale(double& sx, double& sy) const;
  void SetExtent(bool window, int32_t x, int32_t y);
  void ScaleExtent(bool window, const TMetafileRecord& r);
  void ModifyWorld(const TPDFMatrix& x, uint32_t mode);
  TMetafilePoint Map(double x, double y) const;        // logical units to content units
  TMetafilePoint MapDevice(double x, double y) const;  // reference-device units to content units
  double LineScale() const;                            // content length of one logical unit, both axes averaged
  double DevicePixel() const;                          // content length of one reference-device pixel
  static TMetafileColor ResolveColorRef(uint32_t c);
  std::string ColorText(TMetafileColor c, const char* op) const;
  bool OverBudget() const;
  // Charges work to the budget; false (and the conversion stopped) when it ran out.
  bool Spend(int64_t units);

  // --- Save and restore, the clip as nested levels (metafile_state.cpp, metafile_clip.cpp)
  struct TClipLevel {
    std::string Text;                          // the clip's path lines and its W operator
    TMetafilePath Shape;                       // the same path (content units)
    std::vector<std::array<double, 4>> Rects;  // region rectangles (content units), when made of them
    bool EvenOdd = false;
  };
  using TClipStack = std::vector<std::shared_ptr<const TClipLevel>>;
  struct TSavedState;
  void SaveDC();
  void RestoreDC(int32_t relative);
  void WriteQ();
  void SetClipStack(const TClipStack& target);
  void PushClip(std::shared_ptr<const TClipLevel> level);
  void CombineClip(const TMetafilePath& shape, bool evenOdd, uint32_t mode,
                   const std::vector<std::array<double, 4>>* rects);
  std::shared_ptr<TClipLevel> MakeClipLevel(const TMetafilePath& shape, bool evenOdd) const;
  TClipStack MetaLevels() const;  // the levels of the meta region
  // The clip past the meta region united with the shape, as device pixels; false (nothing
  // changed) when the work budget does not allow it.
  bool UnionByPixels(const TMetafilePath& shape, bool evenOdd);
  void OffsetClip(double dx, double dy);
  void HandleClipRecord(const TMetafileRecord& r);
  bool ReadRegion(const TMetafileRecord& r, uint64_t offset, uint64_t size, std::vector<std::array<double, 4>>& rects);
  std::array<double, 4> PictureMargins() const;  // left, bottom, right, top around the picture
  TMetafilePath PictureBox() const;
  // A box cut down to what can show of the picture; false when nothing does.
  bool VisibleBounds(double& x0, double& y0, double& x1, double& y1) const;
  TMetafilePath RectsPath(const std::vector<std::array<double, 4>>& rects) const;
  // Region rectangles as read (left, top, right, bottom) in content units: device units
  // mapped through the frame, or logical units mapped as any point is.
  std::vector<std::array<double, 4>> DeviceRects(const std::vector<std::array<double, 4>>& rects) const;
  TMetafilePath LogicalRectsPath(const std::vector<std::array<double, 4>>& rects) const;

  // --- Lines, polygons, curves and the path bracket (metafile_poly.cpp)
  void HandlePoly(const TMetafileRecord& r);
  void HandlePolyPoly(const TMetafileRecord& r);
  void HandlePolyDraw(const TMetafileRecord& r);
  void MoveTo(int32_t x, int32_t y);
  void LineTo(int32_t x, int32_t y);
  void HandlePathRecord(const TMetafileRecord& r);
  // Inside a path bracket the figures join the path (continuing its open figure when asked);
  // outside they are painted at once.
  void Draw(TMetafilePath& figures, bool fill, bool stroke, bool continueFigure);
  TMetafilePoint StartPoint() const;
  void SetCurrent(double lx, double ly);

  // --- Shapes (metafile_shapes.cpp)
  void HandleShape(const TMetafileRecord& r);
  // t0 and sweep in degrees of the ellipse's parameter, in logical units.
  void AddEllipseArc(TMetafilePath& path, double cx, double cy, double rx, double ry, double t0, double sweep,
                     bool startFigure);
  void AddRectangle(TMetafilePath& path, double l, double t, double r, double b);
  void HandleArc(const TMetafileRecord& r);
  void HandleAngleArc(const TMetafileRecord& r);

  // --- Pens, brushes and painting (metafile_objects.cpp, metafile_fill.cpp)
  void HandleObjectRecord(const TMetafileRecord& r);
  void CreatePen(uint32_t index, uint32_t style, double width, uint32_t color, bool geometric,
                 const std::vector<double>& userDash);
  TStroke ResolvePen(const TPen& pen) const;
  void CreateBrush(uint32_t index, uint32_t style, uint32_t color, uint32_t hatch);
  void CreatePatternBrush(const TMetafileRecord& r, bool mono);
  // A pattern resource of the bitmap tiled in device pixels; "" when it cannot be written.
  std::string WritePattern(const GdiBitmap& bitmap);
  // The pattern of a monochrome brush in the text and background colours now in force.
  std::string MonoPatternName(const TBrush& brush);
  bool StockObject(uint32_t stock, TBrush* brush, TPen* pen) const;
  bool SelectBrushObject(uint32_t index);
  void SelectObject(uint32_t index);
  void ForgetObject(uint32_t index);
  void ApplyFill(TMetafileColor color);
  void ApplyStroke(const TStroke& stroke, TMetafileColor color);
  void PaintPath(const TMetafilePath& path, bool fill, bool stroke, bool evenOdd);
  TMetafilePath OnPixelCentres(const TMetafilePath& path, double width) const;
  void FillWithColor(const TMetafilePath& path, TMetafileColor color, bool evenOdd);
  void HatchPath(const TMetafilePath& path, bool evenOdd);
  void HatchLines(const TMetafilePath& path, bool evenOdd);
  // An image mask of 1-bit rows (set bits paint), added to the image list; null when not made.
  TPDFImage* MakeStencil(const std::string& rows, int32_t width, int32_t height);
  void FrameRegion(const std::vector<std::array<double, 4>>& rects, int32_t w, int32_t h);

  // --- Gradients (metafile_gradient.cpp)
  void HandleGradientFill(const TMetafileRecord& r);
  void GradientRect(const TGradientVertex& a, const TGradientVertex& b, bool vertical);
  void GradientTriangle(const TGradientVertex& a, const TGradientVertex& b, const TGradientVertex& c, double maxPieces);

  // --- Bitmaps, alpha blending and pattern brushes (metafile_bitmaps.cpp)
  struct TDibSource {
    uint32_t OffBmi = 0, CbBmi = 0, OffBits = 0, CbBits = 0, Usage = 0;
  };
  struct TCorners {
    TMetafilePoint UL, UR, LL;  // where the image's corners land, in content units
  };
  struct TSourceRect {
    int32_t X = 0, Y = 0, W = 0, H = 0;  // rows from the top
  };
  struct TPixels {
    int32_t W = 0, H = 0;
    std::vector<uint32_t> Color;  // COLORREF, rows from the top
    std::vector<uint8_t> Alpha;   // empty when every pixel is opaque
  };
  struct TPixelRule {
    int64_t Rows = -1;                // scan lines the record holds (-1: all)
    int64_t KeyColor = -1;            // a COLORREF that is transparent
    double ConstantAlpha = 1.0;       // opacity of the whole image
    bool PerPixelAlpha = false;       // a 32-bit source's fourth byte is its opacity
    const GdiBitmap* Mask = nullptr;  // where clear, MaskRop applies instead
    const TRopEvaluator* MaskRop = nullptr;
    int32_t MaskX = 0, MaskY = 0;
  };
  void HandleBitmapRecord(const TMetafileRecord& r);
  void HandleAlphaBlend(const TMetafileRecord& r);
  std::shared_ptr<GdiBitmap> ReadDib(const TMetafileRecord& r, const TDibSource& dib, int64_t rows = -1);
  bool DibBottomUp(const TMetafileRecord& r, const TDibSource& dib) const;
  bool CropSource(const GdiBitmap& bitmap, double sx, double sy, double sw, double sh, TCorners& dest,
                  TSourceRect& out) const;
  bool Pixels(const GdiBitmap& bitmap, const TSourceRect& src, const TRopEvaluator& rop, const TPixelRule& rule,
              TPixels& out) const;
  TPDFImage* WriteImage(const TPixels& pixels, bool lossless);
  void PlaceImage(TPDFImage& image, const TCorners& corners);
  void DrawDib(const TMetafileRecord& r, const TDibSource& dib, TCorners dest, double sx, double sy, double sw,
               double sh, bool dibOrigin, int ropIndex, const TPixelRule& rule);
  TCorners DestRect(double x, double y, double cx, double cy) const;
  void BrushBlit(const TCorners& dest, int ropIndex);

  // --- Fonts (metafile_fonts.cpp)
  void CreateFont(const TMetafileRecord& r);
  bool IsScreenFont(const std::string& face);
  // The font written for a key (face and style suffix), made when new; nil when it cannot be.
  TPDFFont* FontForKey(const std::string& key, bool standardFonts);
  bool SelectFontObject(uint32_t index);
  bool SelectStockFont(uint32_t stock);
  void SelectFontByName(const std::string& name, double points);
  // The em of the selected font in content units.
  double TextFontSize() const;
  // Glyph indices of the selected font back to characters; indices without one are dropped.
  std::u16string GlyphsToText(std::span<const uint16_t> glyphs, std::vector<double>& advances);

  // --- Text (metafile_text.cpp)
  struct TTextRun;
  void HandleTextRecord(const TMetafileRecord& r);
  void OpaqueRectangle(const TMetafileRecord& r, uint64_t rectAt);
  // One text of a record (the EMRTEXT at `at`); false when its counts or offsets do not fit.
  bool ReadTextRun(const TMetafileRecord& r, uint64_t at, bool wide, TTextRun& run) const;
  void DrawTextRun(TTextRun& run);
  void DrawWideText(TTextRun& run, const std::u16string& text);
  void PlaceText(const TTextRun& run, const std::string& codes, const std::vector<double>& advances);

  std::unique_ptr<TPDFPainter> painter_;
  TClipStack clip_;
  size_t metaDepth_ = 0;  // the first levels of clip_ that SETMETARGN made the meta region
  std::vector<TSavedState> saved_;
  uint64_t refusedSaves_ = 0;
  int64_t work_ = 0;  // charged by Spend
  // Patterns of monochrome brushes by brush, text colour and background colour.
  std::map<std::tuple<uint64_t, TMetafileColor, TMetafileColor>, std::string> monoPatterns_;
  uint64_t monoBrushes_ = 0;  // monochrome brushes made so far
  std::map<std::string, TPDFFont*> fontsByKey_;  // the fonts this conversion wrote, by key
  // Glyph index to character of each font that showed glyph-index text.
  std::map<const TPDFFont*, std::map<uint16_t, char16_t>> glyphMaps_;
  // Type 3 fonts made for text, by face, character set and characters.
  std::map<std::string, TPDFFont*> type3Fonts_;
  bool screenFontsRead_ = false;
  int32_t renderMode_ = 0;  // the text rendering mode last handed to the painter
};
