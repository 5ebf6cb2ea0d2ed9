// The HTML5 canvas back end: an HTML page whose script draws the page's paths on a canvas
// element. Every operation writes its statement to the stream at once.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gdi/bitmap.h"

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

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    if (n > 1) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (n > 2) v |= uint8_t(bytes[i + 2]);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
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

// The pixels go through a canvas of their own, which the page's canvas draws from at once (an
// image element would load too late for the drawing function). Nearest pixels, as the bitmap.
void TPDFDaubrix::DrawHTML5Picture(TBitmap& colours, TBitmap* coverage, double x1, double y1, double x2, double y2,
                                   double x3, double y3) {
  if (backEnd_ != kBackEndHTML5 || colours.Empty()) return;
  const int32_t w = colours.Width(), h = colours.Height();
  std::string rgba(size_t(w) * size_t(h) * 4, '\xFF');
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* in = colours.ScanLine(y);
    const uint8_t* cover = coverage != nullptr ? coverage->ScanLine(y) : nullptr;
    char* out = rgba.data() + size_t(y) * size_t(w) * 4;
    for (int32_t x = 0; x < w; ++x) {
      out[4 * x] = char(in[3 * x + 2]), out[4 * x + 1] = char(in[3 * x + 1]), out[4 * x + 2] = char(in[3 * x]);
      if (cover != nullptr) out[4 * x + 3] = char(cover[3 * x]);
    }
  }
  const std::string size = std::to_string(w) + "," + std::to_string(h);
  AddScriptLine("ctx.save();ctx.setTransform(" + FormatNumber(x2 - x1) + "," + FormatNumber(y2 - y1) + "," +
                FormatNumber(x3 - x1) + "," + FormatNumber(y3 - y1) + "," + FormatNumber(x1) + "," + FormatNumber(y1) +
                ");ctx.imageSmoothingEnabled = false;(function(){var c = document.createElement(\"canvas\");c.width = " +
                std::to_string(w) + ";c.height = " + std::to_string(h) +
                ";var p = c.getContext(\"2d\").createImageData(" + size + ");var s = atob(\"" + Base64(rgba) +
                "\");for (var i = 0; i < s.length; i++) p.data[i] = s.charCodeAt(i);c.getContext(\"2d\").putImageData(p,0,0);"
                "ctx.drawImage(c,0,0,1,1);})();ctx.restore();");
}

// The clip lives inside a save of its own: the canvas keeps the path itself, which is not
// part of the saved state.
void TPDFDaubrix::FillHTML5Picture(TBitmap& colours, TBitmap* coverage, double left, double top, double right,
                                   double bottom, bool toPath) {
  if (backEnd_ != kBackEndHTML5 || colours.Empty()) return;
  if (toPath)
    AddScriptLine(fillRule_ == kFillRuleEvenOdd ? "ctx.save();ctx.clip(\"evenodd\");" : "ctx.save();ctx.clip();");
  DrawHTML5Picture(colours, coverage, left, top, right, top, left, bottom);
  if (toPath) AddScriptLine("ctx.restore();");
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
