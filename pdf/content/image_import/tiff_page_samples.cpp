#include "pdf/content/image_import/tiff_page_samples.h"

#include <vector>

#include "pdf/codecs/tiff/tiff_page_rows.h"
#include "pdf/content/image_import/pdf_image.h"
#include "platform/gdi/picture.h"

namespace {

// What WriteBitmap makes of the page's decoded bitmap: 8-bit pages hold grey levels.
TBitmapSamples LayoutOf(const TPDFTIFFPage& page, const TTIFFPageRows& rows) {
  const TPDFImagePageInfo info{page.Photometric, page.MinIsBlack};
  return TBitmapSamples(PixelFormatBits(rows.Format()), rows.Colors(), &info, rows.Format() == pf8bit);
}

}  // namespace

class TTIFFPageSamples::TPageRows : public TPDFSampleSource::TRows {
 public:
  explicit TPageRows(const TTIFFPageSamples& source)
      : source_(source), rows_(source.page_), samples_(source.layout_.Copies() ? 0 : size_t(source.RowBytes())) {
    rows_.Open();
  }
  const uint8_t* Next() override {
    if (source_.layout_.Copies()) return rows_.Next();
    source_.layout_.Convert(rows_.Next(), int(source_.page_.Width), samples_.data());
    return samples_.data();
  }

 private:
  const TTIFFPageSamples& source_;
  TTIFFPageRows rows_;
  std::vector<uint8_t> samples_;
};

std::unique_ptr<TTIFFPageSamples> TTIFFPageSamples::Make(TPDFTIFFPage&& page) {
  TTIFFPageRows rows(page);
  if (!rows.Open()) return nullptr;
  const TBitmapSamples layout = LayoutOf(page, rows);
  if (!layout.ConvertsLines()) return nullptr;
  const int64_t rowBytes = layout.RowBytes(int(page.Width));
  // The page outlives its reader: a small file's copy goes back with the reader (the page's
  // picture takes its block over), and the page keeps just its pieces' bytes.
  page.Strips.HoldOwnBytes();
  return std::unique_ptr<TTIFFPageSamples>(new TTIFFPageSamples(std::move(page), layout, rowBytes));
}

TTIFFPageSamples::TTIFFPageSamples(TPDFTIFFPage&& page, const TBitmapSamples& layout, int64_t rowBytes)
    : TPDFSampleSource(rowBytes, int32_t(page.Height)), page_(std::move(page)), layout_(layout) {}

std::unique_ptr<TPDFSampleSource::TRows> TTIFFPageSamples::Open() const { return std::make_unique<TPageRows>(*this); }

int64_t TTIFFPageSamples::HeldBytes() const { return page_.Strips.HeldBytes(); }
