// TBitmap: the class library's raster picture over a GDI bitmap (see dib.h), with pixel
// formats, scan lines (scan line 0 is always the top row), a palette, transparency settings
// and BMP loading and saving.
#pragma once

#include <memory>

#include "platform/gdi/canvas.h"

#include "platform/gdi/colors.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/graphic.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// Bits per pixel of a pixel format (pfDevice: the screen's 32; pfCustom: 0).
int PixelFormatBits(TPixelFormat format);

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  int Width() const override { return dib_->Width(); }
  int Height() const override { return dib_->Height(); }
  // Keeps what overlaps; new pixels are white. Raises EOutOfMemory over 2^28 pixels.
  void SetSize(int width, int height) override;
  bool Empty() const override { return dib_->Empty(); }

  // pfDevice until a format is set or a scan line is asked for (a device bitmap of the
  // screen's depth, 32 bits here).
  TPixelFormat PixelFormat() const;
  // Converts the pixels. pfDevice and pfCustom raise EInvalidGraphic.
  void SetPixelFormat(TPixelFormat format);
  bool Monochrome() const { return dib_->BitsPerPixel() == 1; }
  void SetMonochrome(bool value);

  // The bytes of one row (0 = top), laid out as the pixel format says; rows are padded to
  // four bytes. Raises EInvalidGraphic "Scan line index out of range".
  uint8_t* ScanLine(int row);

  // A palette handle holding the colour table (owned by the bitmap; 0 for more than 8 bits).
  // Setting copies the palette's entries into the colour table.
  HPALETTE Palette();
  void SetPalette(HPALETTE palette);

  TColor TransparentColor() const;  // with tmAuto: the bottom-left pixel
  void SetTransparentColor(TColor color);  // clDefault returns to tmAuto
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }

  void Assign(const TGraphic& source) override;
  // CF_BITMAP only: a copy of the bitmap behind the handle, the palette's colours for the
  // indexed depths. Saving gives a new bitmap handle and, for the indexed depths, a palette.
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
  void LoadFromStream(TStream& stream) override;  // a BMP file from the stream's position
  void SaveToStream(TStream& stream) override;
  const char* ClassName() const override { return "TBitmap"; }
  // Stretched with point sampling; a transparent bitmap leaves its transparent colour out.
  void Draw(TCanvas& canvas, const TRect& rect) override;

  // The canvas over the bitmap (a memory DC with the bitmap selected), made on first use.
  TCanvas& Canvas();
  // A monochrome mask: 1 (white) where a pixel has the transparent colour, 0 elsewhere. The
  // handle belongs to the bitmap.
  HBITMAP MaskHandle();
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TBitmap>(); }

  // The GDI bitmap (registered on first use, owned by the TBitmap) and its pixel store.
  HBITMAP Handle();
  GdiBitmap& Dib() { return *dib_; }
  const GdiBitmap& Dib() const { return *dib_; }
  std::shared_ptr<GdiBitmap> SharedDib() const { return dib_; }

 private:
  void Changed() { Modified = true; }

  std::shared_ptr<GdiBitmap> dib_;
  bool device_ = true;  // no explicit format yet
  TTransparentMode transparentMode_ = tmAuto;
  TColor transparentColor_ = clDefault;
  HPALETTE palette_ = nullptr;
  HBITMAP mask_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
};
