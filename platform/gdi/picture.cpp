#include "platform/gdi/picture.h"

#include <map>
#include <mutex>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/files.h"

namespace {

struct Format {
  std::string description;
  TGraphicClass graphicClass;
};

// The class library keeps one list of file formats per program.
struct Registry {
  std::mutex lock;
  std::map<std::string, Format> formats;
  Registry() {
    formats["bmp"] = {"Bitmaps", [] { return std::unique_ptr<TGraphic>(new TBitmap); }};
    formats["ico"] = {"Icons", [] { return std::unique_ptr<TGraphic>(new TIcon); }};
    formats["emf"] = {"Enhanced Metafiles", [] { return std::unique_ptr<TGraphic>(new TMetafile); }};
    formats["wmf"] = {"Metafiles", [] { return std::unique_ptr<TGraphic>(new TMetafile); }};
  }
};

Registry& Formats() {
  static Registry r;
  return r;
}

}  // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicClass graphicClass) {
  Registry& r = Formats();
  std::lock_guard g(r.lock);
  r.formats[LowerCaseAscii(extension)] = {description, graphicClass};
}

void UnregisterFileFormat(const std::string& extension) {
  Registry& r = Formats();
  std::lock_guard g(r.lock);
  r.formats.erase(LowerCaseAscii(extension));
}

TGraphicClass GraphicClassForExtension(const std::string& extension) {
  Registry& r = Formats();
  std::lock_guard g(r.lock);
  auto it = r.formats.find(LowerCaseAscii(extension));
  return it == r.formats.end() ? nullptr : it->second.graphicClass;
}

TBitmap& TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return *b;
  graphic_ = std::make_unique<TBitmap>();
  return static_cast<TBitmap&>(*graphic_);
}

void TPicture::LoadFromFile(const WideString& fileName) {
  std::string ext = WideToUtf8(ExtractFileExt(fileName));
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  TGraphicClass cls = GraphicClassForExtension(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> g = cls();
  g->LoadFromFile(fileName);
  graphic_ = std::move(g);
}

void TPicture::SaveToFile(const WideString& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPicture& source) {
  if (&source == this) return;
  if (!source.graphic_) {
    graphic_.reset();
    return;
  }
  std::unique_ptr<TGraphic> g = source.graphic_->NewInstance();
  if (!g)
    throw EInvalidGraphicOperation(std::string("Cannot assign a ") + source.graphic_->ClassName() + " to a TPicture");
  g->Assign(*source.graphic_);
  graphic_ = std::move(g);
}
