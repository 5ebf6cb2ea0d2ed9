#include "tests/pdf/render/support/render_test_pdf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/streams.h"
#include "tests/support/test_support.h"

namespace rendertest {

TestPdf::TestPdf() {
  store_.OnResolve = [this](TPDFIndRef&, int number, int) -> TPDFObject* {
    const auto found = loaded_.find(number);
    return found == loaded_.end() ? nullptr : found->second;
  };
}

int TestPdf::Add(const std::string& text) {
  entries_.push_back({text, false, {}});
  return int(entries_.size());
}

int TestPdf::AddStream(const std::string& dictionary, const std::string& data) {
  entries_.push_back({dictionary, true, data});
  return int(entries_.size());
}

void TestPdf::AddObjects(const std::vector<std::string>& objects) {
  for (const std::string& object : objects) {
    if (object.rfind("stream:", 0) == 0) {
      const size_t bar = object.find('|');
      AddStream(object.substr(7, bar - 7), object.substr(bar + 1));
    } else {
      Add(object);
    }
  }
}

int TestPdf::AddPage(const std::string& content, const std::string& resources, const std::string& mediaBox,
                     const std::string& extra, const std::string& contentDictionary) {
  const int first = int(entries_.size()) + 1;
  catalog_ = Add("<< /Type /Catalog /Pages " + std::to_string(first + 1) + " 0 R >>");
  Add("<< /Type /Pages /Kids [" + std::to_string(first + 2) + " 0 R] /Count 1 >>");
  const int page = Add("<< /Type /Page /Parent " + std::to_string(first + 1) + " 0 R /MediaBox " + mediaBox +
                       " /Resources " + resources + " /Contents " + std::to_string(first + 3) + " 0 R " + extra +
                       " >>");
  AddStream(contentDictionary, content);
  return page;
}

void TestPdf::SetOptionalContent(const std::vector<int>& groups, const std::vector<int>& off) {
  std::string list, hidden;
  groups_.clear();
  for (int g : groups) {
    const bool shown = std::find(off.begin(), off.end(), g) == off.end();
    groups_.push_back({g, shown});
    list += std::to_string(g) + " 0 R ";
    if (!shown) hidden += std::to_string(g) + " 0 R ";
  }
  std::string& catalog = entries_[size_t(catalog_ - 1)].Text;
  catalog.insert(catalog.rfind(">>"), "/OCProperties << /OCGs [" + list + "] /D << /OFF [" + hidden + "] >> >> ");
}

TPDFOptionalContentStates TestPdf::OptionalContentStates() {
  TPDFOptionalContentStates states;
  for (const auto& [number, shown] : groups_)
    states.push_back({PDFCast<TPDFIndRef>(store_.NewIndRef(number, 0)), shown});
  return states;
}

void TestPdf::Load() {
  if (isLoaded_) return;
  isLoaded_ = true;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const pdffile::TextObject& e = entries_[i];
    TPDFObject* obj = nullptr;
    if (e.IsStream) {
      TPDFStream* stream = store_.NewStream(e.Data, false);
      if (auto* dict = PDFCast<TPDFDictionary>(store_.ParseObject(e.Text)))
        for (const auto& [key, value] : dict->Pairs()) stream->Dictionary()->SetPair(key, value);
      stream->SetData(e.Data);
      obj = stream;
    } else {
      obj = store_.ParseObject(e.Text);
    }
    obj->SetObjectNumber(int(i) + 1, 0);
    loaded_[int(i) + 1] = obj;
  }
}

TPDFObject* TestPdf::Object(int n) {
  Load();
  return loaded_.count(n) ? loaded_[n] : nullptr;
}
TPDFDictionary* TestPdf::Dict(int n) { return PDFCast<TPDFDictionary>(Object(n)); }
TPDFStream* TestPdf::Stream(int n) { return PDFCast<TPDFStream>(Object(n)); }

std::string TestPdf::FileText() const { return pdffile::FileText(entries_, catalog_); }

void TestPdf::WriteFile(const std::string& path) const { testsupport::WriteFile(path, FileText()); }

std::string GeneratorFont(const std::string& function) {
  testsupport::TempDir dir;
  if (testsupport::Run("/usr/bin/python3 -c \"import sys; sys.path.insert(0, '" + testsupport::SourceDir() +
                       "/tools/difftest'); import fonts; open('" + dir.File("font") + "', 'wb').write(fonts." +
                       function + "())\" 2>/dev/null") != 0)
    return {};
  return testsupport::ReadFile(dir.File("font"));
}

WideString ProviderPath() { return Utf8ToWide(testsupport::BinaryDir() + "/libvelmora-gdiplus.so"); }

testraster::Raster RasterOf(TBitmap& bitmap) {
  testraster::Raster r;
  if (bitmap.Empty()) return r;
  r.Width = bitmap.Width();
  r.Height = bitmap.Height();
  r.RGB.resize(size_t(r.Width) * r.Height * 3);
  for (int y = 0; y < r.Height; ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < r.Width; ++x) {
      uint8_t* px = &r.RGB[(size_t(y) * r.Width + x) * 3];
      px[0] = row[x * 3 + 2];
      px[1] = row[x * 3 + 1];
      px[2] = row[x * 3];
    }
  }
  return r;
}

testraster::Raster RenderOurs(TestPdf& pdf, int page, std::string* error, double dpi, bool gdiplus,
                              bool polynomialCMYK, bool highQualityPaths) {
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Options.UseGDIPlus = gdiplus ? 1 : 0;
  renderer.Options.LibraryPath = ProviderPath();
  renderer.Options.PolynomialCMYK = polynomialCMYK ? 1 : 0;
  renderer.Options.HighQualityPaths = highQualityPaths ? 1 : 0;
  renderer.Resolution = dpi;
  renderer.Page = pdf.Dict(page);
  renderer.OptionalContentStates = pdf.OptionalContentStates();
  renderer.RenderPage();
  if (error != nullptr) *error = renderer.ErrorText;
  return RasterOf(renderer.Bitmap());
}

