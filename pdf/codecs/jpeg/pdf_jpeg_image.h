// The library's JPEG graphic over libjpeg (6b interface): holds JPEG bytes, decodes them into
// a bitmap (4-component data through a colour manager) and compresses a bitmap into JPEG
// bytes with the resolution in the JFIF header. No libjpeg error reaches the caller: a fatal
// one ends the operation early with what was produced until then.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/graphic.h"
#include "platform/rtl/streams.h"

class TPDFColorManager;

// The JPEG bytes and what their header says, shared between images.
class TJPEGData {
 public:
  virtual ~TJPEGData() = default;
  virtual void FreeHandle() {}

  std::unique_ptr<TMemoryStream> Data;  // absent until data is loaded or compressed
  int32_t Height = 0, Width = 0;
  bool Grayscale = false;
};

enum TJPEGPixelFormat : uint8_t { jf24Bit = 0, jf8Bit = 1 };
enum TJPEGPerformance : uint8_t { jpBestQuality = 0, jpBestSpeed = 1 };

// The defaults every new image takes; the pixel format follows the screen's depth.
struct TJPEGDefaults {
  uint8_t CompressionQuality = 90;
  int32_t Resolution = 96;
  bool Grayscale = false;
  TJPEGPerformance Performance = jpBestQuality;
  TJPEGPixelFormat PixelFormat = jf24Bit;
  bool ProgressiveEncoding = false;
  uint8_t Scale = 0;
  bool Smoothing = true;
};
extern TJPEGDefaults JPEGDefaults;

class TPDFJPEGImage : public TGraphic {
 public:
  TPDFJPEGImage();
  ~TPDFJPEGImage() override;

  // TGraphic.
  int Width() const override;
  int Height() const override;
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void SetSize(int, int) override {}
  bool Empty() const override;
  // Takes the bytes from the stream's position to its end.
  void LoadFromStream(TStream& stream) override;
  // Compresses first when there are no JPEG bytes.
  void SaveToStream(TStream& stream) override;
  // From a TPDFJPEGImage: shares its data; from a TBitmap: takes a copy to compress on demand.
  void Assign(const TGraphic& source) override;
  const char* ClassName() const override { return "TPDFJPEGImage"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TPDFJPEGImage>(); }
  // Stretch-draws the decoded bitmap into the rectangle.
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Through a bitmap: loading takes the bitmap the clipboard data make (compressed on
  // demand); saving decodes and hands the decoded bitmap over.
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

  // Into a TBitmap: a copy of the decoded image; anything else as the base class does.
  void AssignTo(TGraphic& dest);
  bool Equals(const TGraphic& other) const;
  // A 32-bit length, then that many JPEG bytes.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

  // The decoded bitmap, decoding first when there is none.
  TBitmap* Decode();
  // What JPEG data describe: a grey (one component), colour (three) or CMYK (four, CMYK or
  // YCCK) picture of width x height, or anything else.
  enum class TPictureKind : uint8_t { Other, Grey, Colour, CMYK };
  static TPictureKind PictureKind(std::string_view data, int32_t width, int32_t height);
  // Whether the decode refuses JPEG data from their header alone: a picture of more pixels (or,
  // where it comes in several scans, coefficients) than the data can hold. Data whose header
  // libjpeg does not read are not refused here (their decode ends before any work).
  static bool RefusedByHeader(std::string_view data);
  // Decodes a picture of width x height a band of bandRows rows (16 at least) at a time, never
  // holding the whole: draw gets the band and the picture's rows it holds (its first rows; fewer
  // than bandRows at the bottom), and answers false to stop. kind says what is drawn: Colour
  // takes a colour picture, Grey a grey one too (each pixel's blue, green and red its grey
  // value, not quantised), both as 24-bit rows; CMYK takes a CMYK or YCCK picture as its CMYK
  // samples are stored (not inverted), four bytes a pixel. Rows the data do not reach come out
  // white (CMYK ones as zero samples, as in DecodeRawCMYK). Returns the rows drawn; 0 when
  // nothing was drawn: a picture of another size or kind, quantised, a decode that ended before
  // its first row, or a first band that could not be drawn.
  int32_t DecodeBands(int32_t bandRows, int32_t width, int32_t height,
                      const std::function<bool(TBitmap& band, int32_t top, int32_t rows)>& draw,
                      TPictureKind kind = TPictureKind::Colour);
  // The same over JPEG bytes the caller holds while it runs (read where they lie, not copied),
  // in place of the image's own.
  int32_t DecodeBands(std::string_view data, int32_t bandRows, int32_t width, int32_t height,
                      const std::function<bool(TBitmap& band, int32_t top, int32_t rows)>& draw,
                      TPictureKind kind = TPictureKind::Colour);
  // Decodes again taking 4-component data as plain (not inverted) CMYK.
  void DecodeRawCMYK();
  // Saves the decoded image as a BMP file.
  void SaveBitmapToStream(TStream& stream);
  // Bitmap to JPEG bytes.
  void Compress();
  // Uses the caller's manager (not freed by the image).
  void SetColorManager(TPDFColorManager* manager);

  // Raised while libjpeg works (at most every 500 ms, at the start and with 100 at the end).
  std::function<void(TPDFJPEGImage& sender, int percent)> OnProgress;

  std::shared_ptr<TJPEGData> Image;
  std::unique_ptr<TBitmap> Bitmap;
  mutable int32_t ScaledWidth = 0, ScaledHeight = 0;
  HPALETTE TempPalette = nullptr;
  bool Smoothing = true;
  bool Grayscale = false;
  TJPEGPixelFormat PixelFormat = jf24Bit;
  uint8_t Quality = 90;
  int32_t Resolution = 96;
  bool ProgressiveEncoding = false;
  TJPEGPerformance Performance = jpBestQuality;
  uint8_t Scale = 0;
  mutable bool NeedRecalc = false;
  bool RawCMYK = false;
  TPDFColorManager* ColorManager = nullptr;
  bool ExternalColorManager = false;

 private:
  void LoadBytes(TStream& stream, int64_t size);
  void ReadHeader();
  void ConvertCMYKToRGB();
  void RecalcScaledSize() const;
  void Changed() { Modified = true; }

  std::unique_ptr<TPDFColorManager> ownManager_;
};

// Dest.Assign(Source): turns a bitmap into a TPDFJPEGImage.
void AssignGraphic(TGraphic& dest, const TGraphic& source);
