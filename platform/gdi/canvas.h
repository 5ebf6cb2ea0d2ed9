// The class library's drawing objects over a device context: TPen, TBrush, TFont and TCanvas.
// A canvas selects its pen, brush and font into the DC before each drawing call, so that
// changing a property takes effect on the next call, as in the class library.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/colors.h"
#include "platform/gdi/font.h"
#include "platform/gdi/graphic.h"
#include "platform/gdi/pen_brush.h"

class TBitmap;

// Each drawing object owns its handle and recreates it after a change.
class TGraphicsObject {
 public:
  virtual ~TGraphicsObject();
  std::function<void()> OnChange;

 protected:
  void Changed();
  void FreeHandle();
  HGDIOBJ handle_ = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
                pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  int Width() const { return width_; }
  void SetWidth(int w);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle s);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode m);
  HPEN Handle();
  void Assign(const TPen& other);
  int Rop2() const;  // the R2_ code of Mode

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  ~TBrush() override;
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle s);
  // A pattern bitmap (not owned); null for none.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* b);
  HBRUSH Handle();
  void Assign(const TBrush& other);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = int;  // a set of TFontStyle bits
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
                    fqClearTypeNatural };

class TFont : public TGraphicsObject {
 public:
  TFont();
  // Face name in UTF-8.
  const std::string& Name() const { return name_; }
  void SetName(const std::string& n);
  // Points at the font's PixelsPerInch (96); Height is pixels (negative: character height).
  int Size() const;
  void SetSize(int points);
  int Height() const { return height_; }
  void SetHeight(int h);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles s);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  uint8_t Charset() const { return charset_; }
  void SetCharset(uint8_t c);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch p);
  TFontQuality Quality() const { return quality_; }
  void SetQuality(TFontQuality q);
  int Orientation() const { return orientation_; }
  void SetOrientation(int tenthsOfDegree);
  int PixelsPerInch = 96;
  // The font's handle; setting one takes the handle's LOGFONT (the handle stays the caller's).
  HFONT Handle();
  void SetHandle(HFONT font);
  void Assign(const TFont& other);

 private:
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  uint8_t charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  TFontQuality quality_ = fqDefault;
  int orientation_ = 0;
};

enum TCopyMode : DWORD {
  cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA, cmMergePaint = 0x00BB0226,
  cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6, cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049,
  cmPatPaint = 0x00FB0A09, cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
  cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062
};

// A canvas over a DC that someone else owns (SetHandle), or the canvas of a bitmap.
class TCanvas {
 public:
  TCanvas();
  explicit TCanvas(HDC dc);
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The DC with the canvas's pen, brush and font selected.
  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TFont& Font() { return font_; }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode m) { copyMode_ = m; }
  TPoint PenPos();
  void SetPenPos(TPoint p);
  TRect ClipRect();

  TColor Pixel(int x, int y);  // Pixels[x, y]; -1 outside
  void SetPixel(int x, int y, TColor c);

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Polygon(const std::vector<TPoint>& points);
  void Polyline(const std::vector<TPoint>& points);
  void PolyBezier(const std::vector<TPoint>& points);
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);

  // Draws a graphic at its natural size, or stretched into a rectangle.
  void Draw(int x, int y, TGraphic& graphic);
  void StretchDraw(const TRect& r, TGraphic& graphic);
  // Stretches `source` of another canvas into `dest` with CopyMode.
  void CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source);

  // Text with the canvas's font (colour from Font, background from Brush: none when the brush
  // is clear). Strings are UTF-8.
  void TextOut(int x, int y, const std::string& text);
  void TextRect(const TRect& r, int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }

  void Lock() {}
  void Unlock() {}
  // Deselects the canvas's objects (before the DC is given to someone else).
  void Refresh();

 protected:
  // Called before a DC is needed and none is set; bitmap canvases make one here.
  virtual void CreateHandle() {}
  // Called whenever the DC is asked for, before the canvas's objects are selected into it.
  virtual void Changing() {}
  virtual void Changed() {}
  void RequireState();
  // The DC as it stands, without creating one or selecting anything.
  HDC RawHandle() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  TCopyMode copyMode_ = cmSrcCopy;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
};
