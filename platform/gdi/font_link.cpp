// Characters a face lacks (a Japanese file name in the interface face, say) are drawn and
// measured from the faces fontconfig puts behind it, as the platform links faces to its
// interface faces; text the face has is drawn as before.
#include "platform/gdi/font_engine.h"

FontInstance& FontInstance::Linked(char32_t key) {
  // Glyph indices name the face's own glyphs; control characters draw nothing anywhere; a
  // symbol face's codes are not characters another face could have.
  if (!face_ || (key & kGlyphKeyFlag) || key < 0x20 || resolved_.symbol) return *this;
  {
    std::lock_guard guard(FreeTypeLock());
    if (GlyphIndex(key) != 0) return *this;
  }
  std::lock_guard guard(linkLock_);
  if (!links_) {
    links_ = std::make_unique<Links>();
    links_->faces = FallbackFaces(resolved_, bold_ ? FW_BOLD : FW_NORMAL, italic_);
    links_->fonts.resize(links_->faces.size());
  }
  for (size_t i = 0; i < links_->faces.size(); ++i) {
    if (!links_->faces[i].Has(key)) continue;
    std::unique_ptr<FontInstance>& font = links_->fonts[i];
    if (!font) {
      // The same em, so that the linked characters stand as tall as the face's own.
      LOGFONTW lf = logFont_;
      lf.lfHeight = -ppem_;
      lf.lfWidth = 0;
      font = std::make_unique<FontInstance>(lf, links_->faces[i].face);
    }
    return font->Valid() ? *font : *this;
  }
  return *this;
}
