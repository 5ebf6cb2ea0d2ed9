// TPicture: holds one graphic of any registered class, chosen by file extension on loading.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/graphic.h"

class TBitmap;

// Registers a graphic class for an extension (without the dot, any case). A later
// registration of the same extension replaces the earlier one.
void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicClass graphicClass);
void UnregisterFileFormat(const std::string& extension);
// The class for an extension, or null.
TGraphicClass GraphicClassForExtension(const std::string& extension);

class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic) { graphic_ = std::move(graphic); }
  // The graphic as a bitmap; a picture holding something else gets a new, empty bitmap.
  TBitmap& Bitmap();
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  // Raises EInvalidGraphic 'Unknown picture file extension (.xyz)' for unregistered ones.
  void LoadFromFile(const WideString& fileName);
  void SaveToFile(const WideString& fileName);
  void Assign(const TPicture& source);

 private:
  std::unique_ptr<TGraphic> graphic_;
};
