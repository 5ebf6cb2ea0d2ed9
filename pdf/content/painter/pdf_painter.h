// TPDFPainter writes page content as text: one content stream in memory, to which every
// drawing operation appends operator lines (each ending in LF).
//
// Graphics and text state are kept as ready-made operator texts with a pending flag each.
// Setting a colour, a line style, a dash or a text parameter only replaces the text and raises
// its flag; the text is written just before the next operation that needs it. A path is
// collected in a buffer and written only when it is painted or used as a clip. After each
// completed operation the painter calls OnChange (unless Locked), by which its owner copies the
// content into the page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/string_list.h"
#include "platform/rtl/streams.h"

class TPDFStructure;
class TPDFFont;
class TPDFImage;
class TPDFPainter;

using TPDFPainterChangeEvent = std::function<void(TPDFPainter& sender)>;

// The eleven pending flags, in their order.
enum class TPDFPending : int {
  RenderMode, Font, TextFill, Fill, Stroke, LineStyle, Dash, Scaling, Rise, Spacing, Converter,
  Count
};

class TPDFPainter {
 public:
  explicit TPDFPainter(TPDFStructure* owner);
  virtual ~TPDFPainter();
  TPDFPainter(const TPDFPainter&) = delete;
  TPDFPainter& operator=(const TPDFPainter&) = delete;

  // --- Path and paint (page coordinates; "top" is the upper edge with y pointing up) ---
  void MoveTo(double x, double y);
  void NewPath(double x, double y);
  void LineTo(double x, double y);
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void ClosePath();
  void AddEndPath();
  void FillStroke(bool fill, bool stroke);
  void FillStrokeEvenOdd(bool fill, bool stroke);
  void Clip();
  void ClipEvenOdd();
  void Rectangle(bool fill, bool stroke, double left, double top, double width, double height);
  void DrawLine(double x1, double y1, double x2, double y2);
  void Ellipse(bool fill, bool stroke, double cx, double cy, double width, double height);
  void RoundRect(bool fill, bool stroke, double left, double top, double width, double height, double radius);
  void RoundRectXY(bool fill, bool stroke, double left, double top, double width, double height, double rx,
                   double ry);
  // Angles in degrees from the top, clockwise.
  void Arc(bool pie, bool fill, double cx, double cy, double r, double startAngle, double endAngle, bool stroke,
           bool close);
  void EllipticArc(bool pie, bool fill, double cx, double cy, double width, double height, double startAngle,
                   double endAngle, bool stroke, bool close);

  // --- State ---
  void SetFillColor(double r, double g, double b);
  void SetStrokeColor(double r, double g, double b);
  void SetTextColor(double r, double g, double b);
  void SetBackgroundColor(double r, double g, double b);
  void SetFillText(std::string_view text);
  void SetStrokeText(std::string_view text);
  void SetTextColorText(std::string_view text);
  void SetFillPattern(std::string_view patternName);
  void SetLineWidth(double w);
  void SetMiterLimit(double m);
  void SetDash(double on, double off);
  // The dash array's items as text, the pattern starting `phase` into itself; false, with the
  // dash left as it was, when the text is no array of numbers.
  bool SetDashArray(std::string_view text, double phase = 0);
  void SetTextRenderMode(int mode);
  void SetHorizontalScaling(double v);
  void SetFont(TPDFFont* font, double size);
  void SetGraphicsState(std::string_view name);
  void SaveGraphicsState();
  void RestoreGraphicsState();
  void Scale(double s);
  void ClearPending();
  double GetLineWidth() const { return LineWidth; }
  std::string SaveState() const;
  void RestoreState(std::string_view text);