testraster::Raster RenderOursCairo(TestPdf& pdf, int page, std::string* error, const WideString& library) {
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderCairoBitmap;
  renderer.SetCairoTarget(library, nullptr, 1, 0, 0);
  renderer.Page = pdf.Dict(page);
  renderer.OptionalContentStates = pdf.OptionalContentStates();
  renderer.RenderPage();
  if (error != nullptr) *error = renderer.ErrorText;
  return RasterOf(renderer.Bitmap());
}

std::string RenderOutput(TestPdf& pdf, int page, uint8_t mode, std::string& error, bool gdiplus) {
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Options.LibraryPath = ProviderPath();
  renderer.Options.UseGDIPlus = gdiplus ? 1 : 0;
  renderer.Mode = mode;
  renderer.Page = pdf.Dict(page);
  renderer.OptionalContentStates = pdf.OptionalContentStates();
  TMemoryStream stream;
  renderer.SetHTML5Stream(&stream);
  renderer.SetMetafileStream(&stream);
  renderer.RenderPage();
  error = renderer.ErrorText;
  if (mode == kRenderEPS) renderer.EPS().SaveToStream(stream);
  if (mode == kRenderWMF || mode == kRenderEMF) renderer.Metafile().SaveToStream(stream);
  stream.SetPosition(0);
  return stream.ReadToEnd();
}

testraster::Raster GhostscriptEPS(const std::string& eps) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("page.eps"), eps);
  // Smoothed edges and no widening of fills, as the other readers and our bitmap draw them.
  const std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -dEPSCrop -dGraphicsAlphaBits=4 "
                              "-sOutputFile='" + dir.File("page.ppm") + "' -c '0 0 .setfilladjust2' -f '" +
                              dir.File("page.eps") + "'";
  if (testsupport::Run(command) != 0) return {};
  return testraster::DecodeWithPillow(dir.File("page.ppm"));
}

testraster::Raster RenderOursEPS(TestPdf& pdf, int page, std::string* error) {
  std::string text;
  const std::string eps = RenderOutput(pdf, page, kRenderEPS, text);
  if (error != nullptr) *error = text;
  return GhostscriptEPS(eps);
}

testraster::Raster RenderPoppler(const TestPdf& pdf, double dpi) {
  testsupport::TempDir dir;
  pdf.WriteFile(dir.File("t.pdf"));
  testsupport::PpmImage image = testsupport::RasterizeWithPdftoppm(dir.File("t.pdf"), dpi, 1, "-cropbox");
  return testraster::Raster{image.Width, image.Height, std::move(image.RGB)};
}

testraster::Raster RenderGhostscript(const TestPdf& pdf, double dpi) {
  if (!testsupport::HaveTool("gs")) return {};
  testsupport::TempDir dir;
  pdf.WriteFile(dir.File("t.pdf"));
  if (testsupport::Run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r" + std::to_string(dpi) +
                       " -sOutputFile='" + dir.File("page.ppm") + "' '" + dir.File("t.pdf") + "' 2>/dev/null") != 0)
    return {};
  return testraster::DecodeWithPillow(dir.File("page.ppm"));
}

testraster::Raster RenderPopplerCairo(const TestPdf& pdf, double dpi) {
  if (!testsupport::HaveTool("pdftocairo") || testraster::PythonWithPIL().empty()) return {};
  testsupport::TempDir dir;
  pdf.WriteFile(dir.File("t.pdf"));
  const std::string prefix = dir.File("c");
  if (testsupport::Run("pdftocairo -png -cropbox -r " + std::to_string(dpi) + " -singlefile '" + dir.File("t.pdf") +
                       "' '" + prefix + "' 2>/dev/null") != 0)
    return {};
  return testraster::DecodeWithPillow(prefix + ".png");
}

int CountDifferent(const testraster::Raster& a, const testraster::Raster& b, int tolerance) {
  if (a.Width != b.Width || a.Height != b.Height) return std::max(a.Width * a.Height, b.Width * b.Height) + 1;
  int count = 0;
  for (size_t i = 0; i < a.RGB.size(); i += 3)
    for (size_t c = 0; c < 3; ++c)
      if (std::abs(int(a.RGB[i + c]) - int(b.RGB[i + c])) > tolerance) {
        ++count;
        break;
      }
  return count;
}

uint32_t PixelAt(const testraster::Raster& r, int x, int y) {
  const uint8_t* p = r.At(x, y);
  return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

}  // namespace rendertest

namespace rendertest {

int CountOutsideNeighbourhood(const testraster::Raster& ours, const testraster::Raster& theirs, int tolerance) {
  if (ours.Width != theirs.Width || ours.Height != theirs.Height) return ours.Width * ours.Height + 1;
  int count = 0;
  for (int y = 0; y < ours.Height; ++y)
    for (int x = 0; x < ours.Width; ++x) {
      const uint8_t* p = ours.At(x, y);
      bool inside = true;
      for (int c = 0; c < 3 && inside; ++c) {
        int lo = 255, hi = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= theirs.Width || ny >= theirs.Height) continue;
            const int v = theirs.At(nx, ny)[c];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
          }
        inside = p[c] >= lo - tolerance && p[c] <= hi + tolerance;
      }
      if (!inside) ++count;
    }
  return count;
}

}  // namespace rendertest
