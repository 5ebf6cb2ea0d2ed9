// Text extraction (mode 5) of pages of 2,500 to 40,000 words, next to poppler's pdftotext of
// the same file in the same run. Two layouts: a table whose every word is a block of its own
// (words three sizes apart), and running lines whose words join into one block a line.
// Prints the best of N runs of each, the blocks found and the ratio; pdftotext's time includes
// its start and the text it writes. Usage: bench_text_extraction [runs].
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/measure.h"
#include "bench/pdf_file.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/funnel/text_funnel.h"
#include "pdf/render/renderer/renderer.h"

namespace {

using benchmeasure::BestMs;
using benchpdf::Doc;
using benchpdf::Ref;

// A page of words in rows of perRow, each word "wNNNN" at size 4, gap sizes apart.
Doc Page(int words, int perRow, double gap, int& catalog, int& page) {
  Doc doc;
  const int font = doc.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const double size = 4, advance = (5 * 0.556 + gap) * size, leading = 1.5 * size;
  const int rows = (words + perRow - 1) / perRow;
  const double width = perRow * advance + 20, height = rows * leading + 20;
  std::string content = "BT /F1 4 Tf\n";
  for (int i = 0; i < words; ++i) {
    char word[64];
    std::snprintf(word, sizeof word, "1 0 0 1 %.2f %.2f Tm (w%04d) Tj\n", 10 + (i % perRow) * advance,
                  height - 10 - (i / perRow) * leading, i % 10000);
    content += word;
  }
  content += "ET\n";
  const int contents = doc.AddStream("<< >>", content);
  const int pages = int(doc.objects.size()) + 2;
  catalog = doc.Add("<< /Type /Catalog /Pages " + Ref(pages) + " >>");
  doc.Add("<< /Type /Pages /Kids [" + Ref(pages + 1) + "] /Count 1 >>");
  page = doc.Add("<< /Type /Page /Parent " + Ref(pages) + " /MediaBox [0 0 " + std::to_string(int(width)) + " " +
                 std::to_string(int(height)) + "] /Resources << /Font << /F1 " + Ref(font) + " >> >> /Contents " +
                 Ref(contents) + " >>");
  return doc;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  std::printf("text extraction (mode 5) against pdftotext, best of %d\n", runs);
  std::printf("%-8s %7s %8s %10s %12s %7s\n", "layout", "words", "blocks", "ours ms", "pdftotext ms", "ratio");
  for (const bool table : {true, false}) {
    for (const int words : {2500, 10000, 40000}) {
      int catalog = 0, page = 0;
      const Doc doc = Page(words, table ? 50 : 100, table ? 3 : 0.25, catalog, page);
      const std::string path = "/tmp/velmora_bench_text_extraction.pdf";
      std::ofstream(path, std::ios::binary) << doc.File(catalog);
      benchpdf::Loaded loaded(doc);
      auto* pageDict = PDFCast<TPDFDictionary>(loaded.Objects[page]);
      size_t blocks = 0;
      const double ours = BestMs(
          [&] {
            TPDFFontCollection fonts;
            TPDFRenderer renderer(&fonts);
            renderer.Mode = kRenderTextExtraction;
            renderer.Resolution = 72;
            renderer.Page = pageDict;
            renderer.RenderPage();
            blocks = renderer.TextFunnel().Blocks.size();
          },
          runs);
      const std::string command = "pdftotext '" + path + "' /tmp/velmora_bench_text_extraction.txt";
      int status = 0;
      const double poppler = BestMs([&] { status = std::system(command.c_str()); }, runs);
      std::printf("%-8s %7d %8zu %10.1f %12.1f %7.2f%s\n", table ? "table" : "lines", words, blocks, ours, poppler,
                  ours / poppler, status == 0 ? "" : "  (pdftotext failed)");
    }
  }
  return 0;
}
