#include "tests/pdf/render/canvas/canvas_test_support.h"

#include <zlib.h>

#include <cstdio>

#include "platform/gdi/bmp_writer.h"

namespace canvastest {

std::string ProviderPath() { return testsupport::BinaryDir() + "/libvelmora-gdiplus.so"; }
std::string BrokenProviderPath() { return testsupport::BinaryDir() + "/test-fixtures/libvelmora-gdiplus-broken.so"; }
std::string RequiredOnlyProviderPath() {
  return testsupport::BinaryDir() + "/test-fixtures/libvelmora-gdiplus-required-only.so";
}
std::string CopyProviderPath() { return testsupport::BinaryDir() + "/test-fixtures/libvelmora-gdiplus-copy.so"; }
WideString Wide(const std::string& s) { return FileNameToWide(s); }

TGDIPlusSettings SettingsFor(const std::string& providerPath) {
  TGDIPlusSettings s;
  InitDaubrixOptions(s);
  s.LibraryPath = Wide(providerPath);
  return s;
}

std::unique_ptr<TBitmap> WhiteBitmap(int width, int height) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(width, height);
  b->Dib().Fill(RGB(255, 255, 255));
  return b;
}

uint32_t Pixel(TBitmap& bitmap, int x, int y) {
  const uint8_t* p = bitmap.ScanLine(y) + size_t(x) * 3;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

int CountNonWhite(TBitmap& bitmap, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += Pixel(bitmap, x, y) != 0xFFFFFF;
  return n;
}

double Coverage(TBitmap& bitmap) {
  double sum = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) sum += (255 - ((Pixel(bitmap, x, y) >> 16) & 0xFF)) / 255.0;
  return sum;
}

std::unique_ptr<TPDFDaubrix> CanvasOn(TBitmap& bitmap, uint8_t backEnd) {
  auto canvas = std::make_unique<TPDFDaubrix>();
  if (backEnd == kBackEndGDI) {
    canvas->SetTarget(&bitmap.Canvas());
  } else {
    canvas->Setup(&bitmap.Canvas(), SettingsFor(ProviderPath()));
    EXPECT_EQ(canvas->BackEnd(), kBackEndGDIPlus) << "the provider did not come up";
  }
  return canvas;
}

Picture TestPicture(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.rgb.push_back(uint32_t((x * 37 + y * 11) & 0xFF) << 16 | uint32_t((x * 5 + y * 53 + 7) & 0xFF) << 8 |
                      uint32_t((x * y * 3 + 100) & 0xFF));
  return p;
}

std::string EncodeBmp(const Picture& p) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(p.width, p.height);
  for (int y = 0; y < p.height; ++y) {
    uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = p.At(x, y);
      row[x * 3] = uint8_t(c), row[x * 3 + 1] = uint8_t(c >> 8), row[x * 3 + 2] = uint8_t(c >> 16);
    }
  }
  TMemoryStream s;
  b.SaveToStream(s);
  return s.DataString();
}

namespace {

void Be32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += char((v >> s) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Be32(out, uint32_t(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  Be32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

}  // namespace

std::string EncodePng(const Picture& p, const std::vector<uint8_t>& alpha) {
  const bool withAlpha = !alpha.empty();
  std::string raw;
  for (int y = 0; y < p.height; ++y) {
    raw += char(0);
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = p.At(x, y);
      raw += char(c >> 16), raw += char(c >> 8), raw += char(c);
      if (withAlpha) raw += char(alpha[size_t(y) * size_t(p.width) + size_t(x)]);
    }
  }
  uLongf size = compressBound(uLong(raw.size()));
  std::string z(size, '\0');
  compress(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()));
  z.resize(size);
  std::string out = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  Be32(ihdr, uint32_t(p.width));
  Be32(ihdr, uint32_t(p.height));
  ihdr += char(8), ihdr += char(withAlpha ? 6 : 2), ihdr += char(0), ihdr += char(0), ihdr += char(0);
  Chunk(out, "IHDR", ihdr);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", "");
  return out;
}

namespace {
std::string Num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}
}  // namespace

void RecordingCanvas::NewPath() { calls.push_back("N"); }
void RecordingCanvas::MoveTo(double x, double y) { calls.push_back("M " + Num(x) + " " + Num(y)); }
void RecordingCanvas::LineTo(double x, double y) { calls.push_back("L " + Num(x) + " " + Num(y)); }
void RecordingCanvas::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  calls.push_back("C " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2) + " " + Num(x3) + " " + Num(y3));
}
void RecordingCanvas::QuadCurveTo(double x1, double y1, double x2, double y2) {
  calls.push_back("Q " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2));
}
void RecordingCanvas::ClosePath() { calls.push_back("Z"); }
void RecordingCanvas::Stroke() { calls.push_back("S"); }
void RecordingCanvas::Fill() { calls.push_back("F"); }
void RecordingCanvas::FillAndStroke() { calls.push_back("B"); }
void RecordingCanvas::DrawImage(TGraphic&, double, double, double, double, double, double) { calls.push_back("I"); }

void RectFigure(TPDFGenericCanvas& c, double x0, double y0, double x1, double y1) {
  c.MoveTo(x0, y0);
  c.LineTo(x1, y0);
  c.LineTo(x1, y1);
  c.LineTo(x0, y1);
  c.ClosePath();
}

}  // namespace canvastest

std::string BackEndName(const testing::TestParamInfo<uint8_t>& info) {
  return info.param == kBackEndGDI ? "GDI" : "GDIPlus";
}
