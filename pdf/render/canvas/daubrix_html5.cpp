// The HTML5 canvas back end: an HTML page whose script draws the page's paths on a canvas
// element. Every operation writes its statement to the stream at once.
#include <cmath>
#include <cstdio>

#include "pdf/core/pdf_helpers.h"
#include "pdf/render/canvas/daubrix.h"
#include "platform/rtl/streams.h"

namespace {

constexpr const char* kHead =
    "<!DOCTYPE html><html><head><script type=\"text/javascript\">\r\n"
    "function OrvanePDFLibraryDraw() {\r\n"
    "  var canvas = document.getElementById(\"ZRXCanvas\");\r\n"
    "  if (canvas.getContext) {\r\n"
    "    var ctx = canvas.getContext(\"2d\");\r\n";

// Red first: the colour value keeps red in its low byte.
std::string HexColor(uint32_t color) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
  return text;
}

}  // namespace

std::string TPDFDaubrix::FormatNumber(double value) { return FormatPDFNumber(value, 3); }

void TPDFDaubrix::AddScriptLine(std::string_view text) {
  if (html5Stream_ == nullptr || text.empty() || html5Failed_) return;
  const auto size = static_cast<int64_t>(text.size());
  if (html5Stream_->Write(text.data(), size) != size) html5Failed_ = true;
}

void TPDFDaubrix::BeginHTML5Canvas(TStream* stream) {
  ReleaseGdiplus();
  html5Stream_ = stream;
  html5Failed_ = false;
  html5Style_ = THtml5LineStyle{};
  html5Saved_.clear();
  backEnd_ = kBackEndHTML5;
  AddScriptLine(kHead);
}

void TPDFDaubrix::EndHTML5Canvas(int32_t width, int32_t height) {
  AddScriptLine("  }\r\n}\r\n</script>\r\n</head><body onload=\"OrvanePDFLibraryDraw()\">\r\n"
                "<canvas id=\"ZRXCanvas\" width=\"" +
                std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"></canvas>\r\n</body></html>");
}

// A fill-and-stroke strokes too: the canvas keeps its path after filling. The even-odd rule,
// the line style and a pending clip are written as well, each only where it differs from the
// canvas element's own default, so that the page shows what the other outputs show.
void TPDFDaubrix::Html5Paint(bool fill, bool stroke) {
  const std::string rule = fillRule_ == kFillRuleEvenOdd ? "\"evenodd\"" : "";
  if (fill) AddScriptLine("ctx.fillStyle = \"#" + HexColor(fillColor_) + "\";ctx.fill(" + rule + ");");
  if (stroke) {
    Html5LineStyle();
    AddScriptLine("ctx.strokeStyle = \"#" + HexColor(strokeColor_) + "\";ctx.stroke();");
  }
  Html5EndPath();
}

void TPDFDaubrix::Html5EndPath() {
  if (!clipPending_) return;
  clipPending_ = false;
  AddScriptLine(fillRule_ == kFillRuleEvenOdd ? "ctx.clip(\"evenodd\");" : "ctx.clip();");
}

void TPDFDaubrix::Html5LineStyle() {
  static constexpr const char* kCaps[] = {"butt", "round", "square"};
  static constexpr const char* kJoins[] = {"miter", "round", "bevel"};
  THtml5LineStyle& written = html5Style_;
  if (lineWidth_ != written.Width && std::isfinite(lineWidth_) && lineWidth_ > 0) {
    written.Width = lineWidth_;
    AddScriptLine("ctx.lineWidth = " + FormatNumber(lineWidth_) + ";");
  }
  if (lineCap_ != written.Cap && lineCap_ >= 0 && lineCap_ <= 2) {
    written.Cap = lineCap_;
    AddScriptLine(std::string("ctx.lineCap = \"") + kCaps[lineCap_] + "\";");
  }
  if (lineJoin_ != written.Join && lineJoin_ >= 0 && lineJoin_ <= 2) {
    written.Join = lineJoin_;
    AddScriptLine(std::string("ctx.lineJoin = \"") + kJoins[lineJoin_] + "\";");
  }
  if (miterLimit_ != written.MiterLimit && std::isfinite(miterLimit_) && miterLimit_ > 0) {
    written.MiterLimit = miterLimit_;
    AddScriptLine("ctx.miterLimit = " + FormatNumber(miterLimit_) + ";");
  }
}

// The canvas element keeps its clip and line style on its own stack.
void TPDFDaubrix::Html5Save() {
  html5Saved_.push_back(html5Style_);
  AddScriptLine("ctx.save();");
}

void TPDFDaubrix::Html5Restore() {
  if (html5Saved_.empty()) return;
  html5Style_ = html5Saved_.back();
  html5Saved_.pop_back();
  AddScriptLine("ctx.restore();");
}
