// A page of 2,000 glyphs in four fonts (two standard fonts drawn with installed faces, an
// embedded TrueType font and a Type 3 font) rendered at 150 dpi by our renderer, next to
// poppler's pdftocairo -r 150 of the same file in the same run. Prints the best of N runs of
// each (ours on the GDI and on the GDI+ canvas), their ratio and the peak memory of each side;
// poppler's time includes its start and the PNG it writes. Usage: bench_text_page [runs
// [provider]]; the GDI+ provider is looked for one folder above the program by default.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/strings.h"

namespace {

using benchmeasure::BestMs;

int gRuns = 5;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Doc {
  std::vector<std::pair<std::string, std::string>> objects;  // dictionary text, stream data
  std::vector<bool> isStream;
  int Add(const std::string& text) {
    objects.push_back({text, {}});
    isStream.push_back(false);
    return int(objects.size());
  }
  int AddStream(const std::string& dict, const std::string& data) {
    objects.push_back({dict, data});
    isStream.push_back(true);
    return int(objects.size());
  }
  std::string File(int catalog) const {
    std::string out = "%PDF-1.7\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
      offsets.push_back(out.size());
      out += std::to_string(i + 1) + " 0 obj\n";
      if (isStream[i]) {
        std::string d = objects[i].first;
        d.insert(d.rfind(">>"), " /Length " + std::to_string(objects[i].second.size()) + " ");
        out += d + "\nstream\n" + objects[i].second + "\nendstream";
      } else {
        out += objects[i].first;
      }
      out += "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    char line[32];
    for (size_t o : offsets) {
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
      out += line;
    }
    return out + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root " + std::to_string(catalog) +
           " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  }
};

std::string Ref(int n) { return std::to_string(n) + " 0 R"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) gRuns = std::max(1, std::atoi(argv[1]));
  std::string provider = argc > 2 ? argv[2] : std::string(argv[0]);
  if (argc <= 2) provider = provider.substr(0, provider.rfind('/') + 1) + "../libvelmora-gdiplus.so";
  const std::string serifPath = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";
  const std::string serif = ReadAll(serifPath);
  if (serif.empty()) {
    std::fprintf(stderr, "%s missing\n", serifPath.c_str());
    return 1;
  }
  Doc doc;
  const int f1 = doc.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const int f2 = doc.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Italic /Encoding /WinAnsiEncoding >>");
  const int file = doc.AddStream("<< >>", serif);
  const int descriptor = doc.Add("<< /Type /FontDescriptor /FontName /LiberationSerif /Flags 34 /FontBBox [-600 -300 "
                                 "2000 1000] /ItalicAngle 0 /Ascent 891 /Descent -216 /CapHeight 662 /StemV 80 "
                                 "/FontFile2 " + Ref(file) + " >>");
  std::string widths = "[";
  for (int c = 32; c <= 126; ++c) widths += "500 ";
  const int f3 = doc.Add("<< /Type /Font /Subtype /TrueType /BaseFont /LiberationSerif /FirstChar 32 /LastChar 126 "
                         "/Widths " + widths + "] /Encoding /WinAnsiEncoding /FontDescriptor " + Ref(descriptor) + " >>");
  const int square = doc.AddStream("<< >>", "600 0 0 0 600 700 d1 50 0 m 550 0 l 300 700 l h f");
  const int f4 = doc.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 600 700] /FontMatrix [0.001 0 0 0.001 0 0] "
                         "/CharProcs << /t " + Ref(square) + " >> /Encoding << /Differences [32 /t] >> /FirstChar 32 "
                         "/LastChar 126 /Widths " + widths + "] /Resources << >> >>");
  // 50 lines of 40 glyphs, the fonts taking turns by line.
  std::string content;
  const std::string text = "The quick brown fox jumps over the lazy.";
  for (int line = 0; line < 50; ++line) {
    content += "BT /F" + std::to_string(line % 4 + 1) + " 10 Tf 36 " + std::to_string(800 - line * 15) + " Td (" +
               text + ") Tj ET\n";
  }
  const int contents = doc.AddStream("<< >>", content);
  const int pages = int(doc.objects.size()) + 2;
  const int catalog = doc.Add("<< /Type /Catalog /Pages " + Ref(pages) + " >>");
  doc.Add("<< /Type /Pages /Kids [" + Ref(pages + 1) + "] /Count 1 >>");
  const int page = doc.Add("<< /Type /Page /Parent " + Ref(pages) + " /MediaBox [0 0 595 842] /Resources << /Font << "
                           "/F1 " + Ref(f1) + " /F2 " + Ref(f2) + " /F3 " + Ref(f3) + " /F4 " + Ref(f4) +
                           " >> >> /Contents " + Ref(contents) + " >>");
  const std::string path = "/tmp/velmora_bench_text_page.pdf";
  std::ofstream(path, std::ios::binary) << doc.File(catalog);

  // Our side: the objects in a store, rendered by a renderer with its own font collection.
  TPDFStructure store;
  std::map<int, TPDFObject*> objects;
  store.OnResolve = [&](TPDFIndRef&, int n, int) -> TPDFObject* { return objects.count(n) ? objects[n] : nullptr; };
  for (size_t i = 0; i < doc.objects.size(); ++i) {
    TPDFObject* o = nullptr;
    if (doc.isStream[i]) {
      TPDFStream* s = store.NewStream(doc.objects[i].second, false);
      o = s;
    } else {
      o = store.ParseObject(doc.objects[i].first);
    }
    o->SetObjectNumber(int(i) + 1, 0);
    objects[int(i) + 1] = o;
  }
  auto* pageDict = PDFCast<TPDFDictionary>(objects[page]);
  std::string error;
  int64_t ink = 0;
  auto render = [&](bool gdiplus) {
    TPDFFontCollection fonts;
    fonts.SetFontPrograms(true);
    TPDFRenderer renderer(&fonts);
    renderer.Options.UseGDIPlus = gdiplus ? 1 : 0;
    renderer.Options.LibraryPath = FileNameToWide(provider);
    renderer.Resolution = 150;
    renderer.Page = pageDict;
    renderer.RenderPage();
    error = renderer.ErrorText;
    // Dark pixels, to show the text was drawn.
    ink = 0;
    TBitmap& bitmap = renderer.Bitmap();
    for (int y = 0; y < bitmap.Height(); ++y) {
      const uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < bitmap.Width() * 3; x += 3) ink += row[x] < 128;
    }
  };
  const double oursGdi = BestMs([&] { render(false); }, gRuns);
  const int64_t inkGdi = ink;
  const double ours = BestMs([&] { render(true); }, gRuns);
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  const std::string command = "pdftocairo -png -r 150 -singlefile '" + path + "' /tmp/velmora_bench_text_page";
  int status = 0;
  const double poppler = BestMs([&] { status = std::system(command.c_str()); }, gRuns);
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  std::printf("text page, 2000 glyphs in 4 fonts, 150 dpi (best of %d)\n", gRuns);
  std::printf("  ours, GDI   %8.1f ms  (dark pixels %lld)\n", oursGdi, static_cast<long long>(inkGdi));
  std::printf("  ours, GDI+  %8.1f ms  peak %ld MiB%s%s\n", ours, self.ru_maxrss / 1024, error.empty() ? "" : "  error: ",
              error.c_str());
  std::printf("  pdftocairo  %8.1f ms  peak %ld MiB%s\n", poppler, children.ru_maxrss / 1024,
              status == 0 ? "" : "  (failed)");
  std::printf("  ratio       %8.2f   (GDI+; dark pixels %lld)\n", ours / poppler, static_cast<long long>(ink));
  return 0;
}
