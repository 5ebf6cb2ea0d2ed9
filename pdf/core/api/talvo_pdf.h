// TTalvoPDF: the one object through which the application uses the PDF library. It owns its
// documents, hands out integer handles for documents, images and fonts, keeps a current
// document, image, font and page, converts the caller's coordinates (unit and origin corner)
// into points, and starts page rendering.
//
// Every operation but the constructor, the destructor and TextSize answers with an integer:
// 1 success, 0 failure, or a handle (0 for none).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/rtl/strings.h"

class TStream;
class TPDFDocument;
class TPDFImage;
class TPDFFont;
class TPDFPageTree;
class TPDFPainter;

// Handles are this value plus the object's position in the handle list.
inline constexpr int32_t kPDFHandleBase = 0x58000000;

// The producer and creator text the library writes into every new document.
extern const char* const kTalvoPDFProducer;

class TTalvoPDF {
 public:
  TTalvoPDF();
  ~TTalvoPDF();
  TTalvoPDF(const TTalvoPDF&) = delete;
  TTalvoPDF& operator=(const TTalvoPDF&) = delete;

  // The object's handle, appending it on first registration; 0 for nullptr.
  int32_t RegisterDocument(TPDFDocument* document);
  int32_t RegisterImage(TPDFImage* image);
  int32_t RegisterFont(TPDFFont* font);
  TPDFDocument* DocumentFromHandle(int32_t handle) const;
  TPDFImage* ImageFromHandle(int32_t handle) const;
  TPDFFont* FontFromHandle(int32_t handle) const;

  int32_t SetCurrentDocument(int32_t handle);
  int32_t SetCurrentImage(int32_t handle);
  int32_t CurrentImageWidth();
  int32_t CurrentImageHeight();
  int32_t SetCurrentFont(int32_t handle);
  int32_t CurrentFontHandle();
  int32_t AddStandardFontByIndex(int32_t index);
  void EnsureFont();
  int32_t SetTextSize(double size);
  double TextSize();
  int32_t PageCount();
  int32_t CurrentPageNumber();
  int32_t SetCurrentPage(int32_t page);
  int32_t SetUnits(int32_t units);
  int32_t SetCoordinateOrigin(int32_t origin);
  int32_t SetPageSize(double width, double height);
  int32_t PlaceImage(double left, double top, double width, double height);
  int32_t LoadImageFile(const WideString& fileName, int32_t options);
  int32_t LoadImageStream(TStream& stream, int32_t options);
  int32_t RenderPage(int32_t dpi, int32_t page, int32_t format, TStream& stream);

  // Coordinate conversions from the caller's unit and corner into points.
  double ConvertLength(double v) const;
  double ConvertX(double v);
  double ConvertY(double v);

  TPDFDocument* CurrentDocument() const { return currentDocument_; }
  TPDFImage* CurrentImage() const { return currentImage_; }
  TPDFFont* CurrentFont() const { return currentFont_; }
  int32_t LastError() const { return lastError_; }
  const std::string& RenderMessage() const { return renderMessage_; }
  // Why the GDI+ provider of GDIPlusSettings cannot be loaded (pages are then drawn with plain
  // GDI); empty when it can.
  std::string GDIPlusLoadProblem() const;

  TGDIPlusSettings GDIPlusSettings;
  int32_t JPEGQuality = 75;
  double DPIFactor = 1.0;
  int32_t PageBox = 2;  // 1 MediaBox, 2 CropBox, 3 BleedBox, 4 TrimBox, 5 ArtBox

 private:
  enum HandleKind { hkDocument = 1, hkImage = 2, hkFont = 3 };
  struct HandleEntry {
    void* Object;
    int Kind;
  };
  int32_t RegisterHandle(void* object, int kind);
  void* HandleToObject(int32_t handle, int kind) const;
  int32_t AddLoadedImage(TStream& stream, int32_t options);
  TPDFPageTree& PageTree() const;
  TPDFPainter& Painter() const;

  std::vector<std::unique_ptr<TPDFDocument>> documents_;
  TPDFDocument* currentDocument_ = nullptr;
  TPDFImage* currentImage_ = nullptr;
  TPDFFont* currentFont_ = nullptr;
  int32_t lastError_ = 0;
  std::string renderMessage_;
  std::vector<HandleEntry> handles_;
};

// The class the application creates; it adds nothing.
class TOrvanePDFLibrary0915 : public TTalvoPDF {};
