// The HTML5 canvas back end: an HTML page whose script draws the page's paths on a canvas
// element. Every operation writes its statement to the stream at once.
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
  backEnd_ = kBackEndHTML5;
  AddScriptLine(kHead);
}

void TPDFDaubrix::EndHTML5Canvas(int32_t width, int32_t height) {
  AddScriptLine("  }\r\n}\r\n</script>\r\n</head><body onload=\"OrvanePDFLibraryDraw()\">\r\n"
                "<canvas id=\"ZRXCanvas\" width=\"" +
                std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"></canvas>\r\n</body></html>");
}

// A fill-and-stroke strokes too: the canvas keeps its path after filling.
void TPDFDaubrix::Html5Paint(bool fill, bool stroke) {
  if (fill) AddScriptLine("ctx.fillStyle = \"#" + HexColor(fillColor_) + "\";ctx.fill();");
  if (stroke) AddScriptLine("ctx.strokeStyle = \"#" + HexColor(strokeColor_) + "\";ctx.stroke();");
}
