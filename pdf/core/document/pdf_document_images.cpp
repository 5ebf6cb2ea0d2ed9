// The document's images: adding one from a stream, and the image list.
#include <algorithm>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pdf_helpers.h"

void TPDFDocument::ImageDeleter::operator()(TPDFImage* image) const { delete image; }

// Takes back every slot made since `slots` slots existed, so that an import that failed leaves
// no objects in the document's table (the store keeps them, unreferenced, until it is freed).
void TPDFDocument::DropSlotsFrom(size_t slots) {
  if (slots >= slots_.size()) return;
  for (size_t i = slots; i < slots_.size(); ++i)
    if (TPDFObject* obj = slots_[i]->GetObject()) obj->ClearObjectNumber();
  slots_.resize(slots);
  RebuildNumberIndex();
  int highest = 0;
  for (const auto& slot : slots_) highest = std::max(highest, slot->ObjectNumber());
  nextObjectNumber_ = highest + 1;
  if (auto* size = PDFCast<TPDFNumeric>(trailer_->GetValue("Size"))) size->SetValue(highest + 1);
}

void TPDFDocument::DiscardImage(TPDFImage& image, size_t slots) {
  for (TPDFFont* font : image.Fonts)
    if (!OwnsFont(font) && std::find(reusedFonts_.begin(), reusedFonts_.end(), font) == reusedFonts_.end())
      delete font;
  image.Fonts.clear();
  DropSlotsFrom(slots);
}

TPDFImage* TPDFDocument::AddImage(TStream& stream, int options, int imageSetting) {
  const size_t slotMark = slots_.size();
  std::unique_ptr<TPDFImage, ImageDeleter> image(new TPDFImage(structure_.get(), "TalvoPDFIm" + NewUniqueTag()));
  image->Compression = imageSetting;
  image->MetafileFontFlag = ImageSettings[1] == 1;
  if (ImageSettings[2] == 1)
    for (TPDFFont* font : reusedFonts_) image->Fonts.push_back(font);
  for (const std::string& name : NoEmbedFonts) image->NoEmbedFonts += "<ZRXNoEmbedFont>" + name + "</ZRXNoEmbedFont>";
  if (options == -1) image->GDIPlusSettings = GDIPlusSettings;

  // A failed import, also one whose lower layers raise, leaves nothing behind; the exception
  // goes on to the caller.
  bool loaded = false;
  try {
    loaded = image->LoadFromStream(stream, options);
  } catch (...) {
    DiscardImage(*image, slotMark);
    throw;
  }
  // An image that wrote no object (no reference) is as unusable as one that failed.
  if (!loaded || image->Ref == nullptr) {
    DiscardImage(*image, slotMark);
    return nullptr;
  }

  reusedFonts_.clear();
  for (TPDFFont* font : image->Fonts) {
    if (font == nullptr) continue;
    if (!OwnsFont(font)) fonts_.emplace_back(font);
    reusedFonts_.push_back(font);
  }
  images_.push_back(std::move(image));
  return images_.back().get();
}

TPDFImage* TPDFDocument::GetImage(int index) const {
  return index >= 0 && index < ImageCount() ? images_[static_cast<size_t>(index)].get() : nullptr;
}

bool TPDFDocument::OwnsImage(const TPDFImage* image) const {
  return image != nullptr &&
         std::any_of(images_.begin(), images_.end(), [image](const auto& i) { return i.get() == image; });
}
