// The image codecs named in a filter chain: JPEG through the canvas (CMYK through the JPEG
// class), CCITT fax through the fax decoder. JBIG2 and JPEG 2000 images have files of their
// own.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/jpeg/jpeg_markers.h"
#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"
#include "platform/rtl/numbers.h"

using namespace imgdec;

namespace {

// Applies a Decode array to a 24-bit bitmap of one (grey) or three (RGB) components.
void ApplyDecodeToBitmap(TBitmap& bitmap, const std::vector<double>& decode, int components) {
  if (int(decode.size()) < 2 * components) return;
  TByteTable t[3];
  bool identity = true;
  for (int c = 0; c < 3; ++c) {
    const int k = components == 1 ? 0 : c;
    t[c] = DecodeTable(decode[size_t(2 * k)], decode[size_t(2 * k + 1)]);
    identity = identity && IsIdentity(t[c]);
  }
  if (identity) return;
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
      // Pixels are blue, green, red; component 0 is red.
      p[2] = t[0][p[2]];
      p[1] = t[1][p[1]];
      p[0] = t[2][p[0]];
    }
  }
}

// Takes the JPEG class's CMYK samples (read as stored, each v / 255) through the image's
// Decode array before the manager turns them into colour, as the samples of every other CMYK
// image go: [1 0 1 0 1 0 1 0] turns the inverted samples of Adobe's files back into ink.
class TDecodedCMYKManager final : public TPDFColorManager {
 public:
  TDecodedCMYKManager(const TPDFColorManager& manager, const std::vector<double>& decode) : manager_(manager) {
    for (int c = 0; c < 4; ++c) {
      const auto [low, high] = DecodePair(decode, c, 4);
      tables_[size_t(c)] = DecodeTable(low, high);
    }
  }
  void CMYKToRGB(double c, double m, double y, double k, double& r, double& g, double& b) const override {
    manager_.CMYKToRGB(Map(0, c), Map(1, m), Map(2, y), Map(3, k), r, g, b);
  }
  COLORREF RGBToColor(double& r, double& g, double& b) const override { return manager_.RGBToColor(r, g, b); }
  void LabToRGB(double& l, double& a, double& bStar, double& r, double& g, double& b) const override {
    manager_.LabToRGB(l, a, bStar, r, g, b);
  }

 private:
  double Map(size_t component, double v) const {
    const auto sample = size_t(std::clamp<int64_t>(RoundHalfEven(v * 255), 0, 255));
    return tables_[component][sample] / 255.0;
  }

  const TPDFColorManager& manager_;
  std::array<TByteTable, 4> tables_{};
};

}  // namespace

