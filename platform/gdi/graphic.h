// TGraphic: the abstract picture of the class library (bitmap, icon, metafile, and the image
// classes of the codecs), with loading and saving through streams and files.
#pragma once

#include <memory>

#include "platform/gdi/gdi_types.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

class TCanvas;

class TGraphic {
 public:
  TGraphic() = default;
  virtual ~TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int width) { SetSize(width, Height()); }
  virtual void SetHeight(int height) { SetSize(Width(), height); }
  virtual void SetSize(int width, int height) = 0;
  virtual bool Empty() const = 0;

  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value) { transparent_ = value; }

  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  // Both go through a file stream; failures raise the stream's exceptions.
  virtual void LoadFromFile(const WideString& fileName);
  virtual void SaveToFile(const WideString& fileName);

  // The picture in a clipboard format: a bitmap handle (CF_BITMAP) and its palette. Loading
  // copies what the handles hold; saving makes new handles that the caller owns. The base
  // class takes no format (EInvalidGraphic "Unsupported clipboard format") and offers none
  // (format 0, null handles).
  virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
  virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);

  // Copies another graphic's picture; the default raises EConvertError "Cannot assign a
  // <source class> to a <target class>".
  virtual void Assign(const TGraphic& source);
  virtual const char* ClassName() const = 0;
  // A new, empty graphic of the same class (the class library's class reference); null when
  // a class does not say.
  virtual std::unique_ptr<TGraphic> NewInstance() const { return nullptr; }

  // Draws the picture into a rectangle of a canvas (stretched to fill it).
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

  // Set whenever the picture changes; the owner (a TPicture) clears it.
  bool Modified = false;

 protected:
  bool transparent_ = false;
};

// Creates a graphic of one class (the class library's class references).
using TGraphicClass = std::unique_ptr<TGraphic> (*)();
