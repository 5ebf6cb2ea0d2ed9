#include "pdf/content/painter/pdf_painter.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"
#include "platform/rtl/numbers.h"

namespace {

double Clamp01(double v) {
  if (!(v > 0)) return 0;  // also NaN
  return v > 1 ? 1 : v;
}

}  // namespace

TPDFPainter::TPDFPainter(TPDFStructure* owner) : Owner(owner) {
  Clear();
  PathOpen = false;
  LineCap = 0;
  LineJoin = 0;
  LineWidth = 1.0;
  MiterLimit = 10.0;
}

TPDFPainter::~TPDFPainter() = default;

// --- writing ---

std::string TPDFPainter::Number(double v) const { return FormatPDFNumber(v, Decimals) + " "; }

void TPDFPainter::WriteText(std::string_view text) {
  content_.Seek(0, TSeekOrigin::soEnd);
  content_.WriteString(text);
}

void TPDFPainter::WriteLine(std::string_view line) {
  WriteText(line);
  WriteText("\n");
}

void TPDFPainter::WriteNumber(double v) { WriteText(Number(v)); }

void TPDFPainter::Changed() {
  if (!Locked && OnChange) OnChange(*this);
}

std::string TPDFPainter::ColorText(double r, double g, double b, std::string_view op) const {
  return Number(Clamp01(r)) + Number(Clamp01(g)) + Number(Clamp01(b)) + std::string(op);
}

// --- content ---

void TPDFPainter::ResetState() {
  TextFillText = "0 0 0 rg";
  FillText = "1 1 1 rg";
  StrokeText = "0 0 0 RG";
  LineStyleText = "1 w";
  DashText = "[] 0 d";
  HorizontalScaling = 100;
  ScalingText = "100 Tz";
  TextRise = 0;
  RiseText = "0 Ts";
  CharSpacing = 0;
  WordSpacing = 0;
  SpacingText = "0 Tw 0 Tc";
  BackgroundText = "0.5 0.5 0.5 rg";
  TextStrokeText = "0 0 0 RG";
  DashOn = 0;
  DashOff = 0;
  TextRenderMode = 0;
  TextAlign = 0;
  TextDecoration = 0;
  StrikeOut = false;
  BackgroundMode = 0;
  MetafileTextAlign = 0;
  Escapement = 0;
  ConverterWidth = 0;
}

void TPDFPainter::Clear() {
  ResetState();
  Font = nullptr;
  FontSize = 0;
  content_.Clear();
  SetAllPending(true);
  Locked = false;
  Changed();
}

void TPDFPainter::SetContent(std::string_view text) {
  content_.Clear();
  if (text.empty()) return;
  WriteText(text);
  if (text.back() != ' ') WriteText(" ");
}

std::string TPDFPainter::GetContent() const {
  std::string s = content_.DataString();
  if (s.empty() || s.back() != '\n') s += '\n';
  return s;
}

// --- path and paint ---

void TPDFPainter::MoveTo(double x, double y) {
  pathBuffer_.Add(Number(x) + Number(y) + "m");
  CurrentX = x;
  CurrentY = y;
  PathOpen = true;
}

void TPDFPainter::NewPath(double x, double y) {
  pathBuffer_.Clear();
  MoveTo(x, y);
}

void TPDFPainter::LineTo(double x, double y) {
  pathBuffer_.Add(Number(x) + Number(y) + "l");
  CurrentX = x;
  CurrentY = y;
}

void TPDFPainter::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  pathBuffer_.Add(Number(x1) + Number(y1) + Number(x2) + Number(y2) + Number(x3) + Number(y3) + "c");
  CurrentX = x3;
  CurrentY = y3;
}

void TPDFPainter::ClosePath() {
  if (PathOpen) pathBuffer_.Add("h");
}

void TPDFPainter::AddEndPath() {
  if (PathOpen) pathBuffer_.Add("n");
}

void TPDFPainter::WritePendingPaintState(bool stroke, bool fill, bool lineStyle, bool dash) {
  if (stroke && Pending(TPDFPending::Stroke)) WriteLine(StrokeText);
  if (fill && Pending(TPDFPending::Fill)) WriteLine(FillText);
  if (lineStyle && Pending(TPDFPending::LineStyle)) WriteLine(LineStyleText);
  if (dash && Pending(TPDFPending::Dash)) WriteLine(DashText);
}

void TPDFPainter::WritePaintOperator(bool fill, bool stroke, bool evenOdd) {
  if (fill && stroke) WriteLine(evenOdd ? "B*" : "B");
  else if (fill) WriteLine(evenOdd ? "f*" : "f");
  else if (stroke) WriteLine("S");
  else WriteLine("n");
}

void TPDFPainter::FlushPath() {
  for (int i = 0; i < pathBuffer_.Count(); ++i) WriteLine(pathBuffer_[i]);
  pathBuffer_.Clear();
}

void TPDFPainter::ClearPending() {
  SetPending(TPDFPending::Fill, false);
  SetPending(TPDFPending::Stroke, false);
  SetPending(TPDFPending::LineStyle, false);
  SetPending(TPDFPending::Dash, false);
}