void TPDFImageDecoder::DecodeDCT() {
  Decoded = true;
  sourceDecode_ = ParseNumberArray(Decode);
  if (!ImageSizeAccepted(Width, Height)) return Fail();
  if (Data.size() >= 3 && Data[0] == '\n' && uint8_t(Data[1]) == 0xFF && uint8_t(Data[2]) == 0xD8) Data.erase(0, 1);
  if (PassThroughRGBOnly && ColorSpace != "DeviceRGB") PassThrough = false;
  auto sizeBitmap = [&] {
    try {
      Bitmap = std::make_unique<TBitmap>();
      Bitmap->SetPixelFormat(pf24bit);
      Bitmap->SetSize(Width, Height);
      return true;
    } catch (const std::exception&) {
      BitmapFailed = true;
      return false;
    }
  };
  if (PassThrough) {
    if (!sizeBitmap()) return Fail();
    DataFormat = kDataJPEG;
    DataStream = std::make_unique<TMemoryStream>(Data);
    std::string().swap(Data);
    return;
  }

  // Grey, colour and CMYK pictures of the image's size are decoded in bands straight into a
  // bitmap that becomes ours, as the canvas would draw them: libjpeg's own rows (all 256 grey
  // levels, where the JPEG class would quantise grey to a palette), through the picture's own
  // ICC profile into sRGB when it carries one and the image's colour space is not itself a
  // profile. CMYK samples go as stored through the image's Decode array and the colour
  // manager: what a file's own marker says of them is for the writer of the Decode array.
  // CMYK pictures of another size go through the JPEG class the same way; other pictures the
  // bands do not decode are left to the canvas.
  const bool cmyk = ColorSpace == "DeviceCMYK";
  const bool ownProfile = !cmyk && ICCProfile.empty() && JPEGCarriesICCProfile(Data);
  bool drawn = false;
  std::unique_ptr<TPDFDaubrix> canvas;
  auto canvasOnBitmap = [&]() -> TPDFDaubrix& {
    canvas = std::make_unique<TPDFDaubrix>();
    canvas->Setup(&Bitmap->Canvas(), GetCanvasSettings());
    return *canvas;
  };
  std::unique_ptr<TBitmap> decoded = DecodeJPEGPicture(ownProfile);
  if (!decoded && cmyk) {
    TPDFSimpleColorManager own;
    TDecodedCMYKManager throughDecode(ColorManager ? *ColorManager : own, sourceDecode_);
    TPDFJPEGImage jpeg;
    jpeg.SetColorManager(&throughDecode);
    TMemoryStream source(Data);
    jpeg.LoadFromStream(source);
    jpeg.DecodeRawCMYK();
    decoded = std::move(jpeg.Bitmap);
  }
  if (decoded && !decoded->Empty() && decoded->Width() == Width && decoded->Height() == Height) {
    decoded->SetPixelFormat(pf24bit);
    Bitmap = std::move(decoded);
    drawn = true;
  } else if (!sizeBitmap()) {
    return Fail();
  } else if (decoded && !decoded->Empty()) {
    drawn = canvasOnBitmap().DrawBitmap(*decoded, 0, 0, Width, Height);
  } else {
    TMemoryStream source(Data);
    drawn = canvasOnBitmap().DrawImageStream(source, 1, 0, 0, Width, Height, true);
  }
  if (!drawn) return Fail();
  // The picture is in the bitmap now; the JPEG bytes are not needed any more.
  std::string().swap(Data);

  if (ColorSpace == "Lab") {
    if (!LabSpace) return Fail();
    ConvertLab();
  } else if (ColorSpace == "Separation") {
    if (!SeparationSpace) return Fail();
    ConvertSeparation();
  } else if (ColorSpace == "DeviceN") {
    if (!DeviceNSpace) return Fail();
    ConvertDeviceN();
  } else if (ColorSpace == "DeviceGray" || ColorSpace == "DeviceRGB") {
    ApplyDecodeToBitmap(*Bitmap, sourceDecode_, ColorSpace == "DeviceGray" ? 1 : 3);
  }
  if (!ICCProfile.empty()) ApplyICCProfile();
}

std::unique_ptr<TBitmap> TPDFImageDecoder::DecodeJPEGPicture(bool Profile) {
  using Kind = TPDFJPEGImage::TPictureKind;
  const Kind kind = TPDFJPEGImage::PictureKind(Data, Width, Height);
  if (kind == Kind::Other || (kind == Kind::CMYK) != (ColorSpace == "DeviceCMYK")) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  try {
    bitmap->SetPixelFormat(pf24bit);
    // Every row is written below: by the bands, white where the data end early.
    bitmap->Dib().Allocate(Width, Height, 24, false);
  } catch (const std::exception&) {
    return nullptr;
  }
  GdiBitmap& to = bitmap->Dib();
  // Whole rows with their padding: a band has the picture's width.
  const size_t rowBytes = size_t(to.Stride());
  const int32_t rows = DecodeJPEGBands(Data, kind, Profile && kind != Kind::CMYK,
                                       [&](TBitmap& band, int32_t top, int32_t n) {
                                         for (int32_t r = 0; r < n; ++r)
                                           std::memcpy(to.Row(top + r), band.Dib().Row(r), rowBytes);
                                         return true;
                                       });
  if (rows != Height) return nullptr;
  bitmap->Modified = true;
  return bitmap;
}

