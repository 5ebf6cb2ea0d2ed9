// GIF files: every frame painted into one picture of the screen's size, written as samples.
// Pictures that can be painted a row at a time keep the file and paint their rows when the
// samples are needed (a render draws them a band at a time). Others (more frames sharing a
// row than their readers may hold together) are painted whole here, where the screen is small
// enough for the picture and the page it is drawn on; larger ones are refused.
#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/codecs/gif/gif_screen_rows.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/sample_source.h"

namespace {

// Painted whole, a picture is held as samples beside the page a render draws it on.
constexpr int64_t kMaxWholeGIFPixels = int64_t(1) << 26;

class TGIFScreenSamples : public TPDFSampleSource {
 public:
  explicit TGIFScreenSamples(TPDFGIFDecoder&& gif)
      : TPDFSampleSource(int64_t(gif.ScreenWidth) * 3, gif.ScreenHeight), gif_(std::move(gif)) {
    gif_.Stream = nullptr;
  }
  std::unique_ptr<TRows> Open() const override { return std::make_unique<ScreenRows>(gif_); }
  int64_t HeldBytes() const override { return int64_t(gif_.HeldBytes()); }

 private:
  struct ScreenRows : TRows {
    explicit ScreenRows(const TPDFGIFDecoder& gif) : rows(gif) {}
    const uint8_t* Next() override { return rows.Next(); }
    TPDFGIFScreenRows rows;
  };
  TPDFGIFDecoder gif_;
};

}  // namespace

bool TPDFImage::LoadGIF(TStream& stream) {
  stream.SetPosition(0);
  TPDFGIFDecoder gif;
  gif.LoadFromStream(stream);
  if (KeepSource) {
    // The source copy is the picture as a BMP file, which needs the bitmap.
    TBitmap bitmap;
    if (!gif.GetFrameBitmap(bitmap)) return false;
    gif = TPDFGIFDecoder();
    return WriteRasterised(bitmap);
  }
  const int32_t w = gif.ScreenWidth, h = gif.ScreenHeight;
  if (gif.PaintableInRows()) return WriteRasterisedSource(std::make_unique<TGIFScreenSamples>(std::move(gif)), w, h);
  if (int64_t(w) * h > kMaxWholeGIFPixels) return false;
  // Painted straight into the samples: no picture of the screen is held beside them.
  std::string samples;
  if (!gif.GetFrameSamples(samples)) return false;
  gif = TPDFGIFDecoder();
  return WriteRasterisedSamples(std::move(samples), w, h);
}
