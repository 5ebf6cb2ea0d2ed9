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
#include "bench/pdf_file.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/strings.h"

namespace {

using benchmeasure::BestMs;
using benchpdf::Doc;
using benchpdf::Ref;

int gRuns = 5;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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
  benchpdf::Loaded loaded(doc);
  std::map<int, TPDFObject*>& objects = loaded.Objects;
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