void TPDFImageDecoder::DecodeCCITT() {
  Decoded = true;
  const int32_t k = GetIntParam("K", 0);
  const bool byteAlign = GetParam("EncodedByteAlign") == "true";
  bool blackIs1 = GetParam("BlackIs1") == "true";
  if (!IsMaskDecoder && DecodeStartsInverted(Decode)) blackIs1 = !blackIs1;
  const int32_t columns = GetIntParam("Columns", 1728);
  // Fax data are one bit deep; only the byte-per-pixel form is read otherwise.
  const int bpc = BitsPerComponent == 8 ? 8 : 1;
  if (columns < 1 || columns > TZRXCCITTDecoder::MaxColumns || !ImageSizeAccepted(columns, Height)) return Fail();

  TZRXCCITTDecoder decoder(columns, bpc, false, byteAlign, 1, Height);
  // An image only drawn is decoded here to learn whether our decoder reads it, its rows
  // dropped as they come; they are decoded again, a band at a time, as the page draws them,
  // so that no more than a row of them is held beside the page.
  const bool drawnByRows = bpc == 1 && columns == Width && RowsCanWaitAtAll();
  std::vector<uint8_t> rows;
  const TZRXCCITTDecoder::TRowHandler dropped = [](int64_t, std::span<const uint8_t>) { return true; };
  bool ok = false;
  // The fax decoder raises for damaged two-dimensional data (and for sizes it refuses): that
  // is a failure of this image like any other.
  try {
    ok = drawnByRows ? decoder.Decode(k, dropped, Data) : decoder.Decode(k, rows, Data);
  } catch (const std::exception&) {
    return Fail();
  }
  // Data our decoder could not read, or that the caller wants undecoded, go on as TIFF; byte
  // aligned Group 4 data have no TIFF form and always stay with our decoder.
  if (!ok || (PassThrough && !(k < 0 && byteAlign))) return DecodeCCITTThroughTIFF(k, byteAlign);

  const int64_t rowBytes = decoder.RowBytes();
  COLORREF e0 = RGB(0, 0, 0), e1 = RGB(255, 255, 255);
  if (ColorSpace == "DeviceGray" || MaskKind == kMaskStencil) {
    std::swap(e0, e1);
  } else if (ColorSpace == "Indexed" && HiVal >= 1) {
    e0 = IndexedEntryColor(1);
    e1 = IndexedEntryColor(0);
  }
  if (blackIs1) std::swap(e0, e1);
  // The coded data wait for the drawing, which puts the rows onto the page a band at a time
  // where the image is placed pixel for pixel: no bitmap of the page (nor its rows) is made.
  if (drawnByRows) {
    TDeferredRows deferred;
    deferred.Fax = true;
    deferredRows_ = deferred;
    deferredDecode_ = Decode;
    faxData_ = std::move(Data);
    std::string().swap(Data);
    faxK_ = k;
    faxByteAlign_ = byteAlign;
    faxColours_ = {e0, e1};
    return;
  }
  try {
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetPixelFormat(bpc == 1 ? pf1bit : pf8bit);
    Bitmap->SetSize(bpc == 1 ? columns : Width, Height);
  } catch (const std::exception&) {
    BitmapFailed = true;
    return Fail();
  }

  if (bpc == 1) {
    const RGBQUAD colors[2] = {{GetBValue(e0), GetGValue(e0), GetRValue(e0), 0},
                               {GetBValue(e1), GetGValue(e1), GetRValue(e1), 0}};
    Bitmap->Dib().SetColors(colors);
    // Rows the data do not reach stay white (0), as the fax decoder leaves them.
    const int64_t available = rowBytes > 0 ? int64_t(rows.size()) / rowBytes : 0;
    for (int32_t y = 0; y < Height; ++y) {
      uint8_t* line = Bitmap->ScanLine(y);
      if (y < available)
        std::memcpy(line, rows.data() + y * rowBytes, size_t(rowBytes));
      else
        std::memset(line, 0, size_t(rowBytes));
    }
    // The fax rows are Columns wide; the image is Width wide.
    Bitmap->SetSize(Width, Height);

    if (MaskKind == kMaskStencil && !IsMaskDecoder) {
      // The stencil's palette with its entries exchanged: the fill colour goes to the
      // painted entry when the image is drawn.
      const int64_t outRow = (int64_t(Width) + 7) / 8;
      std::vector<uint8_t> packed(static_cast<size_t>(outRow * Height));
      for (int32_t y = 0; y < Height; ++y) std::memcpy(packed.data() + y * outRow, Bitmap->ScanLine(y), size_t(outRow));
      DataStream = std::make_unique<TMemoryStream>(TwoColourPNG(Width, Height, packed.data(), outRow, e1, e0));
      if (!KeepBitmap) Bitmap.reset();
      DataFormat = kDataPNG;
    }
  } else {
    // One byte per pixel, Width bytes a row, taken from the decoded rows as one run of bytes;
    // black (1) bits make the bytes dark.
    Bitmap->Dib().SetColors([] {
      std::vector<RGBQUAD> grey(256);
      for (int i = 0; i < 256; ++i) grey[size_t(i)] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      return grey;
    }());
    for (int32_t y = 0; y < Height; ++y) {
      uint8_t* dst = Bitmap->ScanLine(y);
      const int64_t start = int64_t(y) * Width;
      for (int32_t x = 0; x < Width; ++x) {
        const int64_t i = start + x;
        dst[x] = uint8_t(~(i < int64_t(rows.size()) ? rows[size_t(i)] : 0));
      }
    }
  }
  std::string().swap(Data);
}
