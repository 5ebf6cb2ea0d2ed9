// The EPS writer's path, state and colour operators, its header and trailer, and saving.
#include "pdf/render/canvas/eps_export.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/pdf_helpers.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/streams.h"

namespace {

constexpr const char* kEndComments = "%%EndComments";

constexpr const char* kProlog[] = {
    "/c { curveto } def",   "/cm { concat } def",     "/cp { currentpoint } def", "/f { fill } def",
    "/f* { eofill } def",   "/h { closepath } def",   "/j { setlinejoin } def",   "/J { setlinecap } def",
    "/l { lineto } def",    "/m { moveto } def",      "/M { setmiterlimit } def", "/n { newpath } def",
    "/q { gsave } def",     "/Q { grestore } def",    "/s { stroke } def",        "/w { setlinewidth } def",
    "/W { clip } def",      "/W* { eoclip } def"};

std::string IntText(int64_t value) { return std::to_string(value) + " "; }

// The part of a colour text from its first "(" to its first ")" (both kept).
std::string ColorantOf(const std::string& text) {
  const size_t open = text.find('('), close = text.find(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return text.substr(open, close - open + 1);
}

// The colour text up to and including its first ")".
std::string CustomColorOf(const std::string& text) {
  const size_t close = text.find(')');
  return close == std::string::npos ? text : text.substr(0, close + 1);
}

}  // namespace

std::string EPSNumber(double value) { return FormatPDFNumber(std::isfinite(value) ? value : 0.0, 4) + " "; }

void TPDFEPSExport::Line(std::string text) {
  if (!text.empty() && text.back() == ' ') text.pop_back();
  lines_.push_back(std::move(text));
}

void TPDFEPSExport::NewPath() { Line("n"); }

void TPDFEPSExport::MoveTo(double x, double y) {
  Line(EPSNumber(x) + EPSNumber(y) + "m");
  x_ = x, y_ = y;
}

void TPDFEPSExport::LineTo(double x, double y) {
  Line(EPSNumber(x) + EPSNumber(y) + "l");
  x_ = x, y_ = y;
}

void TPDFEPSExport::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  Line(EPSNumber(x1) + EPSNumber(y1) + EPSNumber(x2) + EPSNumber(y2) + EPSNumber(x3) + EPSNumber(y3) + "c");
  x_ = x3, y_ = y3;
}

// PostScript has no quadratic segment: the same curve as a cubic.
void TPDFEPSExport::QuadCurveTo(double x1, double y1, double x2, double y2) {
  const double c1x = x_ + 2.0 / 3.0 * (x1 - x_), c1y = y_ + 2.0 / 3.0 * (y1 - y_);
  const double c2x = x1 + 1.0 / 3.0 * (x2 - x1), c2y = y1 + 1.0 / 3.0 * (y2 - y1);
  CurveTo(c1x, c1y, c2x, c2y, x2, y2);
}

void TPDFEPSExport::CurveToV(double x2, double y2, double x3, double y3) {
  Line("cp " + EPSNumber(x2) + EPSNumber(y2) + EPSNumber(x3) + EPSNumber(y3) + "c");
  x_ = x3, y_ = y3;
}

void TPDFEPSExport::CurveToY(double x1, double y1, double x3, double y3) { CurveTo(x1, y1, x3, y3, x3, y3); }

void TPDFEPSExport::ClosePath() { Line("h"); }
void TPDFEPSExport::Stroke() { Line("s"); }
void TPDFEPSExport::Fill() { Line("f"); }

// "fill" consumes the path: the fill runs on a copy of the state so the stroke keeps it.
void TPDFEPSExport::FillAndStroke() {
  SaveState();
  Fill();
  RestoreState();
  Stroke();
}

void TPDFEPSExport::DrawImage(TGraphic&, double, double, double, double, double, double) {}

void TPDFEPSExport::FillPath(bool evenOdd) { Line(evenOdd ? "f*" : "f"); }
void TPDFEPSExport::Clip(bool evenOdd) { Line(evenOdd ? "W*" : "W"); }

void TPDFEPSExport::SaveState() {
  Line("q");
  colorStack_.push_back(currentColor_);
}

void TPDFEPSExport::RestoreState() {
  Line("Q");
  if (colorStack_.empty()) return;
  currentColor_ = std::move(colorStack_.back());
  colorStack_.pop_back();
}

void TPDFEPSExport::SetLineCap(int32_t cap) { Line(IntText(cap) + "J"); }
void TPDFEPSExport::SetLineJoin(int32_t join) { Line(IntText(join) + "j"); }
void TPDFEPSExport::SetLineWidth(double width) { Line(EPSNumber(width) + "w"); }
void TPDFEPSExport::SetMiterLimit(double limit) { Line(EPSNumber(limit) + "M"); }

void TPDFEPSExport::ConcatMatrix(const TPDFMatrix& m) {
  std::string text = "[ ";
  for (double v : m) text += EPSNumber(v);
  Line(text + "] cm");
}

void TPDFEPSExport::SetColor(std::string_view text) {
  const std::string color(text);
  if (color.find("findcmykcustomcolor") != std::string::npos &&
      std::find(customColors_.begin(), customColors_.end(), color) == customColors_.end())
    customColors_.push_back(color);
  if (color == currentColor_) return;
  Line(color);
  currentColor_ = color;
}

void TPDFEPSExport::Paint(std::string_view fillColor, std::string_view strokeColor, bool fill, bool stroke,
                          bool evenOdd) {
  if (fill) {
    SetColor(fillColor);
    // The stroke needs the path that the fill would consume.
    if (stroke) SaveState();
    FillPath(evenOdd);
    if (stroke) RestoreState();
  }
  if (stroke) {
    SetColor(strokeColor);
    Stroke();
  }
}

void TPDFEPSExport::WriteHeader(double x1, double y1, double x2, double y2) {
  lines_.clear();
  colorStack_.clear();
  customColors_.clear();
  currentColor_ = "0 1 0 setrgbcolor";
  Line("%!PS-Adobe-3.0 EPSF-3.0");
  std::string box = "%%BoundingBox: ";
  for (double v : {x1, y1, x2, y2}) box += IntText(std::isfinite(v) ? RoundHalfEven(v) : 0);
  Line(box);
  Line("%%Creator: (Talvo PDF Library DVer)");
  Line("%%DocumentProcessColors: (Cyan) (Magenta) (Yellow) (Black)");
  Line(kEndComments);
  Line("%%OrvanePDFLibrary-Start");
  for (const char* definition : kProlog) Line(definition);
  Line("%%OrvanePDFLibrary-End");
  images_.clear();
}

void TPDFEPSExport::WriteTrailer() {
  auto insertComments = [this](const char* first, std::string (*part)(const std::string&)) {
    const auto at = std::find(lines_.begin(), lines_.end(), kEndComments);
    if (at == lines_.end()) return false;
    const size_t index = size_t(at - lines_.begin());
    for (size_t i = 0; i < customColors_.size(); ++i)
      lines_.insert(lines_.begin() + std::ptrdiff_t(index + i), (i == 0 ? first : "%%+ ") + part(customColors_[i]));
    return true;
  };
  if (insertComments("%%DocumentCustomColors: ", ColorantOf))
    insertComments("%%CMYKCustomColor: ", CustomColorOf);
  Line("%%EOF");
}

bool TPDFEPSExport::SaveToStream(TStream& stream) const {
  std::string text;
  size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  text.reserve(size);
  for (const std::string& line : lines_) text.append(line).append("\r\n");
  return stream.Write(text.data(), int64_t(text.size())) == int64_t(text.size());
}
