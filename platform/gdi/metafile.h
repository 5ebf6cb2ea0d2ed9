// TMetafile: the class library's metafile picture. It loads enhanced metafiles (EMF) and
// placeable Windows metafiles (WMF, translated into an EMF as the platform does), reports its
// size in pixels at 96 dpi and in hundredths of a millimetre, hands out the EMF handle that
// the record enumeration takes, saves itself, and draws by playing its records.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/graphic.h"
#include "platform/gdi/metafile/emf_types.h"

class EmfDocument;

class TMetafile : public TGraphic {
 public:
  TMetafile() = default;
  ~TMetafile() override;

  // Pixels at the logical resolution (96 dpi).
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetSize(int width, int height) override;
  bool Empty() const override { return !document_ && width_ == 0 && height_ == 0; }
  // An EMF or a placeable WMF from the stream's position to its end. Raises EInvalidGraphic
  // "Metafile is not valid" for anything else (a WMF with a wrong checksum, broken headers).
  void LoadFromStream(TStream& stream) override;
  // The EMF when Enhanced, otherwise a placeable WMF: the loaded file's bytes when it was one,
  // else the EMF converted at 96 units per inch.
  void SaveToStream(TStream& stream) override;
  void Assign(const TGraphic& source) override;
  const char* ClassName() const override { return "TMetafile"; }
  // Plays the records so that the picture's frame fills the rectangle.
  void Draw(TCanvas& canvas, const TRect& rect) override;
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TMetafile>(); }
  void Clear();

  // Size of the picture in hundredths of a millimetre.
  int MMWidth() const { return mmWidth_; }
  int MMHeight() const { return mmHeight_; }
  void SetMMWidth(int v);
  void SetMMHeight(int v);
  // Enhanced (EMF) or Windows (WMF) format: true for EMF files, false for WMF files.
  bool Enhanced() const { return enhanced_; }
  void SetEnhanced(bool v) { enhanced_ = v; }
  // Units per inch of a placeable WMF (0 for an EMF).
  int Inch() const { return inch_; }
  void SetInch(int v) { inch_ = v; }

  // The EMF handle (a WMF's translation), owned by the metafile; null when empty.
  HENHMETAFILE Handle();
  // Takes over a metafile handle (a closed recording); the size comes from its frame and the
  // Enhanced setting stays as it is.
  void SetHandle(HENHMETAFILE handle);
  // The EMF's records, checked (null when empty).
  std::shared_ptr<const EmfDocument> Document() const { return document_; }
  // The bytes of the file as loaded (EMF or placeable WMF).
  const std::string& Data() const { return data_; }

 private:
  void FreeHandle();
  void SetFromEmf(std::shared_ptr<const EmfDocument> doc);

  std::string data_;
  std::shared_ptr<const EmfDocument> document_;
  HENHMETAFILE handle_ = nullptr;
  int width_ = 0, height_ = 0, mmWidth_ = 0, mmHeight_ = 0, inch_ = 0;
  bool enhanced_ = true;
};
