#include "tests/pdf/render/support/recording_canvas.h"

#include <cmath>
#include <cstdio>

namespace rendertest {

std::string Num(double v) {
  if (std::fabs(v) < 5e-5) v = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

namespace {

std::string Hex(uint32_t colour) {
  char buf[16];
  // Colour values hold red in the low byte; written as RRGGBB.
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return buf;
}

}  // namespace

void RecordingCanvas::MoveTo(double x, double y) {
  TPDFDaubrix::MoveTo(x, y);
  Calls.push_back("m " + Num(x) + " " + Num(y));
}

void RecordingCanvas::LineTo(double x, double y) {
  TPDFDaubrix::LineTo(x, y);
  Calls.push_back("l " + Num(x) + " " + Num(y));
}

void RecordingCanvas::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  TPDFDaubrix::CurveTo(x1, y1, x2, y2, x3, y3);
  Calls.push_back("c " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2) + " " + Num(x3) + " " + Num(y3));
}

void RecordingCanvas::QuadCurveTo(double x1, double y1, double x2, double y2) {
  Calls.push_back("q " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2));
}

void RecordingCanvas::Stroke() {
  std::string dash;
  for (float d : Dash()) dash += (dash.empty() ? "" : ",") + Num(d);
  Calls.push_back("S color=" + Hex(StrokeColor()) + " width=" + Num(LineWidth()) + " dash=" + dash);
}

void RecordingCanvas::Fill() {
  Calls.push_back("f color=" + Hex(FillColor()) + " rule=" + std::to_string(FillRule()));
}

void RecordingCanvas::FillAndStroke() {
  Calls.push_back("B fill=" + Hex(FillColor()) + " stroke=" + Hex(StrokeColor()) + " rule=" +
                  std::to_string(FillRule()));
}

std::string RecordingCanvas::Text() const {
  std::string out;
  for (const std::string& call : Calls) out += call + "\n";
  return out;
}

}  // namespace rendertest