  // --- Images, text and content ---
  void DrawXObject(TPDFImage& image, double left, double top, double width, double height);
  void DrawXObjectSkewed(TPDFImage& image, double left, double top, double width, double height, double b,
                         double c);
  // angle in tenths of a degree; advances: one per byte of text, or empty.
  void DrawText(std::string_view text, double x, double y, double angle, std::span<const double> advances = {});
  void EscapeString(std::string_view bytes, std::string_view suffix);
  double GetTextWidth(std::string_view text) const;
  double GetFontMetric(int k) const;
  double GetAscent() const;
  double GetTextHeight() const;
  void Clear();
  void SetContent(std::string_view text);
  std::string GetContent() const;
  // Bytes of content written so far.
  size_t ContentSize() const { return content_.View().size(); }

  // --- Public state (the metafile converter and the font writer work with it) ---
  TPDFPainterChangeEvent OnChange;
  TPDFFont* Font = nullptr;  // not owned
  double FontSize = 0;
  uint8_t TextAlign = 0;  // 0 left, 1 centre, 2 right
  int32_t MetafileTextAlign = 0;
  int32_t Escapement = 0;  // tenths of a degree
  double ConverterWidth = 0;
  uint8_t TextDecoration = 0;  // 0 none, 1 underline, 2 double underline, 3 strike-out, 4 overline
  bool StrikeOut = false;      // a strike-out line as well as the TextDecoration's lines
  uint8_t BackgroundMode = 0;  // 0 none, 1 box behind text, 2 rounded box
  double WordSpacing = 0;
  double CharSpacing = 0;
  double HorizontalScaling = 100;
  double TextRise = 0;
  double TextEndX = 0, TextEndY = 0;
  uint8_t ConverterFlag = 0;
  TPDFStructure* Owner = nullptr;
  bool Locked = false;
  double CurrentX = 0, CurrentY = 0;
  bool PathOpen = false;
  int32_t LineCap = 0, LineJoin = 0;
  double LineWidth = 1.0;
  double MiterLimit = 10.0;
  std::string FontText;
  std::string TextFillText, FillText, StrokeText, LineStyleText, DashText, ScalingText, RiseText, SpacingText,
      BackgroundText, TextStrokeText;
  std::string PenDashText;  // set by the converter; replaces every dash of SetDash; kept by Clear
  double DashOn = 0, DashOff = 0;
  double TextLineSize = 0;
  double UnderlineExtra = 0;
  int32_t TextRenderMode = 0;
  int32_t Decimals = 4;
  std::string TextColorHex;

  bool Pending(TPDFPending flag) const { return pending_[static_cast<int>(flag)]; }
  void SetPending(TPDFPending flag, bool on) { pending_[static_cast<int>(flag)] = on; }
  void SetAllPending(bool on) { pending_.fill(on); }
  const TTalvoPDFStringList& PathBuffer() const { return pathBuffer_; }

  // Writing helpers: a line (bytes and LF), a number with its blank, bare bytes.
  void WriteLine(std::string_view line);
  void WriteNumber(double v);
  void WriteText(std::string_view text);
  std::string Number(double v) const;  // the number's text and one blank

 private:
  void Changed();
  void ResetState();
  void WritePendingPaintState(bool stroke, bool fill, bool lineStyle, bool dash);
  void WritePaintOperator(bool fill, bool stroke, bool evenOdd);
  void PaintPath(bool fill, bool stroke, bool evenOdd);
  void ClipPath(std::string_view op);
  void FlushPath();
  std::string ColorText(double r, double g, double b, std::string_view op) const;
  void UpdateLineStyleText();
  void BeginText();
  void ArcPieces(double cx, double cy, double r, double yScale, double start, double end);
  void RoundRectPath(bool fill, bool stroke, double left, double top, double width, double height, double rx,
                     double ry);
  bool KnownFont(const TPDFFont* font) const;
  void DrawDecoration(double x, double y, double w);

  std::vector<TPDFFont*> knownFonts_;  // fonts given to SetFont: RestoreState accepts only these

  TMemoryStream content_;
  TTalvoPDFStringList pathBuffer_;
  std::array<bool, static_cast<int>(TPDFPending::Count)> pending_{};
};