void TPDFPainter::PaintPath(bool fill, bool stroke, bool evenOdd) {
  if (PathOpen) {
    WritePendingPaintState(true, true, true, true);
    FlushPath();
    WritePaintOperator(fill, stroke, evenOdd);
    Changed();
    PathOpen = false;
  }
  ClearPending();
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::FillStroke(bool fill, bool stroke) { PaintPath(fill, stroke, false); }

void TPDFPainter::FillStrokeEvenOdd(bool fill, bool stroke) { PaintPath(fill, stroke, true); }

// The clip consumes the path, so a paint that follows without a new path has nothing to paint
// and must not write a bare painting operator.
void TPDFPainter::ClipPath(std::string_view op) {
  if (!PathOpen) return;
  FlushPath();
  WriteLine(op);
  PathOpen = false;
  Changed();
}

void TPDFPainter::Clip() { ClipPath("W n"); }

void TPDFPainter::ClipEvenOdd() { ClipPath("W* n"); }

void TPDFPainter::Rectangle(bool fill, bool stroke, double left, double top, double width, double height) {
  WritePendingPaintState(true, true, true, true);
  WriteLine(Number(left) + Number(top - height) + Number(width) + Number(height) + "re");
  WritePaintOperator(fill, stroke, false);
  Changed();
  ClearPending();
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::DrawLine(double x1, double y1, double x2, double y2) {
  WritePendingPaintState(true, false, true, true);
  WriteLine(Number(x1) + Number(y1) + "m " + Number(x2) + Number(y2) + "l S");
  Changed();
  SetPending(TPDFPending::Stroke, false);
  SetPending(TPDFPending::LineStyle, false);
  SetPending(TPDFPending::Dash, false);
}

// --- state ---

void TPDFPainter::SetFillColor(double r, double g, double b) {
  FillText = ColorText(r, g, b, "rg");
  SetPending(TPDFPending::Fill, true);
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::SetStrokeColor(double r, double g, double b) {
  StrokeText = ColorText(r, g, b, "RG");
  SetPending(TPDFPending::Stroke, true);
}

void TPDFPainter::SetTextColor(double r, double g, double b) {
  TextFillText = ColorText(r, g, b, "rg");
  TextStrokeText = ColorText(r, g, b, "RG");
  auto hex = [](double v) { return IntToHex(static_cast<uint64_t>(RoundHalfEven(Clamp01(v) * 255)), 2); };
  TextColorHex = "#" + hex(r) + hex(g) + hex(b);
  SetPending(TPDFPending::Fill, true);
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::SetBackgroundColor(double r, double g, double b) { BackgroundText = ColorText(r, g, b, "rg"); }

void TPDFPainter::SetFillText(std::string_view text) {
  FillText = std::string(text);
  SetPending(TPDFPending::Fill, true);
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::SetStrokeText(std::string_view text) {
  StrokeText = std::string(text);
  SetPending(TPDFPending::Stroke, true);
}

void TPDFPainter::SetTextColorText(std::string_view text) {
  TextFillText = std::string(text);
  TextStrokeText = std::string(text);
  SetPending(TPDFPending::Fill, true);
  SetPending(TPDFPending::TextFill, true);
}

void TPDFPainter::SetFillPattern(std::string_view patternName) {
  FillText = "/Pattern cs /" + std::string(patternName) + " scn";
  SetPending(TPDFPending::Fill, true);
}

void TPDFPainter::UpdateLineStyleText() {
  LineStyleText = Number(MiterLimit) + "M " + Number(LineWidth) + "w " + IntToStr(LineCap) + " J " +
                  IntToStr(LineJoin) + " j";
  SetPending(TPDFPending::LineStyle, true);
}

void TPDFPainter::SetLineWidth(double w) {
  LineWidth = std::abs(w);
  UpdateLineStyleText();
}

void TPDFPainter::SetMiterLimit(double m) {
  MiterLimit = m;
  UpdateLineStyleText();
}

void TPDFPainter::SetDash(double on, double off) {
  if (on > 0.1 && off > 0.1) DashText = "[ " + Number(on) + Number(off) + "] 0 d";
  else DashText = "[] 0 d";
  if (!PenDashText.empty()) DashText = PenDashText;
  SetPending(TPDFPending::Dash, true);
}

bool TPDFPainter::SetDashArray(std::string_view text, double phase) {
  if (text.empty()) {
    DashText = "[] 0 d";
    SetPending(TPDFPending::Dash, true);
    return true;
  }
  // The whole text must be the array: a word the parser stops at makes it no dash array.
  TPDFStructure scratch;
  const std::string source = "[ " + std::string(text) + " ]";
  size_t consumed = 0;
  auto* array = PDFCast<TPDFArray>(scratch.ParseObjectAt(source, consumed));
  if (array == nullptr || consumed != source.size() || !array->AllNumeric()) return false;
  DashText = "[ " + std::string(text) + "] " + Number(phase) + "d";
  SetPending(TPDFPending::Dash, true);
  return true;
}

void TPDFPainter::SetTextRenderMode(int mode) {
  TextRenderMode = mode >= 0 && mode <= 7 ? mode : 0;
  SetPending(TPDFPending::RenderMode, true);
}

void TPDFPainter::SetHorizontalScaling(double v) {
  ScalingText = Number(v) + "Tz";
  HorizontalScaling = v;
  SetPending(TPDFPending::Scaling, true);
}

void TPDFPainter::SetGraphicsState(std::string_view name) { WriteLine("/" + std::string(name) + " gs"); }

void TPDFPainter::SaveGraphicsState() {
  WriteLine("q");
  Changed();
}

void TPDFPainter::RestoreGraphicsState() {
  WriteLine("Q");
  SetAllPending(true);
  Changed();
}

void TPDFPainter::Scale(double s) {
  WriteLine(Number(s) + Number(0) + Number(0) + Number(s) + Number(0) + Number(0) + "cm");
  Changed();
}
